// The rate change on the line, and the faults a simulated logger can be given.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/sim/logger_wire.h"

namespace {

using logger_wire::Logger;
using logger_wire::Pause;
using logger_wire::WithFaults;

TEST(LoggerBaud, TheRateChangesOnceTheAnswerIsOut) {
  // With the line garbling whatever crosses it at two different rates.
  Logger logger(WithFaults(MakeTestOptions("KT30", "2.02"), {"baud-garbage"}));
  ASSERT_TRUE(logger.ok());
  // The confirmation still leaves at 9600.
  EXPECT_EQ(logger.wire.Ask("set -baud 4"), "\rOK\r>");
  Pause(50);
  ASSERT_TRUE(logger.wire.SetSpeed(B115200));
  EXPECT_EQ(logger.wire.Ask("get -ver"), "\rKT30 2.02\r>");
  // Back to 9600 the same way.
  EXPECT_EQ(logger.wire.Ask("set -baud 0"), "\rOK\r>");
  Pause(50);
  ASSERT_TRUE(logger.wire.SetSpeed(B9600));
  EXPECT_EQ(logger.wire.Ask("get -ver"), "\rKT30 2.02\r>");
}

TEST(LoggerBaud, AComputerLeftAtTheOldRateHearsNoAnswer) {
  Logger logger(WithFaults(MakeTestOptions("KT30", "2.02"), {"baud-garbage"}));
  ASSERT_TRUE(logger.ok());
  EXPECT_EQ(logger.wire.Ask("set -baud 6"), "\rOK\r>");
  Pause(50);
  logger.wire.Send("get -ver\r");
  EXPECT_EQ(logger.wire.Quiet().find("KT30"), std::string::npos);
}

TEST(LoggerBaud, ClosingThePortTakesTheLoggerBackTo9600) {
  Logger logger(WithFaults(MakeTestOptions("KT30", "2.02"), {"baud-garbage"}));
  ASSERT_TRUE(logger.ok());
  EXPECT_EQ(logger.wire.Ask("set -baud 4"), "\rOK\r>");
  Pause(50);
  logger.Reopen();  // at 9600
  EXPECT_EQ(logger.wire.Ask("get -ver"), "\rKT30 2.02\r>");
}

TEST(LoggerBaud, UnknownRateCodesAndFirmwareWithoutRatesRefuse) {
  struct Case {
    const char* type;
    const char* version;
    const char* command;
    const char* answer;
  };
  for (const Case& c : std::vector<Case>{{"KT30", "2.02", "set -baud 7", "\rERROR\r>"},
                                         {"KT30", "2.02", "set -baud -1", "\rERROR\r>"},
                                         {"KT30", "2.02", "set -baud", "\rERROR\r>"},
                                         {"KT3B", "2.04", "set -baud 4", "\rERROR\r>"},
                                         {"KT3", "1.65", "set -baud 4", "\r?\r>"}}) {
    Logger logger(MakeTestOptions(c.type, c.version));
    ASSERT_TRUE(logger.ok());
    EXPECT_EQ(logger.wire.Ask(c.command), c.answer) << c.type << " " << c.command;
  }
}

TEST(LoggerFaults, SilentAfterNExchangesUntilTheNextLogin) {
  Logger logger(WithFaults(MakeTestOptions("KT30", "2.02"), {"silent-after=3"}));
  ASSERT_TRUE(logger.ok());
  logger_wire::Wire& w = logger.wire;
  EXPECT_EQ(w.Ask("get -ver"), "\rKT30 2.02\r>");
  EXPECT_EQ(w.Ask("get -i"), "\rK30-1187\r>");
  EXPECT_EQ(w.Ask("get -sn"), "\r30A1187\r>");
  w.Send("get -w\r");
  EXPECT_EQ(w.Quiet(), "");
  w.Send("get -w\r");
  EXPECT_EQ(w.Quiet(), "");
  // The serial login's "get -ver" wakes it, and the count starts again.
  EXPECT_EQ(w.Ask("get -ver"), "\rKT30 2.02\r>");
  EXPECT_EQ(w.Ask("get -w"), "\r900\r>");
  EXPECT_EQ(w.Ask("get -w"), "\r900\r>");
  w.Send("get -w\r");
  EXPECT_EQ(w.Quiet(), "");
}

TEST(LoggerFaults, ALoggerThatFellSilentIsBackAt9600) {
  Logger logger(WithFaults(MakeTestOptions("KT30", "2.02"), {"silent-after=2", "baud-garbage"}));
  ASSERT_TRUE(logger.ok());
  logger_wire::Wire& w = logger.wire;
  EXPECT_EQ(w.Ask("get -ver"), "\rKT30 2.02\r>");
  EXPECT_EQ(w.Ask("set -baud 4"), "\rOK\r>");
  Pause(50);
  ASSERT_TRUE(w.SetSpeed(B115200));
  w.Send("get -i\r");
  EXPECT_EQ(w.Quiet(), "");
  ASSERT_TRUE(w.SetSpeed(B9600));
  EXPECT_EQ(w.Ask("get -ver"), "\rKT30 2.02\r>");
}

TEST(LoggerFaults, ANewSessionIsANewLogin) {
  Logger logger(WithFaults(MakeTestOptions("KT30", "2.02"), {"silent-after=1"}));
  ASSERT_TRUE(logger.ok());
  EXPECT_EQ(logger.wire.Ask("get -i"), "\rK30-1187\r>");
  logger.wire.Send("get -sn\r");
  EXPECT_EQ(logger.wire.Quiet(), "");
  logger.Reopen();
  EXPECT_EQ(logger.wire.Ask("get -sn"), "\r30A1187\r>");
}

TEST(LoggerFaults, ErrorAnswersRefuseEachCommandNTimes) {
  Logger logger(WithFaults(MakeTestOptions("KT30", "2.02"), {"error-answers=2"}));
  ASSERT_TRUE(logger.ok());
  logger_wire::Wire& w = logger.wire;
  EXPECT_EQ(w.Ask("get -i"), "\rERROR\r>");
  EXPECT_EQ(w.Ask("get -i"), "\rERROR\r>");
  EXPECT_EQ(w.Ask("get -i"), "\rK30-1187\r>");
  // The next command, and the same one again later, start their own count.
  EXPECT_EQ(w.Ask("get -sn"), "\rERROR\r>");
  EXPECT_EQ(w.Ask("get -i"), "\rERROR\r>");
  EXPECT_EQ(w.Ask("get -i"), "\rERROR\r>");
  EXPECT_EQ(w.Ask("get -i"), "\rK30-1187\r>");
  EXPECT_EQ(w.Ask(""), "\r\r>");
}

TEST(LoggerFaults, ErrorAnswersWithoutACountRefuseEverything) {
  Logger logger(WithFaults(MakeTestOptions("KT30", "2.02"), {"error-answers"}));
  ASSERT_TRUE(logger.ok());
  for (int i = 0; i < 4; ++i) EXPECT_EQ(logger.wire.Ask("get -ver"), "\rERROR\r>");
  EXPECT_EQ(logger.wire.Ask("set -i NEW"), "\rERROR\r>");
}

TEST(LoggerFaults, AnEchoingRelayRepeatsTheCommandBeforeTheAnswer) {
  Logger logger(WithFaults(MakeTestOptions("KT30", "2.02"), {"echo-relay"}));
  ASSERT_TRUE(logger.ok());
  EXPECT_EQ(logger.wire.Ask("get -ver"), "get -ver\r\rKT30 2.02\r>");
}

struct RadioFault {
  const char* fault;
  const char* type;
  const char* version;
  std::vector<std::pair<const char*, const char*>> exchanges;
};

const std::vector<RadioFault> kRadioFaults = {
    {"no-radio", "KT30", "2.02",
     {{"get -rver", "\rNo Radio\r>"},
      {"get -rch", "\rNo Radio\r>"},
      {"get -rsch", "\rNo Radio\r>"},
      {"set -rch 3", "\rNo Radio\r>"},
      // The trait tells of the modem alone.
      {"get -trait", "\r247\r>"}}},
    {"no-radio", "KT3", "2.04", {{"get -rver", "\rNo Radio\r>"}, {"set -rsch 10", "\rNo Radio\r>"}}},
    {"radio-version-0000", "KT30", "2.02", {{"get -rver", "\r0000\r>"}, {"get -rch", "\r2\r>"}}},
    {"radio-version-0000", "KT3", "2.04", {{"get -rver", "\rOK\r0000\r>"}}},
    {"dataflash-fail", "KT30", "2.02", {{"yes", "\rDataFlash FAIL\r>"}, {"post", "\rDataFlash FAIL\r>"}}},
    // Old firmware ends its erase report with '!'.
    {"dataflash-fail", "KT3", "1.65", {{"yes", "\rDataFlash FAIL!\r>"}}},
};

class LoggerRadioFaults : public ::testing::TestWithParam<RadioFault> {};

TEST_P(LoggerRadioFaults, AnswerAsTheFaultSays) {
  const RadioFault& f = GetParam();
  Logger logger(WithFaults(MakeTestOptions(f.type, f.version), {f.fault}));
  ASSERT_TRUE(logger.ok());
  for (auto [command, answer] : f.exchanges) EXPECT_EQ(logger.wire.Ask(command), answer) << command;
}

INSTANTIATE_TEST_SUITE_P(Faults, LoggerRadioFaults, ::testing::ValuesIn(kRadioFaults));

TEST(LoggerFaults, OldKt3WithoutARadioModuleHearsNothingThroughTerm) {
  Logger logger(WithFaults(MakeTestOptions("KT3", "1.65"), {"no-radio"}));
  ASSERT_TRUE(logger.ok());
  logger.wire.Send("term\r");
  Pause(50);
  logger.wire.Send("+++");
  EXPECT_EQ(logger.wire.Quiet(), "");
  EXPECT_EQ(logger.wire.Ask("term"), "\rOK\r>");
}

TEST(LoggerFaults, OldKt3ModuleReportsVersion0000) {
  Logger logger(WithFaults(MakeTestOptions("KT3", "1.65"), {"radio-version-0000"}));
  ASSERT_TRUE(logger.ok());
  logger.wire.Send("term\r");
  Pause(50);
  logger.wire.Send("+++");
  EXPECT_EQ(logger.wire.ReadUntil("OK\r"), "OK\r");
  logger.wire.Send("ATVR\r");
  EXPECT_EQ(logger.wire.ReadUntil("\r"), "0000\r");
}

}  // namespace
