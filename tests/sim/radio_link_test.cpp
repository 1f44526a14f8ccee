// The computer's radio module and the loggers behind it, as the computer sees them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/sim/logger_wire.h"

namespace {

using logger_wire::Logger;
using logger_wire::Pause;
using logger_wire::WithFaults;

SimOptions RadioOptions(std::initializer_list<const char*> faults = {}) {
  SimOptions o = WithFaults(MakeTestOptions("KT30", "2.02"), faults);
  o.radioLoggers = {"ALPHA", "BETA"};
  return o;
}

class RadioLink : public ::testing::Test {
 protected:
  void Start(SimOptions o) {
    logger_ = std::make_unique<Logger>(std::move(o));
    ASSERT_TRUE(logger_->ok());
  }
  logger_wire::Wire& w() { return logger_->wire; }

  // One AT command in command mode: the answer up to its carriage return.
  std::string At(std::string_view command) {
    w().Send(command);
    w().Send("\r");
    return w().ReadUntil("\r");
  }
  std::string Query() {
    w().Send("\rquery\r");
    return w().ReadUntil("\r");
  }
  std::string Login(std::string_view name) {
    w().Send(std::string("login ") + std::string(name) + "\r");
    return w().ReadUntil(">");
  }
  // Wake packets as the computer sends them, one carriage return at a time.
  void WakePackets(int n) {
    for (int i = 0; i < n; ++i) {
      w().Send("\r");
      Pause(2);
    }
  }

