// VerCommand, ParseShowCommand and NameCommand on answers given by hand.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "tests/link/link_fixture.h"

namespace {

using Identification = LinkOnPty;

struct VersionCase {
  const char* answer;
  LoggerType type;
  const char* typeName;
  int32_t version;
  uint32_t capabilities;
};

TEST_F(Identification, VersionAnswersGiveTypeVersionAndCapabilities) {
  const VersionCase cases[] = {
      {"\rKT30 2.02\r>", LT_KT30, "Kt30", 202, 0x5E7FFF7},
      {"\rkt3b 2.04\r>", LT_KT3B, "Kt3b", 204, 0x474BE},
      {"\r\rGN 1.50\r>", LT_GN, "GridNode", 150, 0x1005},
      {"\rXYZ 3.10\r>", LT_UNKNOWN, "Unknown", 310, 0x1005},
      {"\rRL9 10.01\r>", LT_RL9, "rL9", 1001, 0x5E3FFF7},
  };
  for (const VersionCase& c : cases) {
    link.settings = LoggerSettings{};
    device.Script({c.answer});
    ASSERT_EQ(VerCommand(link, 1), 1) << c.answer;
    EXPECT_EQ(link.settings.loggerType, c.type) << c.answer;
    EXPECT_EQ(TextOf(link.settings.typeName), c.typeName);
    EXPECT_EQ(link.settings.versionNumber, c.version);
    EXPECT_EQ(link.settings.newFirmware, 1);
    EXPECT_EQ(link.settings.capabilities, c.capabilities) << std::hex << link.settings.capabilities;
  }
  EXPECT_NE(Log().find("VerCommand found \"KT30 2.02\" ver 202 ("), std::string::npos);
}

TEST_F(Identification, OneDigitAfterThePointIsReadAgain) {
  device.Script({"\rKT3 2.1\r>", "\rKT3 2.10\r>"});
  EXPECT_EQ(VerCommand(link, 1), 1);
  EXPECT_EQ(link.settings.versionNumber, 210);
  EXPECT_EQ(Sent().size(), 2u);
}

TEST_F(Identification, TwoRefusalsMeanAnOldKt3AndLoginModeSendsNoShow) {
  device.Script({}, "\rERROR\r>");
  EXPECT_EQ(VerCommand(link, 1), 1);
  EXPECT_EQ(link.settings.loggerType, LT_KT3);
  EXPECT_EQ(link.settings.newFirmware, 0);
  EXPECT_EQ(link.settings.capabilities, 0x331Cu);
  const auto sent = Sent();
  EXPECT_EQ(std::count(sent.begin(), sent.end(), "show\r"), 0);
  EXPECT_NE(Log().find("VerCommand found Kt3 with old firmware ("), std::string::npos);
}

TEST_F(Identification, BootloaderAnswersAreRecognised) {
  device.Script({"+12+\r"});
  EXPECT_EQ(VerCommand(link, 1), -80);
  EXPECT_EQ(link.settings.loggerType, LT_UNKNOWN);
  EXPECT_EQ(link.settings.versionNumber, 0);
  EXPECT_NE(Log().find("VerCommand failed with error -80 ("), std::string::npos);
}

TEST_F(Identification, ThreeBareCarriageReturnsGiveUp) {
  device.Script({}, "\r");
  EXPECT_EQ(VerCommand(link, 1), -30);
  EXPECT_EQ(Sent().size(), 3u);
}

TEST_F(Identification, NothingListeningIsMinus20AndClosesThePort) {
  QSClose(link.port);
  device.AllowReopen();
  SolixOptions options;
  options.serialTries = 1;
  ASSERT_EQ(DeviceOptions(link, options, 1), 1);
  device.Script({});
  SolixConnection c;
  c.port = device.path();
  c.kind = kConnSerial;
  c.baudIndex = 6;
  EXPECT_EQ(ConnectDevice(link, &c), -20);
  EXPECT_EQ(link.connection.kind, 0);
  EXPECT_LT(link.port.portHandle, 0);
  EXPECT_FALSE(Sent().empty());
  for (const std::string& sent : Sent()) EXPECT_EQ(sent, "get -ver\r");
  EXPECT_NE(Log().find("DeviceLogin: nothing is listening over the serial port"), std::string::npos);
}

class ShowCommand : public LinkOnPty {
 protected:
  void SetUp() override {
    LinkOnPty::SetUp();
    link.settings.loggerType = LT_KT3;
    link.settings.newFirmware = 0;
  }
};

TEST_F(ShowCommand, FillsNameVersionRadioWakeAndResets) {
  device.Script({"\rID: LAKE01\rVersion: 1.65\rRadio: 2\rWake: 60\rResets: 4\r>"});
  ASSERT_EQ(ParseShowCommand(link, nullptr), 1);
  EXPECT_EQ(TextOf(link.settings.deviceName), "LAKE01");
  EXPECT_EQ(TextOf(link.settings.versionText), "1.65");
  EXPECT_EQ(link.settings.versionNumber, 165);
  EXPECT_EQ(link.settings.radioMode, 2u);
  EXPECT_EQ(link.settings.wakeInterval, 60);
  EXPECT_EQ(link.resets, 4);
  EXPECT_NE(Log().find("ParseShowCommand found LAKE01:1.65:2:60:4 ("), std::string::npos);
}

TEST_F(ShowCommand, NameOnly) {
  device.Script({"\rID: LAKE01\rVersion: 1.65\r>"});
  FixedText<9> name{};
  ASSERT_EQ(ParseShowCommand(link, &name), 1);
  EXPECT_EQ(TextOf(name), "LAKE01");
  EXPECT_EQ(link.settings.versionNumber, 0);
}

TEST_F(ShowCommand, TooOldAModelSetsNothing) {
  device.Script({"\rID: LAKE01\rVersion: 1.09\rWake: 60\r>"});
  EXPECT_EQ(ParseShowCommand(link, nullptr), -13);
  EXPECT_EQ(TextOf(link.settings.deviceName), "");
  EXPECT_EQ(link.settings.versionNumber, 0);
  EXPECT_EQ(link.settings.wakeInterval, 0);
}

TEST_F(ShowCommand, AnUnreadableValueClearsTheIdentity) {
  device.Script({"\rID: LAKE01\rVersion: 1.65\rWake: never\r>"});
  EXPECT_EQ(ParseShowCommand(link, nullptr), -30);
  EXPECT_EQ(TextOf(link.settings.deviceName), "");
  EXPECT_EQ(link.settings.versionNumber, -1);
  EXPECT_EQ(link.settings.wakeInterval, -1);
  EXPECT_NE(Log().find("ParseShowCommand failed with errors 39 and 8 ("), std::string::npos);
}

TEST_F(ShowCommand, RefusedForNewFirmware) {
  link.settings.newFirmware = 1;
  EXPECT_EQ(ParseShowCommand(link, nullptr), -11);
  EXPECT_TRUE(Sent().empty());
}

TEST_F(Identification, NameCommand) {
  Identify(LT_KT30, 202);
  FixedText<9> name{};
  SetText(name, "post");
  EXPECT_EQ(NameCommand(link, name, 1), -52);
  EXPECT_TRUE(Sent().empty());
  EXPECT_NE(Log().find("NameCommand: \"post\" is an illegal device name (error -52)"),
            std::string::npos);

  device.Script({"\r\r>", "\rLAKE01\r>", "\rOK\r>"});
  EXPECT_EQ(NameCommand(link, name, 0), -36);
  EXPECT_EQ(Log().find("NameCommand failed"), std::string::npos);  // no line for -36
  EXPECT_EQ(NameCommand(link, name, 0), 1);
  EXPECT_EQ(TextOf(name), "LAKE01");
  SetText(name, "LAKE02");
  EXPECT_EQ(NameCommand(link, name, 1), 1);
  EXPECT_EQ(Sent().back(), "set -i LAKE02\r");
}

}  // namespace
