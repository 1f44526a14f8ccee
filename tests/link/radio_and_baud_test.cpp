// Radio values, the radio module's AT mode, baud changes and the radio query, on answers
// given by hand.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/link/link_fixture.h"

namespace {

using Radio = LinkOnPty;
using Strings = std::vector<std::string>;

TEST_F(Radio, NoRadioSkipsTheOtherReads) {
  Identify(LT_KT30, 202);
  device.Script({"\rNo Radio\r>"});
  int32_t rch = 0, rsch = 0;
  FixedText<9> version{};
  uint32_t flags = kMaskRadioValues;
  EXPECT_EQ(MSRadioCommand(link, &rch, &rsch, &version, 0, &flags), -45);
  EXPECT_EQ(flags, 0u);
  EXPECT_EQ(Sent(), Strings{"get -rver\r"});
  EXPECT_NE(Log().find("MSRadioCommand couldn't find a radio ("), std::string::npos);
}

TEST_F(Radio, VersionBeginningWith00IsNoRadio) {
  Identify(LT_KT30, 202);
  device.Script({"\r0000\r>"});
  FixedText<9> version{};
  uint32_t flags = kMaskRadioVersion;
  EXPECT_EQ(MSRadioCommand(link, nullptr, nullptr, &version, 0, &flags), -45);
  EXPECT_EQ(TextOf(version), "");
  EXPECT_EQ(flags, 0u);
}

TEST_F(Radio, OutOfRangeRchIsAskedAgainThenGivenUp) {
  Identify(LT_KT30, 202);
  device.Script({}, "\r9\r>");
  int32_t rch = 3;
  uint32_t flags = kMaskRch;
  EXPECT_EQ(MSRadioCommand(link, &rch, nullptr, nullptr, 0, &flags), 1);
  EXPECT_EQ(flags, 0u);
  EXPECT_EQ(rch, 3);
  EXPECT_EQ(Sent(), (Strings{"get -rch\r", "get -rch\r", "get -rch\r"}));
  EXPECT_NE(Log().find("MSRadioCommand could not find rch ("), std::string::npos);
  EXPECT_NE(Log().find("MSRadioCommand failed with error 1 setting 1024 ("), std::string::npos);
}

TEST_F(Radio, ValuesReadAfterOk) {
  Identify(LT_KT30, 202);
  device.Script({"\r1046\r>", "\rOK 4\r>", "\r520\r>"});
  int32_t rch = 0, rsch = 0;
  FixedText<9> version{};
  uint32_t flags = kMaskRadioValues;
  EXPECT_EQ(MSRadioCommand(link, &rch, &rsch, &version, 0, &flags), 1);
  EXPECT_EQ(flags, kMaskRadioValues);
  EXPECT_EQ(TextOf(version), "1046");
  EXPECT_EQ(rch, 4);
  EXPECT_EQ(rsch, 0x520);
}

TEST_F(Radio, Kt3ConfirmsTwice) {
  Identify(LT_KT3, 210);
  device.Script({"\rOK\r>", "\rOK\r>", "\rOK\r>", "\rOK\r\rOK\r>"});
  int32_t rch = 5, rsch = 0xABC;
  uint32_t flags = kMaskRch | kMaskRsch;
  EXPECT_EQ(MSRadioCommand(link, &rch, &rsch, nullptr, 1, &flags), -35);
  EXPECT_EQ(flags, kMaskRsch);
  EXPECT_EQ(Sent(), (Strings{"set -rch 5\r", "set -rch 5\r", "set -rch 5\r", "set -rsch ABC\r"}));
}

TEST_F(Radio, WithoutRadioCapability) {
  Identify(LT_GN, 100);
  uint32_t flags = kMaskRch;
  int32_t rch = 0;
  EXPECT_EQ(MSRadioCommand(link, &rch, nullptr, nullptr, 0, &flags), -1);
  EXPECT_EQ(flags, 0u);
  EXPECT_EQ(MSRadioCommand(link, &rch, nullptr, nullptr, 0, nullptr), -10);
  EXPECT_TRUE(Sent().empty());
}

TEST_F(Radio, ModuleWrittenAndSaved) {
  device.Script({"OK\r", "OK\r", "OK\r", "OK\r", "OK\r"});
  int32_t rch = 10, rsch = 0x520;
  uint32_t flags = kMaskRch | kMaskRsch;
  EXPECT_EQ(Qr7Config(link, &rch, &rsch, nullptr, 1, &flags), 1);
  EXPECT_EQ(flags, kMaskRch | kMaskRsch);
  EXPECT_EQ(Sent(), (Strings{"+++", "ATHPA\r", "ATDT520\r", "ATWR\r", "ATCN\r"}));
}

TEST_F(Radio, ModuleThatReadsNothingIsNoSuccess) {
  device.Script({"OK\r", "\r", "OK\r"});
  int32_t rch = 0;
  uint32_t flags = kMaskRch;
  EXPECT_EQ(Qr7Config(link, &rch, nullptr, nullptr, 0, &flags), -30);
  EXPECT_EQ(flags, 0u);
  EXPECT_NE(Log().find("Qr7Config could not find rch ("), std::string::npos);
  EXPECT_NE(Log().find("Qr7Config failed with error -30 and 1 ("), std::string::npos);
}

TEST_F(Radio, BaudCodes) {
  Identify(LT_KT30, 202);
  device.Script({}, "\rOK\r>");
  EXPECT_EQ(SetBaudCommand(link, 115200), 1);
  EXPECT_EQ(SetBaudCommand(link, 1200), 1);
  EXPECT_EQ(SetBaudCommand(link, 460800), 1);
  EXPECT_EQ(Sent(), (Strings{"set -baud 4\r", "set -baud 0\r", "set -baud 6\r"}));
  EXPECT_NE(Log().find("SetBaudCommand: unsupported baud rate 1200, using 9600"), std::string::npos);
  Identify(LT_KT3, 165, false);
  EXPECT_EQ(SetBaudCommand(link, 115200), -1);
  EXPECT_EQ(Sent().size(), 3u);
}

TEST_F(Radio, SilenceAfterAskingFor9600IsSuccess) {
  Identify(LT_KT30, 202);
  link.tries = 1;
  device.Script({});
  EXPECT_EQ(SetBaudCommand(link, 9600), 1);
}

TEST_F(Radio, NameBreakingTheRuleIsNotHeard) {
  link.tries = 1;
  // "\rquery\r" reaches the device as an empty line, then "query".
  device.Script({std::nullopt, "bad/nm\r"});
  std::array<char, 9> name{};
  EXPECT_EQ(QueryCommand(link, name.data(), 1), -22);
  EXPECT_STREQ(name.data(), "");
  EXPECT_EQ(link.tries, 1u);
  EXPECT_NE(Log().find("QueryCommand didn't get any answers after 1 tries ("), std::string::npos);
  EXPECT_EQ(QueryCommand(link, name.data(), 0), -10);
}

TEST_F(Radio, QueryRepeatedByARelay) {
  link.tries = 1;
  device.Script({std::nullopt, "\rquery\r"});
  std::array<char, 9> name{};
  EXPECT_EQ(QueryCommand(link, name.data(), 1), -33);
  EXPECT_NE(Log().find("QueryCommand is hearing \"query\" -- a relay must be active ("),
            std::string::npos);
}

TEST_F(Radio, QueryCancelledByTheHook) {
  SolixOptions o;
  o.showProgress = 1;
  ASSERT_EQ(DeviceOptions(link, o, 1), 1);
  link.progressHook = [](uint32_t, uint32_t, int phase) { return phase != kProgressQuery; };
  std::array<char, 9> name{};
  EXPECT_EQ(QueryCommand(link, name.data(), 1), -40);
  EXPECT_TRUE(Sent().empty());
  EXPECT_NE(Log().find("QueryCommand canceled by user"), std::string::npos);
}

TEST_F(Radio, LoginNames) {
  EXPECT_EQ(LoginCommand(link, "NINELETTR"), -54);
  EXPECT_NE(Log().find("LoginCommand: Device name NINELETTR is wrong length (9 characters)"),
            std::string::npos);
  device.Script({"\r\r>", "\r>", "\rnope"});
  EXPECT_EQ(LoginCommand(link, "FIELD1"), 1);
  EXPECT_EQ(LoginCommand(link, ""), 1);
  EXPECT_EQ(Sent(), (Strings{"login FIELD1\r", "login\r"}));
}

TEST_F(Radio, WakeCancelledByTheHook) {
  SolixOptions o;
  o.showProgress = 1;
  ASSERT_EQ(DeviceOptions(link, o, 1), 1);
  std::vector<uint32_t> reported;
  link.progressHook = [&](uint32_t, uint32_t done, int) {
    reported.push_back(done);
    return done < 36;
  };
  EXPECT_EQ(SendWake(link), -40);
  EXPECT_EQ(reported, (std::vector<uint32_t>{0, 18, 36}));
  EXPECT_NE(Log().find("SendWake canceled by user after sending 36 of 909 packets"),
            std::string::npos);
}

}  // namespace
