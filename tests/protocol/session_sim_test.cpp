// Connecting, logging in and out, and the short device checks, against simulated devices.

#include <ctime>

#include "protocol/settings_file.h"
#include "serial/timing.h"
#include "tests/protocol/protocol_sim_fixture.h"

namespace {

using Session = ProtocolOnSim;

struct ConnectCase {
  const char* type;
  const char* version;
  bool login;
};

class Connecting : public ProtocolOnSim, public ::testing::WithParamInterface<ConnectCase> {};

TEST_P(Connecting, IdentifiesTheDeviceAndLogsInWhereItMust) {
  const ConnectCase& c = GetParam();
  ASSERT_GE(Connect(c.type, c.version), 0);
  EXPECT_EQ(identity.type, DeviceTypeFromCode(c.type));
  EXPECT_EQ(qp.deviceType, identity.type);
  EXPECT_STREQ(qp.identity.displayName, identity.displayName);
  EXPECT_EQ(qp.loggerSettings.newFirmware, 1);
  EXPECT_EQ(TextOf(qp.loggerSettings.versionText), std::string(c.type) + " " + c.version);
  EXPECT_TRUE(Logged("QPConnect successfully connected to device"));
  EXPECT_EQ(Log().find("loged into the device") != std::string::npos, c.login);
  // Logged in or not needed: the device takes a command that needs the login.
  EXPECT_NE(Send(qp, "get -batt\r"), "");
}

INSTANTIATE_TEST_SUITE_P(Devices, Connecting,
                         ::testing::Values(ConnectCase{"MTQ", "3.50", true},
                                           ConnectCase{"V8X", "2.10", true},
                                           ConnectCase{"KT30", "1.12", false},
                                           ConnectCase{"RV", "1.20", false}),
                         [](const auto& info) { return std::string(info.param.type); });

TEST_F(Session, MissingArgumentsAreRefused) {
  EXPECT_EQ(QPConnect(qp, nullptr, 2, 3, &identity), -10);
  EXPECT_EQ(QPConnect(qp, "", 2, 3, &identity), -10);
  EXPECT_EQ(QPConnect(qp, "/dev/null", 2, 3, nullptr), -10);
  EXPECT_EQ(QPCheckBattery(qp, nullptr), -10);
}

TEST_F(Session, BootloaderThatListensLeavesTheIdentityAsItWas) {
  SimOptions o = MakeTestOptions("MTQ", "3.50");
  o.bootloader = "waiting";
  server = StartSim(o);
  ASSERT_NE(server, nullptr);
  qp.deviceType = DT_V8X;
  int32_t r = QPConnect(qp, server->slavePath().c_str(), kBaudIndex9600, 3, &identity);
  EXPECT_TRUE(r == -80 || r == -81) << r;
  EXPECT_EQ(qp.deviceType, DT_V8X);
  EXPECT_EQ(qp.identity.type, DT_UNKNOWN);
  EXPECT_TRUE(Logged("QPConnect found the QuilBSL listening (" + std::to_string(r) + ")"));
}

TEST_F(Session, UnsupportedFirmwareIsRefused) {
  // A Vapora Mini before 1.18 cannot be updated.
  EXPECT_EQ(Connect("VMINI", "1.10"), -120);
  EXPECT_TRUE(Logged("QPConnect this firmware version is not supported"));
}

TEST_F(Session, BatteryLevel) {
  ASSERT_GE(Connect("RV", "1.20", {"battery=7"}), 0);
  int32_t percent = 0;
  EXPECT_EQ(QPCheckBattery(qp, &percent), 1);
  EXPECT_EQ(percent, 7);
  EXPECT_NE(Log().find("Quil_protocol: QPCheckBattery: 7% battery ("), std::string::npos);
}

TEST_F(Session, BatteryOfAnInstrumentThatDoesNotAnswerIsMinusOne) {
  ASSERT_GE(Connect("RV", "1.20"), 0);
  QPLogout(qp, false);  // the port is closed: nothing answers
  int32_t percent = 50;
  EXPECT_LT(QPCheckBattery(qp, &percent), 0);
  EXPECT_EQ(percent, -1);
}

struct PostCase {
  const char* fault;
  int32_t expected;
};

class CodeCheck : public ProtocolOnSim, public ::testing::WithParamInterface<PostCase> {};

TEST_P(CodeCheck, ReportsTheDevicesVerdict) {
  std::vector<std::string> faults;
  if (*GetParam().fault != '\0') faults.push_back(GetParam().fault);
  ASSERT_GE(Connect("MTQ", "3.50", faults), 0);
  EXPECT_EQ(QPCheckFirmware(qp, false), GetParam().expected);
  EXPECT_EQ(QPCheckFirmware(qp, true), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Faults, CodeCheck,
                         ::testing::Values(PostCase{"", 1}, PostCase{"code-corrupt", -1},
                                           // The data memory's report comes before the verdict.
                                           PostCase{"dataflash-fail", 1}));

struct EraseCase {
  const char* type;
  const char* fault;
  int32_t expected;
};

class Erasing : public ProtocolOnSim, public ::testing::WithParamInterface<EraseCase> {};

TEST_P(Erasing, ByDeviceType) {
  const EraseCase& c = GetParam();
  std::vector<std::string> faults;
  if (*c.fault != '\0') faults.push_back(c.fault);
  ASSERT_GE(Connect(c.type, c.type == std::string("KT30") ? "1.12" : "2.10", faults), 0);
  EXPECT_EQ(QPEraseData(qp), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Devices, Erasing,
                         ::testing::Values(EraseCase{"V8X", "", 1},
                                           EraseCase{"V8X", "dataflash-fail", -65},
                                           EraseCase{"MTQ", "", -13}, EraseCase{"PTM7", "", -13}));

TEST_F(Session, EraseFailureIsLogged) {
  ASSERT_GE(Connect("RV", "1.20", {"dataflash-fail"}), 0);
  EXPECT_EQ(QPEraseData(qp), -65);
  EXPECT_NE(Log().find("Quil_protocol: QPEraseData failed due to a broken DataFlash ("),
            std::string::npos);
}

TEST_F(Session, ClockOfAnInstrumentIsLocalSecondsSince2000) {
  ASSERT_GE(Connect("V8X", "2.10"), 0);
  int64_t before = QPDeviceSeconds(std::time(nullptr), TimeZoneOffsetSeconds());
  EXPECT_GT(QPSetTime(qp), 0);
  int32_t deviceSeconds = 0;
  ASSERT_EQ(GetValueLong(qp, "get -sec", 2000, &deviceSeconds), 1);
  int64_t after = QPDeviceSeconds(std::time(nullptr), TimeZoneOffsetSeconds());
  EXPECT_GE(deviceSeconds, before);
  EXPECT_LE(deviceSeconds, after);
  EXPECT_NE(Log().find("Quil_protocol: QPSetTime set the time to: "), std::string::npos);
}

TEST_F(Session, ClockOfADeviceWithoutOneIsNotSet) {
  ASSERT_GE(Connect("MTQ", "3.50"), 0);
  EXPECT_EQ(QPSetTime(qp), -13);
}

TEST_F(Session, LogoutEndsTheLoginAndReleasesThePort) {
  ASSERT_GE(Connect("MTQ", "3.50"), 0);
  EXPECT_EQ(QPLogout(qp, true), 1);
  EXPECT_EQ(qp.link->port.portHandle, kQSClosed);
  // Connecting again logs in again.
  Quil_protocol other{&log};
  EXPECT_GE(Reconnect(other), 0);
  EXPECT_NE(Value(other, "get -sn"), "");
}

TEST_F(Session, SerialNumberIsAskedBeforeTheConfiguration) {
  ASSERT_GE(Connect("MTQ", "3.50"), 0);
  EXPECT_EQ(GetInstInfo(qp, 0x802), 1);
  EXPECT_EQ(qp.instrumentSettings.mask, 0x802u);
  EXPECT_EQ(qp.instrumentSettings.type, DT_MTQ);
  std::string text = Log();
  size_t sn = text.find("GetValueString found get -sn \"MTQ104826\"");
  size_t config = text.find("GetValueString found get -config \"4 1 0 300 2\"");
  ASSERT_NE(sn, std::string::npos);
  ASSERT_NE(config, std::string::npos);
  EXPECT_LT(sn, config);
}

TEST_F(Session, NewInstrumentWithoutSerialNumberStillGivesItsOtherValues) {
  ASSERT_GE(Connect("MTQ", "3.50", {"no-sn"}), 0);
  SetText(qp.instrumentSettings.sn, "KEPT");
  EXPECT_EQ(GetInstInfo(qp, 0x802), -35);
  EXPECT_EQ(qp.instrumentSettings.mask, 0x800u);
  EXPECT_EQ(TextOf(qp.instrumentSettings.sn), "KEPT");
  EXPECT_TRUE(Logged("GetInstInfo could not collect all settings"));
}

TEST_F(Session, FailingSampleReadIsNotCounted) {
  ASSERT_GE(Connect("MTQ", "3.50"), 0);
  EXPECT_EQ(GetInstInfo(qp, 0x100002), 1);
  EXPECT_EQ(qp.instrumentSettings.mask, 0x2u);
}

TEST_F(Session, RejectedSerialNumberIsMinus12AndTheRestoreGoesOn) {
  ASSERT_GE(Connect("MTQ", "3.50", {"reject-sn"}), 0);
  SetText(qp.instrumentSettings.sn, "NEW1");
  SetText(qp.instrumentSettings.config, "1 2 3");
  EXPECT_EQ(SetInstInfo(qp, 0x802), -35);
  EXPECT_EQ(Value(qp, "get -config"), "1 2 3");
  EXPECT_EQ(Value(qp, "get -sn"), "MTQ104826");
  EXPECT_TRUE(Logged("SetInstInfo could not restore all settings"));

  // -12 is the step's own result when it is the last one.
  EXPECT_EQ(SetInstInfo(qp, 0x2), -12);
}

TEST_F(Session, V8xUserValuesTravelAsPvuser) {
  ASSERT_GE(Connect("V8X", "2.10"), 0);
  EXPECT_EQ(GetInstInfo(qp, 0x40), 1);
  EXPECT_EQ(TextOf(qp.instrumentSettings.uvals), "0.0 100.0 0.0 1.0");
  SetText(qp.instrumentSettings.uvals, "1.0 2.0 3.0 4.0");
  EXPECT_EQ(SetInstInfo(qp, 0x40), 1);
  EXPECT_EQ(Value(qp, "get -pvuser"), "1.0 2.0 3.0 4.0");
  EXPECT_NE(Log().find("GetValueString found get -pvuser \"0.0 100.0 0.0 1.0\""), std::string::npos);
  EXPECT_NE(Log().find("SetInstInfo set uvals/pvuser to \"1.0 2.0 3.0 4.0\""), std::string::npos);
}

TEST_F(Session, ReplacingTheV8xSerialNumberKeepsItsConfigCheckNumber) {
  ASSERT_GE(Connect("V8X", "2.10"), 0);
  InstrumentSettings& s = qp.instrumentSettings;
  SetText(s.sn, "AB");
  SetText(s.config, "1000");
  s.mask = kInstSn | kInstConfig;
  qp.settingsHeld = true;
  EXPECT_EQ(QPRestoreInfo(qp, SettingsPath().c_str(), "AC"), 1);
  EXPECT_EQ(Value(qp, "get -config"), "1001");
  EXPECT_EQ(Value(qp, "get -sn"), "AC");
  EXPECT_TRUE(Logged("QPRestoreInfo successfully restored device setting"));
}

TEST_F(Session, ReplacementSerialNumberIsWrittenAlone) {
  ASSERT_GE(Connect("PTM7", "1.10"), 0);
  qp.instrumentSettings.mask = kInstSn;
  qp.settingsHeld = true;
  EXPECT_EQ(QPRestoreInfo(qp, SettingsPath().c_str(), "PTM7NEW12345678901"), 1);
  EXPECT_EQ(Value(qp, "get -sn"), "PTM7NEW12345678");
  EXPECT_EQ(Value(qp, "get -config"), "0 1 1 600");
}

TEST_F(Session, RestoreWithoutHeldSettingsOrFileFails) {
  ASSERT_GE(Connect("MTQ", "3.50"), 0);
  EXPECT_EQ(QPRestoreInfo(qp, SettingsPath().c_str(), nullptr), -102);
  EXPECT_FALSE(qp.settingsHeld);
  EXPECT_NE(Log().find("QPRestoreInfo received error -102 trying to read device settings from "),
            std::string::npos);
}

}  // namespace
