// The setting commands on answers given by hand: what goes on the wire, what is read back,
// and what reaches the log.

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <ctime>
#include <string>

#include "serial/timing.h"
#include "tests/link/link_fixture.h"

namespace {

class Settings : public LinkOnPty {
 protected:
  void SetUp() override {
    LinkOnPty::SetUp();
    Identify(LT_KT30, 202);
  }
  void Cellular() { link.settings.trait = kTraitValid | kTraitCellular; }
};

// Runs with TZ set to zone, restoring the previous value afterwards.
class ZoneScope {
 public:
  explicit ZoneScope(const char* zone) {
    if (const char* tz = std::getenv("TZ")) saved_ = tz, had_ = true;
    setenv("TZ", zone, 1);
    tzset();
  }
  ~ZoneScope() {
    if (had_) setenv("TZ", saved_.c_str(), 1);
    else unsetenv("TZ");
    tzset();
  }

 private:
  std::string saved_;
  bool had_ = false;
};

TEST_F(Settings, WithoutTheCapabilityNothingIsSent) {
  Identify(LT_KT30, 199);  // before 2.00: no identity settings, no location
  std::array<uint8_t, 5> depths{1, 2, 3, 4, 5};
  EXPECT_EQ(DepthCommand(link, depths, 0), -1);
  EXPECT_EQ(depths, (std::array<uint8_t, 5>{255, 255, 255, 255, 255}));
  FixedText<26> site{};
  EXPECT_EQ(SiteCommand(link, site, 1), -1);
  double lat = 1;
  EXPECT_EQ(LatitudeCommand(link, lat, 0), -1);
  FixedText<36> apn{};
  EXPECT_EQ(APNCommand(link, apn, 0), -1);  // trait not known: no cellular modem
  Identify(LT_GN, 100);
  std::array<uint8_t, 5> ports{1, 2, 3, 4, 5};
  EXPECT_EQ(PortsCommand(link, ports, 0), -1);
  EXPECT_EQ(ports, (std::array<uint8_t, 5>{0, 0, 0, 0, 0}));
  EXPECT_TRUE(Sent().empty());
}

TEST_F(Settings, TextSettingReadAndWritten) {
  FixedText<26> site{};
  device.Script({"\rNorth Field Station 2 and more\r>", "\rOK\r>", "\rnope\r>", "\r  >\r"});
  ASSERT_EQ(SiteCommand(link, site, 0), 1);
  EXPECT_EQ(TextOf(site), "North Field Station 2 and");  // at most 25
  SetText(site, "Lake");
  EXPECT_EQ(SiteCommand(link, site, 1), 1);
  EXPECT_EQ(SiteCommand(link, site, 1), -30);  // no OK
  EXPECT_EQ(SiteCommand(link, site, 0), -31);  // the prompt where the value should be
  EXPECT_EQ(Sent(), (std::vector<std::string>{"get -site\r", "set -site Lake\r",
                                               "set -site Lake\r", "get -site\r"}));
  const std::string log = Log();
  EXPECT_NE(log.find("SiteCommand found site name \"North Field Station 2 and\" ("),
            std::string::npos);
  EXPECT_NE(log.find("SiteCommand set site to \"Lake\" ("), std::string::npos);
  EXPECT_NE(log.find("SiteCommand failed with error -30 ("), std::string::npos);
  EXPECT_NE(log.find("SiteCommand failed with error -31 ("), std::string::npos);
}

TEST_F(Settings, NumbersAndTheirNotReadLines) {
  int32_t wake = -5;
  EXPECT_EQ(WakeCommand(link, wake, 1), -11);
  EXPECT_TRUE(Sent().empty());
  device.Script({"\r900\r>", "\rsoon\r>", "\r10\r>", "\rOK\r>"});
  ASSERT_EQ(WakeCommand(link, wake, 0), 1);
  EXPECT_EQ(wake, 900);
  EXPECT_EQ(WakeCommand(link, wake, 0), -30);
  EXPECT_EQ(wake, 900);
  int32_t padc = 0;
  ASSERT_EQ(PADCCommand(link, padc, 0), 1);
  EXPECT_EQ(padc, 10);
  EXPECT_EQ(PADCCommand(link, padc, 1), 1);
  const std::string log = Log();
  EXPECT_NE(log.find("WakeCommand failed with error -11 ("), std::string::npos);
  EXPECT_NE(log.find("WakeCommand found device measurement interval 900 ("), std::string::npos);
  EXPECT_NE(log.find("WakeCommand could not find device measurement interval ("),
            std::string::npos);
  EXPECT_NE(log.find("PADCCommand found device PADC 10 Hz ("), std::string::npos);
  EXPECT_NE(log.find("PADCCommand set device PADC 10 Hz ("), std::string::npos);
}

TEST_F(Settings, OldFirmwareUsesItsOwnCommandsAndBarePrompt) {
  Identify(LT_KT3, 165, false);
  device.Script({"\r>", "\r20\r>"});
  int32_t padc = 20;
  EXPECT_EQ(PADCCommand(link, padc, 1), 1);
  EXPECT_EQ(PADCCommand(link, padc, 0), 1);
  EXPECT_EQ(Sent(), (std::vector<std::string>{"set -p 20\r", "hertz\r"}));
  Identify(LT_KT3, 164, false);
  EXPECT_EQ(PADCCommand(link, padc, 0), -1);
  EXPECT_EQ(padc, -1);
}

TEST_F(Settings, FiveNumbersAreBytes) {
  std::array<uint8_t, 5> depths{};
  device.Script({"\r10 30 -1 300 255\r>", "\r10 30\r>", "\rOK\r>"});
  ASSERT_EQ(DepthCommand(link, depths, 0), 1);
  EXPECT_EQ(depths, (std::array<uint8_t, 5>{10, 30, 255, 255, 255}));
  EXPECT_EQ(DepthCommand(link, depths, 0), -30);
  EXPECT_EQ(depths, (std::array<uint8_t, 5>{10, 30, 255, 255, 255}));
  EXPECT_EQ(DepthCommand(link, depths, 1), 1);
  EXPECT_EQ(Sent().back(), "set -depth 10 30 255 255 255\r");
  EXPECT_NE(Log().find("DepthCommand only found 2 of 5 port depths ("), std::string::npos);
  EXPECT_NE(Log().find("DepthCommand set depths to 10 30 255 255 255 ("), std::string::npos);
}

TEST_F(Settings, LatitudeOnTheWireInEveryLocale) {
  const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
  bool comma = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
  device.Script({"\rOK\r>", "\rOK\r>", "\rOK\r>", "\r-117.17940\r>", "\r\r>", "\rnone\r>"});
  double lat = 0.0;
  EXPECT_EQ(LatitudeCommand(link, lat, 1), 1);
  lat = 46.7321;
  EXPECT_EQ(LatitudeCommand(link, lat, 1), 1);
  double lon = -117.1794;
  EXPECT_EQ(LongitudeCommand(link, lon, 1), 1);
  lon = 0;
  EXPECT_EQ(LongitudeCommand(link, lon, 0), 1);
  EXPECT_DOUBLE_EQ(lon, -117.1794);
  EXPECT_EQ(LongitudeCommand(link, lon, 0), -31);
  EXPECT_EQ(LongitudeCommand(link, lon, 0), -31);
  std::setlocale(LC_NUMERIC, saved.c_str());
  const auto sent = Sent();
  ASSERT_GE(sent.size(), 3u);
  EXPECT_EQ(sent[0], "set -lat \r");
  EXPECT_EQ(sent[1], "set -lat +46.73210\r");
  EXPECT_EQ(sent[2], "set -long -117.17940\r");
  EXPECT_NE(Log().find("LongitudeCommand could not find device longitude ("), std::string::npos);
  if (!comma) GTEST_SKIP() << "de_DE.UTF-8 not installed; checked in the C locale only";
}

TEST_F(Settings, TimeZoneMinus2IsTheComputersZone) {
  ZoneScope zone("<+0530>-5:30");
  ASSERT_EQ(TimeZoneOffsetSeconds(), 19800);
  device.Script({"\rOK\r>", "\r-28\r>"});
  int32_t tz = -2;
  EXPECT_EQ(TimeZoneCommand(link, tz, 1), 1);
  EXPECT_EQ(tz, 22);
  EXPECT_EQ(TimeZoneCommand(link, tz, 0), 1);
  EXPECT_EQ(tz, -28);
  EXPECT_EQ(Sent().front(), "set -tz 22\r");
}

TEST_F(Settings, SecretsNeverReachTheLog) {
  Cellular();
  device.Script({"\rfieldlog\r>", "\rOK\r>", "\r8F3A61C2D94B07E5A1C3F0B2D6E48A97\r>", "\rOK\r>"});
  FixedText<36> password{};
  ASSERT_EQ(APNPasswdCommand(link, password, 0), 1);
  EXPECT_EQ(TextOf(password), "fieldlog");
  SetText(password, "s3cret!");
  EXPECT_EQ(APNPasswdCommand(link, password, 1), 1);
  FixedText<33> key{};
  ASSERT_EQ(AuthKeyCommand(link, key, 0), 1);
  EXPECT_EQ(TextOf(key), "8F3A61C2D94B07E5A1C3F0B2D6E48A97");
  EXPECT_EQ(AuthKeyCommand(link, key, 1), 1);
  EXPECT_EQ(Sent()[1], "set -passwd s3cret!\r");
  const std::string log = Log();
  for (const char* secret : {"fieldlog", "s3cret!", "8F3A61C2D94B07E5A1C3F0B2D6E48A97"}) {
    EXPECT_EQ(log.find(secret), std::string::npos) << secret;
  }
  EXPECT_NE(log.find("APNPasswdCommand found APN password \"********\" ("), std::string::npos);
  EXPECT_NE(log.find("APNPasswdCommand set APN password to \"********\" ("), std::string::npos);
  EXPECT_NE(log.find("AuthKeyCommand found authkey \"********\" ("), std::string::npos);
  EXPECT_NE(log.find("AuthKeyCommand set authkey to \"********\" ("), std::string::npos);
}

TEST_F(Settings, AuthKeyRules) {
  Cellular();
  FixedText<33> key{};
  SetText(key, "8F3A61C2D94B07E5A1C3F0B2D6E48A9");  // 31 digits
  EXPECT_EQ(AuthKeyCommand(link, key, 1), -11);
  SetText(key, "8F3A61C2D94B07E5A1C3F0B2D6E48A9G");
  EXPECT_EQ(AuthKeyCommand(link, key, 1), -11);
  EXPECT_TRUE(Sent().empty());
  // Older firmware refuses "get -authkey" and knows the key as "teakey".
  device.Script({"\rERROR\r>", "\rERROR\r>", "\rERROR\r>", "\r0123456789ABCDEF0123456789ABCDEF\r>"});
  ASSERT_EQ(AuthKeyCommand(link, key, 0), 1);
  EXPECT_EQ(TextOf(key), "0123456789ABCDEF0123456789ABCDEF");
  EXPECT_EQ(Sent().back(), "get -teakey\r");
  EXPECT_NE(Log().find("AuthKeyCommand found authkey (as teakey) \"********\" ("),
            std::string::npos);
}

TEST_F(Settings, RmodeOfAnRl9IsAlways16) {
  Identify(LT_RL9, 100);
  uint32_t mode = 3;
  EXPECT_EQ(RmodeCommand(link, mode, 0), 1);
  EXPECT_EQ(mode, 16u);
  mode = 3;
  EXPECT_EQ(RmodeCommand(link, mode, 1), 1);
  EXPECT_EQ(mode, 3u);
  EXPECT_TRUE(Sent().empty());
  EXPECT_NE(Log().find("RmodeCommand found an rL9 that is always mode 16"), std::string::npos);
}

TEST_F(Settings, Trait) {
  int32_t trait = 0;
  device.Script({"\r247\r>", "\rOK\r>"});
  ASSERT_EQ(TraitCommand(link, trait, 0), 1);
  EXPECT_EQ(trait, 0x4008);  // 255 - 247: a cellular modem
  EXPECT_EQ(TraitCommand(link, trait, 1), 1);
  EXPECT_EQ(Sent().back(), "set -trait 247\r");
  trait = 0x0008;
  EXPECT_EQ(TraitCommand(link, trait, 1), -11);
  Identify(LT_KT30, 199);
  trait = 0x4008;
  EXPECT_EQ(TraitCommand(link, trait, 1), -12);
  Identify(LT_HV, 109);
  EXPECT_EQ(TraitCommand(link, trait, 0), 1);
  EXPECT_EQ(trait, 0x4001);
  EXPECT_EQ(Sent().size(), 2u);
}

TEST_F(Settings, AdcCalibrationLongForm) {
  std::array<uint8_t, 5> slopes{100, 100, 100, 100, 100};
  std::array<uint8_t, 5> offsets{50, 50, 50, 50, 50};
  device.Script({"\rOK\r>", "\r100 50 0 50 100 50 100 50 100 50 138\r>", "\r1 2 3\r>"});
  EXPECT_EQ(ADCcalCommand(link, 1, slopes, offsets, 1), 1);
  EXPECT_EQ(Sent().back(), "set -adc30 100 50 100 50 100 50 100 50 100 50 238\r");
  EXPECT_EQ(ADCcalCommand(link, 2, slopes, offsets, 0), -1);
  EXPECT_EQ(slopes[1], 0);
  EXPECT_EQ(Sent().back(), "get -adc15\r");
  EXPECT_EQ(ADCcalCommand(link, 2, slopes, offsets, 0), -30);
  EXPECT_EQ(ADCcalCommand(link, 3, slopes, offsets, 0), -11);
  const std::string log = Log();
  EXPECT_NE(log.find("ADCcalCommand set -adc30 100 50 100 50 100 50 100 50 100 50 238 ("),
            std::string::npos);
  EXPECT_NE(log.find("ADCcalCommand found (not valid) -adc15 100 50 0 50 100 50 100 50 100 50 138 ("),
            std::string::npos);
  EXPECT_NE(log.find("ADCcalCommand only found 3 of 11 cal -adc15 factors ("), std::string::npos);
}

TEST_F(Settings, AdcCalibrationShortFormChecksItsOnePair) {
  link.settings.capabilities |= kCapAdcShort;
  // The record holds other pairs beyond the first: they take no part in the check.
  std::array<uint8_t, 5> slopes{1, 120, 130, 140, 150};
  std::array<uint8_t, 5> offsets{1, 60, 70, 80, 90};
  device.Script({"\r131 98 229\r>", "\rOK\r>", "\r131 98 230\r>"});
  EXPECT_EQ(ADCcalCommand(link, 1, slopes, offsets, 0), 1);
  EXPECT_EQ(slopes, (std::array<uint8_t, 5>{131, 120, 130, 140, 150}));
  EXPECT_EQ(offsets[0], 98);
  EXPECT_EQ(ADCcalCommand(link, 1, slopes, offsets, 1), 1);
  EXPECT_EQ(Sent().back(), "set -adc30 131 98 229\r");
  EXPECT_EQ(ADCcalCommand(link, 1, slopes, offsets, 0), -1);
}

TEST_F(Settings, ClockReadAsDateAndTime) {
  ZoneScope zone("UTC0");
  Identify(LT_KT3B, 204);  // clock without the seconds form
  device.Script({"\rDate\\Time: 2013-2-22 9:05:07\r>", "\rtomorrow\r>"});
  int64_t seconds = 0;
  ASSERT_EQ(DeviceTime(link, &seconds, 0), 1);
  std::tm tm{};
  tm.tm_year = 113;
  tm.tm_mon = 1;
  tm.tm_mday = 22;
  tm.tm_hour = 9;
  tm.tm_min = 5;
  tm.tm_sec = 7;
  EXPECT_EQ(seconds, static_cast<int64_t>(timegm(&tm)) - kEpoch2000);
  EXPECT_EQ(Sent().back(), "get -t\r");
  EXPECT_EQ(DeviceTime(link, &seconds, 0), -30);
  EXPECT_EQ(seconds, -1);
  EXPECT_EQ(DeviceTime(link, nullptr, 0), -10);
  EXPECT_NE(Log().find("DeviceTime found device date/time 2013-2-22 9:05:07 or "), std::string::npos);
}

// 2013-03-15 09:05:07 in device seconds.
int64_t March15() {
  std::tm tm{};
  tm.tm_year = 113;
  tm.tm_mon = 2;
  tm.tm_mday = 15;
  tm.tm_hour = 9;
  tm.tm_min = 5;
  tm.tm_sec = 7;
  return static_cast<int64_t>(timegm(&tm)) - kEpoch2000;
}

TEST_F(Settings, ClockSetInSeconds) {
  ZoneScope zone("UTC0");
  link.settings.capabilities |= kCapClockSeconds;
  device.Script({"\rOK\r>", "\r4294967295\r>", "\r416739907\r>"});
  int64_t seconds = 416739907;
  EXPECT_EQ(DeviceTime(link, &seconds, 1), 1);
  EXPECT_EQ(Sent().size(), 1u);
  EXPECT_EQ(Sent().back(), "set -sec 416739907\r");
  EXPECT_EQ(DeviceTime(link, &seconds, 0), -30);
  EXPECT_EQ(seconds, -1);
  EXPECT_EQ(DeviceTime(link, &seconds, 0), 1);
  EXPECT_EQ(seconds, 416739907);
  EXPECT_NE(Log().find("DeviceTime found device date/timr 416739907 QuilSeconds ("),
            std::string::npos);
  Identify(LT_GN, 100);
  link.settings.capabilities = 0;
  EXPECT_EQ(DeviceTime(link, &seconds, 0), -1);
  EXPECT_EQ(seconds, -1);
}

TEST_F(Settings, ClockSetAsTimeThenDate) {
  ZoneScope zone("UTC0");
  Identify(LT_KT3B, 204);
  device.Script({"\rOK\r>", "\rOK\r>", "\rERROR\r>", "\rERROR\r>", "\rERROR\r>", "\rOK\r>"});
  int64_t seconds = March15();
  EXPECT_EQ(DeviceTime(link, &seconds, 1), 1);
  auto sent = Sent();
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[0], "set -t 9:5:7\r");
  EXPECT_EQ(sent[1], "set -d 2013-3-15\r");
  // A refused time fails the operation: a date alone does not set a clock.
  EXPECT_EQ(DeviceTime(link, &seconds, 1), -34);
  EXPECT_EQ(Sent().size(), 5u);
  EXPECT_NE(Log().find("DeviceTime set device time to 9:05:07 ("), std::string::npos);
  EXPECT_NE(Log().find("DeviceTime set device date to 2013-3-15 ("), std::string::npos);
}

TEST_F(Settings, EraseDataChecksTheIdentity) {
  SetText(link.settings.deviceName, "K30-1187");
  device.Script({"\rK30-9999\r>", "\rK30-1187\r>", "\rDataFlash FAIL\r>", "\rK30-1187\r>",
                 "\rOK\r>"});
  EXPECT_EQ(EraseData(link), -37);
  EXPECT_EQ(Sent().size(), 1u);  // no "yes"
  EXPECT_EQ(EraseData(link), -65);
  EXPECT_EQ(EraseData(link), 1);
  EXPECT_EQ(Sent().back(), "yes\r");
  const std::string log = Log();
  EXPECT_NE(log.find("EraseData: Identity mismatch. Class: K30-1187, Device: K30-9999"),
            std::string::npos);
  EXPECT_NE(log.find("EraseData failed due to a broken DataFlash ("), std::string::npos);
  EXPECT_NE(log.find("InitializeDevice erased device data ("), std::string::npos);
}

}  // namespace