  std::unique_ptr<Logger> logger_;
};

TEST_F(RadioLink, AtCommandMode) {
  Start(RadioOptions());
  w().Send("+++");
  ASSERT_EQ(w().ReadUntil("OK\r"), "OK\r");
  const std::vector<std::pair<const char*, const char*>> exchanges = {
      {"ATHP", "2\r"},      {"ATDT", "520\r"},      {"ATVR", "1046\r"},  {"ATHPA", "OK\r"},
      {"ATHP", "A\r"},      {"ATDT1A2B", "OK\r"},   {"ATDT", "1A2B\r"},  {"athp3", "OK\r"},
      {"ATHP", "3\r"},      {"ATHPZ", "ERROR\r"},   {"ATHP10", "ERROR\r"}, {"ATDT10000", "ERROR\r"},
      {"ATXX", "ERROR\r"},  {"query", "ERROR\r"},   {"ATWR", "OK\r"},    {"ATCN", "OK\r"},
  };
  for (auto [command, answer] : exchanges) EXPECT_EQ(At(command), answer) << command;
  // Out of command mode the module passes lines over the air; no logger is logged in.
  w().Send("ATHP\r");
  EXPECT_EQ(w().Quiet(), "");
}

TEST_F(RadioLink, TheEscapeNeedsASecondOfSilenceBeforeIt) {
  Start(RadioOptions());
  EXPECT_EQ(Query(), "ALPHA\r");
  w().Send("+++");
  EXPECT_EQ(w().Quiet(), "");
  Pause(1100);
  w().Send("+++");
  EXPECT_EQ(w().ReadUntil("OK\r"), "OK\r");
  EXPECT_EQ(At("ATCN"), "OK\r");
}

TEST_F(RadioLink, QueryLoginByNameAndLogout) {
  Start(RadioOptions());
  EXPECT_EQ(Query(), "ALPHA\r");
  EXPECT_EQ(Login("BETA"), "\r\r>");
  EXPECT_EQ(w().Ask("get -i"), "\rBETA\r>");
  EXPECT_EQ(w().Ask("get -ver"), "\rKT30 2.02\r>");
  // Each logger its own serial number.
  EXPECT_EQ(w().Ask("get -sn"), "\r30A11872\r>");
  // A logger that logs out goes to sleep at once: it answers neither the logout nor a login.
  w().Send("logout\r");
  EXPECT_EQ(w().Quiet(), "");
  w().Send("login BETA\r");
  EXPECT_EQ(w().Quiet(), "");
  EXPECT_EQ(Login("ALPHA"), "\r\r>");
  EXPECT_EQ(w().Ask("get -i"), "\rALPHA\r>");
  EXPECT_EQ(w().Ask("get -sn"), "\r30A11871\r>");
}

TEST_F(RadioLink, LoginWithoutANameTakesTheFirstListeningLogger) {
  Start(RadioOptions());
  w().Send("login\r");
  EXPECT_EQ(w().ReadUntil(">"), "\r\r>");
  EXPECT_EQ(w().Ask("get -i"), "\rALPHA\r>");
}

TEST_F(RadioLink, NobodyAnswersForAnUnknownName) {
  Start(RadioOptions());
  w().Send("login GAMMA\r");
  EXPECT_EQ(w().Quiet(), "");
  w().Send("get -i\r");
  EXPECT_EQ(w().Quiet(), "");
}

TEST_F(RadioLink, ALoginToAnotherLoggerSendsTheFirstToSleep) {
  Start(RadioOptions());
  EXPECT_EQ(Login("ALPHA"), "\r\r>");
  EXPECT_EQ(Login("BETA"), "\r\r>");
  EXPECT_EQ(w().Ask("get -i"), "\rBETA\r>");
  w().Send("login ALPHA\r");
  EXPECT_EQ(w().Quiet(), "");
}

TEST_F(RadioLink, LoggersOnAnotherChannelAreNotHeard) {
  Start(RadioOptions());
  w().Send("+++");
  ASSERT_EQ(w().ReadUntil("OK\r"), "OK\r");
  EXPECT_EQ(At("ATHP5"), "OK\r");
  EXPECT_EQ(At("ATCN"), "OK\r");
  w().Send("\rquery\r");
  EXPECT_EQ(w().Quiet(), "");
  w().Send("login ALPHA\r");
  EXPECT_EQ(w().Quiet(), "");
  Pause(1100);
  w().Send("+++");
  ASSERT_EQ(w().ReadUntil("OK\r"), "OK\r");
  EXPECT_EQ(At("ATHP2"), "OK\r");
  EXPECT_EQ(At("ATCN"), "OK\r");
  EXPECT_EQ(Login("ALPHA"), "\r\r>");
  // A logger told to change its channel answers on the old one and is gone from this one.
  EXPECT_EQ(w().Ask("set -rch 4"), "\rOK\r>");
  w().Send("get -i\r");
  EXPECT_EQ(w().Quiet(), "");
}

TEST_F(RadioLink, SleepingLoggersWakeAfterARunOfCarriageReturns) {
  Start(RadioOptions({"radio-asleep"}));
  w().Send("login ALPHA\r");
  EXPECT_EQ(w().Quiet(), "");
  // "\rquery\r" carries one packet: 18 + 1 make 19, one short.
  WakePackets(18);
  w().Send("\rquery\r");
  EXPECT_EQ(w().Quiet(), "");
  WakePackets(1);
  EXPECT_EQ(Query(), "ALPHA\r");
  EXPECT_EQ(Login("ALPHA"), "\r\r>");
}

TEST_F(RadioLink, APauseInTheWakeSequenceStartsTheCountAgain) {
  Start(RadioOptions({"radio-asleep"}));
  WakePackets(15);
  Pause(1100);
  WakePackets(15);
  w().Send("\rquery\r");
  EXPECT_EQ(w().Quiet(), "");
  WakePackets(4);
  EXPECT_EQ(Query(), "ALPHA\r");
}

TEST_F(RadioLink, ALoggerThatLoggedOutNeedsWakingAgain) {
  Start(RadioOptions());
  EXPECT_EQ(Login("BETA"), "\r\r>");
  w().Send("logout\r");
  EXPECT_EQ(w().Quiet(), "");
  // ALPHA still listens and answers the query; BETA sleeps.
  EXPECT_EQ(Query(), "ALPHA\r");
  w().Send("login BETA\r");
  EXPECT_EQ(w().Quiet(), "");
  WakePackets(20);
  EXPECT_EQ(Login("BETA"), "\r\r>");
}

TEST_F(RadioLink, ClosingThePortLeavesTheLoggerListening) {
  Start(RadioOptions());
  EXPECT_EQ(Login("BETA"), "\r\r>");
  logger_->Reopen();
  w().Send("get -i\r");
  EXPECT_EQ(w().Quiet(), "");
  EXPECT_EQ(Login("BETA"), "\r\r>");
  EXPECT_EQ(w().Ask("get -i"), "\rBETA\r>");
}

TEST_F(RadioLink, ARelayRepeatsWhatGoesOverTheAir) {
  Start(RadioOptions({"echo-relay"}));
  w().Send("\rquery\r");
  EXPECT_EQ(w().ReadUntil("ALPHA\r"), "\rquery\rALPHA\r");
  // The module's command mode is not on the air.
  Pause(1100);
  w().Send("+++");
  EXPECT_EQ(w().ReadUntil("OK\r"), "OK\r");
  EXPECT_EQ(At("ATHP"), "2\r");
}

TEST_F(RadioLink, WithoutAModuleNothingAnswers) {
  Start(RadioOptions({"no-radio"}));
  w().Send("+++");
  EXPECT_EQ(w().Quiet(), "");
  w().Send("\rquery\r");
  EXPECT_EQ(w().Quiet(), "");
}

TEST_F(RadioLink, AModuleThatReportsVersion0000) {
  Start(RadioOptions({"radio-version-0000"}));
  w().Send("+++");
  ASSERT_EQ(w().ReadUntil("OK\r"), "OK\r");
  EXPECT_EQ(At("ATVR"), "0000\r");
}

TEST_F(RadioLink, ALoggerThatFellSilentAnswersAfterANewLogin) {
  Start(RadioOptions({"silent-after=2"}));
  EXPECT_EQ(Login("ALPHA"), "\r\r>");
  EXPECT_EQ(w().Ask("get -i"), "\rALPHA\r>");
  EXPECT_EQ(w().Ask("get -ver"), "\rKT30 2.02\r>");
  w().Send("get -w\r");
  EXPECT_EQ(w().Quiet(), "");
  // Over the radio "get -ver" is no login.
  w().Send("get -ver\r");
  EXPECT_EQ(w().Quiet(), "");
  EXPECT_EQ(Login("ALPHA"), "\r\r>");
  EXPECT_EQ(w().Ask("get -w"), "\r900\r>");
}

TEST_F(RadioLink, ErrorAnswersReachTheLoggersCommands) {
  Start(RadioOptions({"error-answers=1"}));
  EXPECT_EQ(Query(), "ALPHA\r");
  EXPECT_EQ(Login("ALPHA"), "\r\r>");
  EXPECT_EQ(w().Ask("get -i"), "\rERROR\r>");
  EXPECT_EQ(w().Ask("get -i"), "\rALPHA\r>");
}

TEST_F(RadioLink, ARateChangeOverTheRadioLeavesTheLineAlone) {
  Start(RadioOptions({"baud-garbage"}));
  EXPECT_EQ(Login("ALPHA"), "\r\r>");
  EXPECT_EQ(w().Ask("set -baud 4"), "\rOK\r>");
  Pause(50);
  EXPECT_EQ(w().Ask("get -i"), "\rALPHA\r>");
}

}  // namespace
