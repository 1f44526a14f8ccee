// Setting a logger's values and reading them back, and the values a logger refuses.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/logger_interpreter.h"
#include "tests/sim/logger_wire.h"

namespace {

using logger_wire::Logger;

struct RoundTrip {
  const char* set;     // "set -<key> <value>"
  const char* get;     // the command that reads it back
  const char* answer;  // what it reads
};

const std::vector<RoundTrip> kKt30RoundTrips = {
    {"set -i EAST02", "get -i", "\rEAST02\r>"},
    {"set -sn 30Z9999", "get -sn", "\r30Z9999\r>"},
    {"set -devid X77", "get -devid", "\rX77\r>"},
    {"set -report 3", "get -report", "\r3\r>"},
    {"set -depth 5 10 20 40 255", "get -depth", "\r5 10 20 40 255\r>"},
    {"set -site South Gully, plot 7", "get -site", "\rSouth Gully, plot 7\r>"},
    {"set -lat -33.86880", "get -lat", "\r-33.86880\r>"},
    {"set -long +151.20930", "get -long", "\r+151.20930\r>"},
    {"set -lat 12.5", "get -lat", "\r+12.50000\r>"},
    {"set -tz 22", "get -tz", "\r22\r>"},
    {"set -tz -20", "get -tz", "\r-20\r>"},
    {"set -w 60", "get -w", "\r60\r>"},
    {"set -padc 50", "get -padc", "\r50\r>"},
    {"set -ports 1 2 3 4 5", "get -ports", "\r1 2 3 4 5\r>"},
    {"set -data 7", "get -data", "\r7\r>"},
    {"set -build B2015-0101-9", "get -build", "\rB2015-0101-9\r>"},
    {"set -r 2", "get -r", "\r2\r>"},
    {"set -trait 250", "get -trait", "\r250\r>"},
    {"set -rch 6", "get -rch", "\r6\r>"},
    {"set -rsch FFFF", "get -rsch", "\rFFFF\r>"},
    {"set -rsch 1a2b", "get -rsch", "\r1A2B\r>"},
    {"set -apn internet.example.org", "get -apn", "\rinternet.example.org\r>"},
    {"set -user someone", "get -user", "\rsomeone\r>"},
    {"set -passwd s3cr3t", "get -passwd", "\rs3cr3t\r>"},
    {"set -authkey 0123456789abcdefABCDEF0123456789", "get -authkey",
     "\r0123456789abcdefABCDEF0123456789\r>"},
    {"set -host data.example.com", "get -host", "\rdata.example.com\r>"},
    {"set -ipport 65535", "get -ipport", "\r65535\r>"},
    // (100 * 5 + 50 * 5) % 256 = 238
    {"set -adc30 100 50 100 50 100 50 100 50 100 50 238", "get -adc30",
     "\r100 50 100 50 100 50 100 50 100 50 238\r>"},
    {"set -adc15 1 2 3 4 5 6 7 8 9 10 55", "get -adc15", "\r1 2 3 4 5 6 7 8 9 10 55\r>"},
    // Empty values clear: the answer is then the prompt alone.
    {"set -lat ", "get -lat", "\r\r>"},
    {"set -site ", "get -site", "\r\r>"},
};

TEST(LoggerSettings, SetValuesReadBack) {
  Logger logger(MakeTestOptions("KT30", "2.02"));
  ASSERT_TRUE(logger.ok());
  for (const RoundTrip& r : kKt30RoundTrips) {
    EXPECT_EQ(logger.wire.Ask(r.set), "\rOK\r>") << r.set;
    EXPECT_EQ(logger.wire.Ask(r.get), r.answer) << r.set;
  }
}

struct Refusal {
  const char* type;
  const char* version;
  const char* set;
  const char* get;     // reads the value that must not have changed
  const char* answer;  // what it still reads
};

const std::vector<Refusal> kRefusals = {
    {"KT30", "2.02", "set -w -5", "get -w", "\r900\r>"},
    {"KT30", "2.02", "set -padc x", "get -padc", "\r10\r>"},
    {"KT30", "2.02", "set -rch 7", "get -rch", "\r2\r>"},
    {"KT30", "2.02", "set -rsch 10000", "get -rsch", "\r520\r>"},
    {"KT30", "2.02", "set -rver 2000", "get -rver", "\r1046\r>"},
    {"KT30", "2.02", "set -i ", "get -i", "\rK30-1187\r>"},
    {"KT30", "2.02", "set -i NINECHARS", "get -i", "\rK30-1187\r>"},
    {"KT30", "2.02", "set -i TWO WORDS", "get -i", "\rK30-1187\r>"},
    {"KT30", "2.02", "set -sn 0123456789ABCDEF", "get -sn", "\r30A1187\r>"},
    {"KT30", "2.02", "set -site ABCDEFGHIJKLMNOPQRSTUVWXYZ", "get -site", "\rNorth Field Station 2\r>"},
    {"KT30", "2.02", "set -depth 1 2 3 4", "get -depth", "\r10 30 60 90 255\r>"},
    {"KT30", "2.02", "set -depth 1 2 3 4 256", "get -depth", "\r10 30 60 90 255\r>"},
    {"KT30", "2.02", "set -ports 1 2 3 4 5 6", "get -ports", "\r3 5 5 5 0\r>"},
    {"KT30", "2.02", "set -lat 91", "get -lat", "\r+46.73210\r>"},
    {"KT30", "2.02", "set -lat 4,5", "get -lat", "\r+46.73210\r>"},
    {"KT30", "2.02", "set -long -180.5", "get -long", "\r-117.17940\r>"},
    {"KT30", "2.02", "set -tz 57", "get -tz", "\r-32\r>"},
    {"KT30", "2.02", "set -ipport 65536", "get -ipport", "\r9420\r>"},
    {"KT30", "2.02", "set -authkey 0123456789ABCDEF0123456789ABCDE", "get -authkey",
     "\r8F3A61C2D94B07E5A1C3F0B2D6E48A97\r>"},
    {"KT30", "2.02", "set -authkey 0123456789ABCDEF0123456789ABCDEG", "get -authkey",
     "\r8F3A61C2D94B07E5A1C3F0B2D6E48A97\r>"},
    // A check value that does not match the pairs: a garbled line.
    {"KT30", "2.02", "set -adc30 100 50 100 50 100 50 100 50 100 50 237", "get -adc30",
     "\r131 98 127 102 129 100 126 97 130 101 117\r>"},
    {"KT30", "2.02", "set -adc30 100 50 238", "get -adc30", "\r131 98 127 102 129 100 126 97 130 101 117\r>"},
    {"KT30", "2.02", "set -trait 256", "get -trait", "\r246\r>"},
    // What the firmware does not know yet is refused, not stored.
    {"KT30", "1.12", "set -site Somewhere", "get -w", "\r900\r>"},
    {"KT30", "2.00", "set -lat 10.0", "get -site", "\rNorth Field Station 2\r>"},
    {"KT3B", "2.04", "set -trait 254", "get -w", "\r900\r>"},
    {"ZLG", "2.10", "set -rch 3", "get -apn", "\riot.example.net\r>"},
};

class LoggerRefusals : public ::testing::TestWithParam<Refusal> {};

TEST_P(LoggerRefusals, RefusedAndNothingChanged) {
  const Refusal& r = GetParam();
  Logger logger(MakeTestOptions(r.type, r.version));
  ASSERT_TRUE(logger.ok());
  EXPECT_EQ(logger.wire.Ask(r.set), "\rERROR\r>");
  EXPECT_EQ(logger.wire.Ask(r.get), r.answer);
}

INSTANTIATE_TEST_SUITE_P(Values, LoggerRefusals, ::testing::ValuesIn(kRefusals));

TEST(LoggerClockCommands, DateAndTimeReadBackWhatWasSet) {
  Logger logger(MakeTestOptions("KT30", "2.02"));
  ASSERT_TRUE(logger.ok());
  EXPECT_EQ(logger.wire.Ask("set -d 2013-2-22"), "\rOK\r>");
  EXPECT_EQ(logger.wire.Ask("set -t 9:05:07"), "\rOK\r>");
  EXPECT_EQ(logger.wire.Ask("get -t"), "\rDate\\Time: 2013-2-22 9:05:07\r>");
  // The date alone keeps the time of day.
  EXPECT_EQ(logger.wire.Ask("set -d 2012-2-29"), "\rOK\r>");
  EXPECT_EQ(logger.wire.Ask("get -t"), "\rDate\\Time: 2012-2-29 9:05:07\r>");
}

TEST(LoggerClockCommands, ImpossibleDatesAndTimesAreRefused) {
  Logger logger(MakeTestOptions("KT30", "2.02"));
  ASSERT_TRUE(logger.ok());
  ASSERT_EQ(logger.wire.Ask("set -d 2013-2-22"), "\rOK\r>");
  ASSERT_EQ(logger.wire.Ask("set -t 9:05:07"), "\rOK\r>");
  for (const char* bad : {"set -d 2013-2-29", "set -d 2013-13-1", "set -d 2013-2", "set -d 1999-12-31",
                          "set -d 2013-2-22-1", "set -t 24:00:00", "set -t 9:60:00", "set -t 9:05",
                          "set -t -1:05:07", "set -sec 100"}) {
    EXPECT_EQ(logger.wire.Ask(bad), "\rERROR\r>") << bad;
  }
  EXPECT_EQ(logger.wire.Ask("get -t"), "\rDate\\Time: 2013-2-22 9:05:07\r>");
}

TEST(LoggerClockCommands, TheClockStartsNearTheComputersLocalTime) {
  Logger logger(MakeTestOptions("GN", "1.10"));
  ASSERT_TRUE(logger.ok());
  std::time_t t = std::time(nullptr);
  std::tm local{};
  localtime_r(&t, &local);
  std::string answer = logger.wire.Ask("get -t");
  ASSERT_TRUE(answer.starts_with("\rDate\\Time: ")) << answer;
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
  ASSERT_EQ(std::sscanf(answer.c_str() + 12, "%d-%d-%d %d:%d:%d", &y, &mo, &d, &h, &mi, &s), 6);
  CivilTime device{y, mo, d, h, mi, s};
  CivilTime computer{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                     local.tm_sec};
  int64_t behind = SecondsSince2000(computer) - SecondsSince2000(device);
  // A logger's clock runs a little behind; a minute either way is a different mistake.
  EXPECT_GE(behind, 0);
  EXPECT_LT(behind, 120);
}

TEST(LoggerOldFirmware, SettingsConfirmedByTheBarePrompt) {
  Logger logger(MakeTestOptions("KT3", "1.65"));
  ASSERT_TRUE(logger.ok());
  for (const char* set : {"set -i FIELD9", "set -w 300", "set -r 2", "set -p 25", "set -d 2013-2-22",
                          "set -t 9:05:07"}) {
    EXPECT_EQ(logger.wire.Ask(set), "\r>") << set;
  }
  EXPECT_EQ(logger.wire.Ask("show"), "\rID: FIELD9\rVersion: 1.65\rRadio: 2\rWake: 300\rResets: 2\r>");
  EXPECT_EQ(logger.wire.Ask("hertz"), "\r25\r>");
  EXPECT_EQ(logger.wire.Ask("time"), "\rDate\\Time: 2013-2-22 9:05:07\r>");
  // Refused values and the new command set get the old firmware's "?".
  for (const char* bad : {"set -w -1", "set -i ", "set -t 25:00:00", "set -padc 5", "get -w", "get -t"}) {
    EXPECT_EQ(logger.wire.Ask(bad), "\r?\r>") << bad;
  }
}

TEST(LoggerOldFirmware, RadioValuesThroughTheModulePassThrough) {
  Logger logger(MakeTestOptions("KT3", "1.65"));
  ASSERT_TRUE(logger.ok());
  logger_wire::Wire& w = logger.wire;
  w.Send("term\r");
  EXPECT_EQ(w.Quiet(), "");  // nothing to wait for
  w.Send("+++");
  EXPECT_EQ(w.ReadUntil("OK\r"), "OK\r");
  w.Send("ATHP\r");
  EXPECT_EQ(w.ReadUntil("\r"), "2\r");
  w.Send("ATDT\r");
  EXPECT_EQ(w.ReadUntil("\r"), "520\r");
  w.Send("ATVR\r");
  EXPECT_EQ(w.ReadUntil("\r"), "1046\r");
  w.Send("ATHP4\r");
  EXPECT_EQ(w.ReadUntil("\r"), "OK\r");
  w.Send("ATWR\r");
  EXPECT_EQ(w.ReadUntil("\r"), "OK\r");
  w.Send("ATCN\r");
  EXPECT_EQ(w.ReadUntil("\r"), "OK\r");
  EXPECT_EQ(w.Ask("term"), "\rOK\r>");
  // Back with the logger, whose radio now has the new channel.
  EXPECT_EQ(w.Ask("show"), "\rID: KT3-0412\rVersion: 1.65\rRadio: 1\rWake: 600\rResets: 2\r>");
  w.Send("term\r");
  logger_wire::Pause(50);
  // Within a second of the module's last command "+++" is data, not an escape.
  w.Send("+++");
  EXPECT_EQ(w.Quiet(), "");
  logger_wire::Pause(1100);
  w.Send("+++");
  EXPECT_EQ(w.ReadUntil("OK\r"), "OK\r");
  w.Send("ATHP\r");
  EXPECT_EQ(w.ReadUntil("\r"), "4\r");
}

// The logger's memory across restarts, seen from inside the device.
LoggerInterpreter& Interpreter(SimDevice& dev) {
  auto* in = dynamic_cast<LoggerInterpreter*>(dev.interpreter());
  EXPECT_NE(in, nullptr);
  return *in;
}

TEST(LoggerRestart, AnUpdateThatErasedInfoLeavesTheFactorySettings) {
  SimOptions o = MakeTestOptions("KT30", "2.02");
  o.bootloader = "waiting";  // an interrupted update: INFO is erased
  o.serialNumber = "30Q0001";
  SimDevice dev(o);
  LoggerInterpreter& in = Interpreter(dev);
  const_cast<LoggerSettingsMemory&>(in.settings()).site = "Changed";
  const_cast<LoggerHardware&>(in.hardware()).serialNumber = "30Q0002";
  in.OnRestart(dev);
  EXPECT_EQ(in.settings().site, "North Field Station 2");
  // The serial number is not kept in INFO memory.
  EXPECT_EQ(in.hardware().serialNumber, "30Q0002");
}

TEST(LoggerRestart, ARestartWithoutAnUpdateKeepsTheSettings) {
  SimDevice dev(MakeTestOptions("KT30", "2.02"));
  LoggerInterpreter& in = Interpreter(dev);
  const_cast<LoggerSettingsMemory&>(in.settings()).site = "Changed";
  in.OnRestart(dev);
  EXPECT_EQ(in.settings().site, "Changed");
}

}  // namespace
