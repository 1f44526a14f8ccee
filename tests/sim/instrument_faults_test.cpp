// The instruments' faults (battery=N, no-sn, reject-sn, dataflash-fail, code-corrupt), and what
// an update that erased the settings memory leaves behind.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/instrument_interpreter.h"
#include "tests/sim/instrument_wire.h"

namespace {

using instrument_wire::Answer;
using instrument_wire::Device;
using instrument_wire::kPromptAlone;

struct FaultCase {
  const char* name;
  const char* type;
  std::vector<std::string> faults;
  std::vector<std::pair<std::string, std::string>> steps;  // command, answer
};

const FaultCase kFaultCases[] = {
    {"LowBattery", "TQ", {"battery=5"}, {{"get -batt", Answer("5")}}},
    {"EmptyBattery", "KCB", {"battery=0"}, {{"get -batt", Answer("0")}}},
    // A new instrument has no serial number yet; it takes one.
    {"NoSerialNumber",
     "TQ",
     {"no-sn"},
     {{"get -sn", kPromptAlone},
      {"get -contr", Answer("38")},
      {"set -sn TQ0001", Answer("OK")},
      {"get -sn", Answer("TQ0001")}}},
    {"SerialNumberRejected",
     "HSRB",
     {"reject-sn"},
     {{"set -sn HS0001", Answer("ERROR")},
      {"get -sn", Answer("HS0092351")},
      {"set -adccal 1.0 0.0", Answer("OK")}}},
    {"BrokenDataFlash",
     "V8X",
     {"dataflash-fail"},
     {{"login *4738", Answer("OK")},
      {"yes", Answer("DataFlash FAIL")},
      // The self test reports the data memory first and still gives its verdict on the code.
      {"post", Answer("DataFlash FAIL\rCode Good!")},
      {"get -sn", Answer("V8X204170")}}},
    {"CorruptCode",
     "MTQ",
     {"code-corrupt"},
     {{"login *4738", Answer("OK")},
      {"post", Answer("Code Corrupt!")},
      {"post -init", Answer("Code Corrupt!")}}},
    {"CorruptCodeAndBrokenDataFlash",
     "RV",
     {"code-corrupt", "dataflash-fail"},
     {{"post", Answer("DataFlash FAIL\rCode Corrupt!")}, {"yes", Answer("DataFlash FAIL")}}},
};

class InstrumentFaults : public ::testing::TestWithParam<FaultCase> {};

TEST_P(InstrumentFaults, AnswerAsTheFaultSays) {
  const FaultCase& c = GetParam();
  Device d = Device::Start(c.type, "2.05", c.faults);
  ASSERT_TRUE(d.ok());
  for (const auto& [command, answer] : c.steps) {
    EXPECT_EQ(d.wire->Ask(command), answer) << command;
  }
}

std::string FaultName(const ::testing::TestParamInfo<FaultCase>& info) {
  return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(Faults, InstrumentFaults, ::testing::ValuesIn(kFaultCases), FaultName);

// Restarts of a device whose INFO memory the bootloader erased (as an update does) or left alone.
InstrumentInterpreter& Interpreter(SimDevice& dev) {
  auto* in = dynamic_cast<InstrumentInterpreter*>(dev.interpreter());
  EXPECT_NE(in, nullptr);
  return *in;
}

TEST(InstrumentRestart, AnErasedSettingsMemoryLeavesNothing) {
  SimOptions o = MakeTestOptions("V8X", "2.05");
  o.bootloader = "waiting";  // an interrupted update: INFO is erased
  SimDevice dev(o);
  InstrumentInterpreter& in = Interpreter(dev);
  ASSERT_EQ(in.settings().Get("sn"), "V8X204170");
  in.OnRestart(dev);
  EXPECT_EQ(in.settings().Get("sn"), "");
  EXPECT_EQ(in.settings().Get("config"), "");
  EXPECT_EQ(in.settings().Get("sensor"), "0");
  EXPECT_EQ(in.settings().eqn().Count(), 0u);
  EXPECT_EQ(in.settings().user().Count(), 0u);
  // The lists fill again from the first record.
  EXPECT_FALSE(in.settings().eqn().Set(1, "Loam 1 2"));
  EXPECT_TRUE(in.settings().eqn().Set(0, "Loam 1 2"));
}

TEST(InstrumentRestart, ARestartWithoutAnUpdateKeepsTheSettings) {
  SimOptions o = MakeTestOptions("RV", "1.23");
  SimDevice dev(o);
  InstrumentInterpreter& in = Interpreter(dev);
  in.OnRestart(dev);
  EXPECT_EQ(in.settings().Get("sn"), "RV0073104");
  EXPECT_EQ(in.settings().GetCal(0), "0 VP4 1.00210 -0.00330");
}

TEST(InstrumentRestart, ErasedCalibrationSlotsAreEmpty) {
  SimOptions o = MakeTestOptions("TRNK6", "1.00");
  o.bootloader = "attached";
  SimDevice dev(o);
  InstrumentInterpreter& in = Interpreter(dev);
  in.OnRestart(dev);
  EXPECT_EQ(in.settings().GetCal(0), std::nullopt);
  EXPECT_EQ(in.settings().Get("sn"), "");
}

}  // namespace
