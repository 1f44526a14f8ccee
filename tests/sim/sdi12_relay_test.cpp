// The digital sensor behind the comm device, through the wire: the "|" wake-up, the SDI-12
// commands and their answers (address first, "\r\n" last), silence where a real sensor stays
// silent, the interpreter's own lines in between, and the sensor's faults.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/instrument_interpreter.h"
#include "tests/sim/instrument_wire.h"

namespace {

using instrument_wire::Answer;
using instrument_wire::Device;

std::string Line(const std::string& s) {
  return s + "\r\n";
}

struct SdiStep {
  std::string command;
  std::string answer;  // "" when the sensor stays silent
  bool wake = true;
};

struct SdiCase {
  const char* name;
  const char* type;
  const char* version;
  std::vector<std::string> faults;
  std::vector<SdiStep> steps;
};

const std::string kDefaultCal = "0.000 -1.000000e+01 1.000000e-02 0.000000e+00 20.0 0.0";

const SdiCase kSdiCases[] = {
    {"Identification",
     "SOLIX-KA",
     "3.61",
     {},
     {
         {"?!", Line("0")},
         {"?I!", Line("013QUILLON SX-KX 361001")},
         {"0I!", Line("013QUILLON SX-KX 361001")},
         {"1I!", ""},  // another sensor's address
         {"?X8!", Line("0x")},
         {"?M!", ""},  // no measurements through the updater's sensor
         {"?X9!", ""},
         {"?X!", ""},
         {"?I!", Line("013QUILLON SX-KX 361001"), false},  // awake without the "|" too
     }},
    {"Calibration",
     "SOLIX-KA",
     "3.61",
     {},
     {
         {"?X4!", Line("0" + kDefaultCal)},
         {"?X51.000 -1.000000e+03 5.000000e+02 0.000000e+00 15.0 7.0!", Line("0OK")},
         {"?X4!", Line("01.000 -1.000000e+03 5.000000e+02 0.000000e+00 15.0 7.0")},
         {"?X5!", Line("0ERROR")},
         {"?X5" + std::string(257, '1') + "!", Line("0ERROR")},
         {"?X5" + std::string(256, '2') + "!", Line("0OK")},
         {"?X4!", Line("0" + std::string(256, '2'))},
         {"?Xa!", ""},  // the second calibration is type 121's alone
         {"?Xb1 2!", ""},
     }},
    {"SerialNumber",
     "SOLIX-KA",
     "3.61",
     {},
     {
         {"?X#!", Line("0KX4410372")},
         {"?X#KX0000001!", Line("0OK")},
         {"?X#!", Line("0KX0000001")},
         {"?X#" + std::string(32, '9') + "!", Line("0ERROR")},
         {"?X#" + std::string(31, '8') + "!", Line("0OK")},
         {"?X#!", Line("0" + std::string(31, '8'))},
     }},
    {"AddressChange",
     "SOLIX-KA",
     "3.61",
     {},
     {
         {"0A3!", Line("3")},
         {"?!", Line("3")},
         {"?I!", Line("313QUILLON SX-KX 361001")},
         {"0A4!", ""},  // addressed to 0, which it no longer is
         {"3A#!", ""},  // not an address
         {"3A0!", Line("0")},
         {"?!", Line("0")},
     }},
    {"StartsAtAnotherAddress",
     "SOLIX-KA",
     "3.61",
     {"sensor-address=5"},
     {
         {"?!", Line("5")},
         {"0A1!", ""},
         {"5X8!", Line("5x")},
     }},
    {"SecondCalibrationOfType121",
     "SOLIX-KA",
     "3.61",
     {"sensor-type=121"},
     {
         {"?X8!", Line("0y")},
         {"?Xa!", Line("01.0031 -0.0042 0.9987")},
         {"?Xb0.9 0.1 1.1!", Line("0OK")},
         {"?Xa!", Line("00.9 0.1 1.1")},
         {"?Xb!", Line("0ERROR")},
     }},
    {"OldSensorWithoutTypeCommand",
     "SOLIX-KA",
     "3.61",
     {"sensor-type=125"},
     {
         {"?X8!", ""},
         {"?I!", Line("013QUILLON SX-KB 361001")},
     }},
    {"OldFirmwareWithNineNumberCalibration",
     "SOLIX-KA",
     "3.31",
     {"sensor-type=117"},
     {
         {"?I!", Line("013QUILLON 5TE   331001")},
         {"?X8!", Line("0u")},
         {"?X4!", Line("01 2 4 0 10 20 0 0 7")},
     }},
    // Answers only right after an attention command; a wake-up ends the attention.
    {"NeedsAttention",
     "SOLIX-KA",
     "3.61",
     {"sensor-needs-attention"},
     {
         {"?I!", ""},
         {"?!", Line("0")},
         {"?I!", Line("013QUILLON SX-KX 361001"), false},
         {"?X8!", Line("0x"), false},
         {"?X8!", ""},
         {"?!", Line("0"), false},
         {"?X#!", Line("0KX4410372"), false},
     }},
    {"BehindAKcb",
     "KCB",
     "1.02",
     {},
     {
         {"?I!", Line("013QUILLON SX-KX 361001")},
         {"?X4!", Line("0" + kDefaultCal)},
     }},
};

class Sdi12Relay : public ::testing::TestWithParam<SdiCase> {};

TEST_P(Sdi12Relay, SensorAnswersAsScripted) {
  const SdiCase& c = GetParam();
  Device d = Device::Start(c.type, c.version, c.faults);
  ASSERT_TRUE(d.ok());
  for (const SdiStep& s : c.steps) {
    std::string got;
    if (s.answer.empty()) {
      if (s.wake) d.wire->Send("|");
      d.wire->Send(s.command);
      got = d.wire->Silence();
    } else {
      got = d.wire->Sdi(s.command, s.wake);
    }
    EXPECT_EQ(got, s.answer) << s.command << (s.wake ? " (after a wake-up)" : "");
  }
}

std::string SdiName(const ::testing::TestParamInfo<SdiCase>& info) {
  return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(Cases, Sdi12Relay, ::testing::ValuesIn(kSdiCases), SdiName);

// The comm device's own command interpreter keeps working between SDI-12 commands.
TEST(Sdi12RelayLines, InterpreterLinesPassBetweenSensorCommands) {
  Device d = Device::Start("KCB", "1.02");
  ASSERT_TRUE(d.ok());
  auto& w = *d.wire;
  EXPECT_EQ(w.Ask("get -ver"), Answer("KCB 1.02"));
  EXPECT_EQ(w.Sdi("?!"), Line("0"));
  EXPECT_EQ(w.Ask("get -i"), Answer("KCB-17"));
  EXPECT_EQ(w.Sdi("?X#!"), Line("0KX4410372"));
  EXPECT_EQ(w.Ask("set -i BENCH"), Answer("OK"));
  EXPECT_EQ(w.Ask("get -i"), Answer("BENCH"));
  // A line that starts like an address but is an interpreter word.
  EXPECT_EQ(w.Ask("get -sn"), Answer("KCB022190"));
}

TEST(Sdi12RelayLines, ACommandSplitOverSeveralWritesIsOneCommand) {
  Device d = Device::Start("SOLIX-KA", "3.61");
  ASSERT_TRUE(d.ok());
  auto& w = *d.wire;
  w.Send("|");
  w.Send("?X5");
  w.Send("1 2 3");
  w.Send(" 4!");
  EXPECT_EQ(w.ReadUntil("\r\n"), Line("0OK"));
  EXPECT_EQ(w.Sdi("?X4!"), Line("01 2 3 4"));
}

TEST(Sdi12RelayLines, ALineEndAbandonsACommandWithoutItsEnd) {
  Device d = Device::Start("SOLIX-KA", "3.61");
  ASSERT_TRUE(d.ok());
  auto& w = *d.wire;
  w.Send("|?X5 half");
  w.Send("\r");
  EXPECT_EQ(w.Silence(), "");
  EXPECT_EQ(w.Ask("get -ver"), Answer("SOLIX-KA 3.61"));
  EXPECT_EQ(w.Sdi("?X4!"), Line("0" + kDefaultCal));
}

// An update of the sensor's firmware (an erased INFO memory at the restart) leaves a new sensor:
// address 0, a blank calibration, no serial number. A KCB's update leaves its sensor alone.
TEST(Sdi12RelayRestart, TheSensorsUpdateLeavesANewSensor) {
  for (const char* type : {"SOLIX-KA", "KCB"}) {
    SCOPED_TRACE(type);
    SimOptions o = MakeTestOptions(type, "3.61");
    o.faults = {"sensor-address=7"};
    o.bootloader = "waiting";
    SimDevice dev(o);
    auto* in = dynamic_cast<InstrumentInterpreter*>(dev.interpreter());
    ASSERT_NE(in, nullptr);
    ASSERT_NE(in->relay(), nullptr);
    Sdi12Sensor& sensor = in->relay()->sensor();
    ASSERT_EQ(sensor.address(), '7');
    in->OnRestart(dev);
    bool updated = std::string(type) == "SOLIX-KA";
    EXPECT_EQ(sensor.address(), updated ? '0' : '7');
    EXPECT_EQ(sensor.serialNumber(), updated ? "" : "KX4410372");
    EXPECT_EQ(sensor.calibration() == kDefaultCal, !updated);
    EXPECT_EQ(sensor.Command("?X#!"), std::string(1, sensor.address()) + sensor.serialNumber());
  }
}

}  // namespace
