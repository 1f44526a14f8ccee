// The access code of the instruments that need one: typed one character at a time, refused
// when wrong, ended by "logout" and by a close of the port; everything but "get -ver",
// "login", "logout" and "boot" is refused until then.

#include <gtest/gtest.h>

#include <string>

#include "tests/sim/instrument_wire.h"

namespace {

using instrument_wire::Answer;
using instrument_wire::Device;

// The types whose command interpreter needs the access code, and some that do not.
struct LoginCase {
  const char* type;
  const char* version;
  bool needsLogin;
};

const LoginCase kLoginCases[] = {
    {"MTQ", "3.50", true},    {"V8X", "2.05", true},   {"VMINI", "1.20", true},
    {"V7X", "3.51", true},    {"PTM7", "1.10", true},  {"TQ", "2.10", false},
    {"RV", "1.23", false},    {"HSRB", "1.05", false}, {"QHM", "1.00", false},
    {"TRNK6", "1.00", false}, {"KCB", "1.02", false},  {"SG", "1.40", false},
    {"RD60", "2.00", false},
};

class InstrumentLogin : public ::testing::TestWithParam<LoginCase> {};

TEST_P(InstrumentLogin, SettingsOnlyAfterTheAccessCode) {
  const LoginCase& c = GetParam();
  Device d = Device::Start(c.type, c.version);
  ASSERT_TRUE(d.ok());
  // Every instrument type has a serial number or an ADC calibration to read.
  const char* probe = std::string(c.type) == "V7X" ? "get -adccal" : "get -sn";
  if (!c.needsLogin) {
    EXPECT_NE(d.wire->Ask(probe), Answer("ERROR"));
    return;
  }
  EXPECT_EQ(d.wire->Ask(probe), Answer("ERROR"));
  EXPECT_EQ(d.wire->Ask("get -ver"), Answer(std::string(c.type) + " " + c.version));
  EXPECT_EQ(d.wire->TypeLogin(), Answer("OK"));
  std::string value = d.wire->Ask(probe);
  EXPECT_NE(value, Answer("ERROR"));
  EXPECT_NE(value, Answer("?"));
}

std::string LoginName(const ::testing::TestParamInfo<LoginCase>& info) {
  return info.param.type;
}

INSTANTIATE_TEST_SUITE_P(Types, InstrumentLogin, ::testing::ValuesIn(kLoginCases), LoginName);

class MtqLogin : public ::testing::Test {
 protected:
  void SetUp() override {
    d_ = Device::Start("MTQ", "3.50");
    ASSERT_TRUE(d_.ok());
  }
  instrument_wire::Wire& wire() { return *d_.wire; }
  Device d_;
};

TEST_F(MtqLogin, WrongCodesAreRefused) {
  for (const char* line : {"login *4739", "login 4738", "login", "login *4738 x", "login  *4738"}) {
    EXPECT_EQ(wire().TypeLogin(line), Answer("ERROR")) << line;
    EXPECT_EQ(wire().Ask("get -sn"), Answer("ERROR")) << line;
  }
}

TEST_F(MtqLogin, AWrongCodeEndsALogin) {
  ASSERT_EQ(wire().TypeLogin(), Answer("OK"));
  EXPECT_EQ(wire().TypeLogin("login *1234"), Answer("ERROR"));
  EXPECT_EQ(wire().Ask("get -sn"), Answer("ERROR"));
}

TEST_F(MtqLogin, TheCodeSentInOneGoIsTakenToo) {
  EXPECT_EQ(wire().Ask("login *4738"), Answer("OK"));
  EXPECT_EQ(wire().Ask("get -sn"), Answer("MTQ104826"));
}

TEST_F(MtqLogin, LogoutEndsTheLogin) {
  ASSERT_EQ(wire().TypeLogin(), Answer("OK"));
  EXPECT_EQ(wire().Ask("logout"), Answer("OK"));
  EXPECT_EQ(wire().Ask("get -sn"), Answer("ERROR"));
  EXPECT_EQ(wire().Ask("logout"), Answer("OK"));  // logging out twice is harmless
}

TEST_F(MtqLogin, ClosingThePortEndsTheLogin) {
  ASSERT_EQ(wire().TypeLogin(), Answer("OK"));
  ASSERT_EQ(wire().Ask("get -sn"), Answer("MTQ104826"));
  d_.Reopen();
  EXPECT_EQ(wire().Ask("get -sn"), Answer("ERROR"));
  EXPECT_EQ(wire().TypeLogin(), Answer("OK"));
  EXPECT_EQ(wire().Ask("get -sn"), Answer("MTQ104826"));
}

TEST_F(MtqLogin, BootIsTakenWithoutTheCode) {
  wire().Send("boot KELP\r");
  EXPECT_EQ(wire().ReadUntil("OK\r"), "\rOK\r");
}

}  // namespace
