// DeviceSettings against simulated loggers: the whole record read, written back and read
// again; the old Kt3's "show"; a logger that falls silent in the middle.

#include <gtest/gtest.h>

#include <string>

#include "tests/link/link_sim_fixture.h"

namespace {

constexpr uint32_t kEverySetting = 0x0FFFFFFF & ~kMaskVersion;

class DeviceSettingsSim : public LinkOnSim {
 protected:
  void Connect(const SimOptions& o, uint8_t baudIndex = 2) {
    ASSERT_TRUE(Start(o));
    SolixConnection c = Serial(baudIndex);
    ASSERT_EQ(ConnectDevice(link, &c), 1);
  }
};

// Field by field, so that a failure names the field.
void ExpectSameSettings(const LoggerSettings& a, const LoggerSettings& b) {
  EXPECT_EQ(TextOf(a.deviceName), TextOf(b.deviceName));
  EXPECT_EQ(TextOf(a.deviceId), TextOf(b.deviceId));
  EXPECT_EQ(TextOf(a.serialNumber), TextOf(b.serialNumber));
  EXPECT_EQ(TextOf(a.versionText), TextOf(b.versionText));
  EXPECT_EQ(a.versionNumber, b.versionNumber);
  EXPECT_EQ(a.loggerType, b.loggerType);
  EXPECT_EQ(a.capabilities, b.capabilities);
  EXPECT_EQ(a.trait, b.trait);
  EXPECT_EQ(TextOf(a.buildInfo), TextOf(b.buildInfo));
  EXPECT_EQ(a.wakeInterval, b.wakeInterval);
  EXPECT_EQ(a.ports, b.ports);
  EXPECT_EQ(a.depths, b.depths);
  EXPECT_EQ(a.samplingRate, b.samplingRate);
  EXPECT_EQ(TextOf(a.site), TextOf(b.site));
  EXPECT_DOUBLE_EQ(a.latitude, b.latitude);
  EXPECT_DOUBLE_EQ(a.longitude, b.longitude);
  EXPECT_EQ(a.timeZone, b.timeZone);
  EXPECT_EQ(a.adc30Slopes, b.adc30Slopes);
  EXPECT_EQ(a.adc30Offsets, b.adc30Offsets);
  EXPECT_EQ(a.adc15Slopes, b.adc15Slopes);
  EXPECT_EQ(a.adc15Offsets, b.adc15Offsets);
  EXPECT_EQ(a.dataParameter, b.dataParameter);
  EXPECT_EQ(a.reportMode, b.reportMode);
  EXPECT_EQ(a.radioMode, b.radioMode);
  EXPECT_EQ(a.rch, b.rch);
  EXPECT_EQ(a.rsch, b.rsch);
  EXPECT_EQ(TextOf(a.radioVersion), TextOf(b.radioVersion));
  EXPECT_EQ(TextOf(a.apn), TextOf(b.apn));
  EXPECT_EQ(TextOf(a.apnUser), TextOf(b.apnUser));
  EXPECT_EQ(TextOf(a.apnPassword), TextOf(b.apnPassword));
  EXPECT_EQ(TextOf(a.authKey), TextOf(b.authKey));
  EXPECT_EQ(TextOf(a.host), TextOf(b.host));
  EXPECT_EQ(a.ipPort, b.ipPort);
  EXPECT_EQ(a.validMask, b.validMask);
}

TEST_F(DeviceSettingsSim, Kt30ReadWrittenBackAndReadAgain) {
  Connect(MakeTestOptions("KT30", "2.02"), 6);
  LoggerSettings first;
  uint32_t mask = kEverySetting;
  ASSERT_EQ(DeviceSettings(link, &first, mask, 0), 1) << Log();
  EXPECT_EQ(mask, 0x0FFFFFFFu);  // every setting and the version
  EXPECT_EQ(first.validMask, 0x0FFFFFFFu);
  EXPECT_EQ(TextOf(first.deviceName), "K30-1187");
  EXPECT_EQ(TextOf(first.site), "North Field Station 2");
  EXPECT_EQ(first.trait & (kTraitValid | kTraitRadio | kTraitCellular),
            kTraitValid | kTraitRadio | kTraitCellular);
  EXPECT_EQ(TextOf(first.apnPassword), "fieldlog");
  EXPECT_EQ(first.rsch, 0x520);

  // Change every setting, write them all, and read them back from the device.
  LoggerSettings changed = first;
  SetText(changed.deviceName, "LAKE-7");
  SetText(changed.deviceId, "D2001");
  SetText(changed.serialNumber, "30A9999");
  SetText(changed.buildInfo, "B2024-0101-2");
  changed.wakeInterval = 300;
  changed.ports = {1, 2, 3, 4, 5};
  changed.depths = {5, 10, 20, 40, 255};
  changed.samplingRate = 20;
  SetText(changed.site, "Lake Shore");
  changed.latitude = -33.86785;
  changed.longitude = 151.20732;
  changed.timeZone = 40;
  changed.adc30Slopes = {120, 121, 122, 123, 124};
  changed.adc30Offsets = {90, 91, 92, 93, 94};
  changed.adc15Slopes = {60, 61, 62, 63, 64};
  changed.adc15Offsets = {40, 41, 42, 43, 44};
  changed.dataParameter = 5;
  changed.reportMode = 2;
  changed.radioMode = 3;
  changed.rch = 5;
  changed.rsch = 0x1234;
  SetText(changed.apn, "lte.example.org");
  SetText(changed.apnUser, "lake");
  SetText(changed.apnPassword, "pa55word");
  SetText(changed.authKey, "00112233445566778899AABBCCDDEEFF");
  SetText(changed.host, "data.example.org");
  changed.ipPort = 8080;

  uint32_t writeMask = changed.validMask;
  ASSERT_EQ(DeviceSettings(link, &changed, writeMask, 1), 1) << Log();
  // Everything written but the version (never written) and the radio version (read only).
  EXPECT_EQ(writeMask, changed.validMask & ~(kMaskVersion | kMaskRadioVersion));

  LoggerSettings again;
  uint32_t readMask = kEverySetting;
  ASSERT_EQ(DeviceSettings(link, &again, readMask, 0), 1);
  LoggerSettings expected = changed;
  expected.trait = again.trait;  // the trait is the hardware's and stays
  EXPECT_EQ(again.trait, first.trait);
  ExpectSameSettings(again, expected);

  const std::string log = Log();
  EXPECT_EQ(log.find("pa55word"), std::string::npos);
  EXPECT_EQ(log.find("fieldlog"), std::string::npos);
  EXPECT_EQ(log.find("00112233445566778899AABBCCDDEEFF"), std::string::npos);
  EXPECT_EQ(log.find("8F3A61C2D94B07E5A1C3F0B2D6E48A97"), std::string::npos);
}

TEST_F(DeviceSettingsSim, IdentificationReadNeedsNoExchange) {
  Connect(MakeTestOptions("KT30", "2.02"));
  const size_t writes = Count("QSWrite wrote");
  LoggerSettings record;
  uint32_t mask = 0;
  EXPECT_EQ(DeviceSettings(link, &record, mask, 0), 1);
  EXPECT_EQ(mask, kMaskVersion);
  EXPECT_EQ(record.versionNumber, 202);
  EXPECT_EQ(record.validMask, kMaskVersion);
  EXPECT_EQ(Count("QSWrite wrote"), writes);
}

TEST_F(DeviceSettingsSim, Kt30Before200LacksTheDepths) {
  Connect(MakeTestOptions("KT30", "1.19"));
  LoggerSettings record;
  uint32_t mask = kMaskDepth | kMaskWake;
  EXPECT_EQ(DeviceSettings(link, &record, mask, 0), -35);
  EXPECT_EQ(mask, kMaskWake | kMaskVersion);
  EXPECT_EQ(record.depths, (std::array<uint8_t, 5>{255, 255, 255, 255, 255}));
  EXPECT_EQ(record.wakeInterval, 900);
}

TEST_F(DeviceSettingsSim, OldKt3ReadInOneShow) {
  Connect(MakeTestOptions("KT3", "1.65"));
  EXPECT_EQ(link.settings.newFirmware, 0);
  LoggerSettings record;
  uint32_t mask = 0x215;
  ASSERT_EQ(DeviceSettings(link, &record, mask, 0), 1);
  EXPECT_EQ(mask, 0x215u);
  EXPECT_EQ(TextOf(record.deviceName), "KT3-0412");
  EXPECT_EQ(record.versionNumber, 165);
  EXPECT_EQ(record.wakeInterval, 600);
  EXPECT_EQ(record.radioMode, 1u);
  EXPECT_EQ(Count("ParseShowCommand found KT3-0412:1.65:1:600:"), 1u);
  EXPECT_EQ(Count("QSWrite wrote 5 bytes"), 1u);  // the one "show\r"
}

TEST_F(DeviceSettingsSim, OldKt3TooOldIsNotServed) {
  Connect(MakeTestOptions("KT3", "1.05"));
  LoggerSettings record;
  SetText(record.site, "untouched");
  uint32_t mask = 0x215;
  EXPECT_EQ(DeviceSettings(link, &record, mask, 0), -13);
  EXPECT_EQ(mask, 0x215u);
  EXPECT_EQ(TextOf(record.site), "untouched");
  EXPECT_NE(Log().find("DeviceSettings: old DataKeep model 007 not supported"), std::string::npos);
}

TEST_F(DeviceSettingsSim, ReloginAfterTheLoggerFallsSilent) {
  SimOptions o = MakeTestOptions("KT30", "2.02");
  o.faults.push_back("silent-after=6");
  o.faults.push_back("baud-garbage");
  Connect(o, 6);
  SolixOptions opt;
  opt.serialTries = 1;  // each silence costs one timeout
  ASSERT_EQ(DeviceOptions(link, opt, 1), 1);
  LoggerSettings record;
  uint32_t mask = kMaskName | kMaskDeviceId | kMaskReport | kMaskDepth | kMaskLatitude |
                  kMaskLongitude | kMaskTimeZone | kMaskSite | kMaskSerialNumber | kMaskWake |
                  kMaskPadc | kMaskPorts;
  const uint32_t asked = mask;
  ASSERT_EQ(DeviceSettings(link, &record, mask, 0), 1) << Log();
  EXPECT_EQ(mask, asked | kMaskVersion);
  EXPECT_EQ(TextOf(record.site), "North Field Station 2");
  EXPECT_EQ(record.ports, (std::array<uint8_t, 5>{3, 5, 5, 5, 0}));
  EXPECT_GE(Count("- ******: DeviceSettings re-connected to device"), 1u);
  EXPECT_EQ(link.port.baudRate, 115200u);  // raised again by the new login
}

TEST_F(DeviceSettingsSim, SilentAfterEveryReloginGivesUp) {
  SimOptions o = MakeTestOptions("KT30", "2.02");
  o.faults.push_back("silent-after=1");
  Connect(o);
  SolixOptions opt;
  opt.serialTries = 1;
  ASSERT_EQ(DeviceOptions(link, opt, 1), 1);
  LoggerSettings record;
  uint32_t mask = kMaskName | kMaskSite | kMaskWake;
  EXPECT_EQ(DeviceSettings(link, &record, mask, 0), -21);
  // Only the login's own exchange is heard each time: nothing but the version is done.
  EXPECT_EQ(mask, kMaskVersion);
  EXPECT_EQ(TextOf(record.deviceName), "");
  EXPECT_EQ(Count("DeviceSettings re-connected to device"), 1u);
}

TEST_F(DeviceSettingsSim, RadioValuesOfALoggerWithoutRadio) {
  Connect(MakeTestOptions("KT3B", "2.04"));
  LoggerSettings record;
  uint32_t mask = kMaskRch;
  EXPECT_EQ(DeviceSettings(link, &record, mask, 0), -35);
  // The trait was read first and says: no radio.
  EXPECT_EQ(mask & kMaskTrait, kMaskTrait);
  EXPECT_EQ(mask & kMaskRch, 0u);
  EXPECT_EQ(HasRadio(record), 0);
}

TEST_F(DeviceSettingsSim, NoRadioAndRadioVersion0000) {
  for (const char* fault : {"no-radio", "radio-version-0000"}) {
    SCOPED_TRACE(fault);
    SimOptions o = MakeTestOptions("KT3", "2.10");  // radio, no trait command
    o.faults.push_back(fault);
    Connect(o);
    LoggerSettings record;
    uint32_t mask = kMaskRadioValues;
    EXPECT_EQ(DeviceSettings(link, &record, mask, 0), -35);
    EXPECT_EQ(mask & kMaskRadioValues, 0u);
    EXPECT_EQ(record.trait, kTraitValid);  // no radio found
    EXPECT_GE(Count("MSRadioCommand couldn't find a radio ("), 1u);
    DisconnectDevice(link, false);
    server.reset();
  }
}

TEST_F(DeviceSettingsSim, ClockAndEraseAgainstTheSimulator) {
  Connect(MakeTestOptions("KT30", "2.02"));
  int64_t seconds = 0;
  ASSERT_EQ(DeviceTime(link, &seconds, 1), 1);
  int64_t read = 0;
  ASSERT_EQ(DeviceTime(link, &read, 0), 1);
  EXPECT_NEAR(static_cast<double>(read), static_cast<double>(seconds), 5.0);

  LoggerSettings record;
  uint32_t mask = kMaskName;
  ASSERT_EQ(DeviceSettings(link, &record, mask, 0), 1);
  EXPECT_EQ(EraseData(link), 1);
}

TEST_F(DeviceSettingsSim, OldKt3ClockAndRadioThroughTerm) {
  Connect(MakeTestOptions("KT3", "1.65"));
  int64_t seconds = 0;
  ASSERT_EQ(DeviceTime(link, &seconds, 1), 1);
  int64_t read = 0;
  ASSERT_EQ(DeviceTime(link, &read, 0), 1);
  EXPECT_NEAR(static_cast<double>(read), static_cast<double>(seconds), 5.0);

  int32_t rch = 0, rsch = 0;
  FixedText<9> version{};
  uint32_t flags = kMaskRadioValues;
  EXPECT_EQ(MSRadioCommand(link, &rch, &rsch, &version, 0, &flags), 1) << Log();
  EXPECT_EQ(flags, kMaskRadioValues);
  EXPECT_EQ(rch, 2);
  EXPECT_EQ(rsch, 0x520);
  EXPECT_EQ(TextOf(version), "1046");
}

}  // namespace
