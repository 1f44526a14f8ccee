#include <gtest/gtest.h>

#include <cstring>

#include "bsl/device_types.h"

namespace {

struct IdentityCase {
  const char* text;
  int32_t result;
  DeviceType type;
  uint32_t version;
  bool updatable;
  const char* name;
};

TEST(DeviceIdentityTest, ParsesIdentityTexts) {
  const IdentityCase cases[] = {
      {"KT30 1.12", 1, DT_KT30, 112, true, "Kt30"},
      {"kt30 1.12", 1, DT_KT30, 112, true, "Kt30"},
      {"KT30 1.02", 1, DT_KT30, 102, false, "Kt30"},
      {"KT30 1.03", 1, DT_KT30, 103, true, "Kt30"},
      {"MTQ 3.6", 1, DT_MTQ, 360, true, "Vapora MTQ"},
      {"MTQ 3.50", 1, DT_MTQ, 350, true, "Vapora MTQ"},
      {"XYZ 1.00", -30, DT_UNKNOWN, 100, false, "UNKNOWN"},
      {"END 1.00", -30, DT_UNKNOWN, 100, false, "UNKNOWN"},
      {"UNKNOWN 1.00", -30, DT_UNKNOWN, 100, false, "UNKNOWN"},
      {"KT3 2.00", 1, DT_KT3, 200, false, "Kt3"},
      {"GN 9.99", 1, DT_GN, 999, false, "GridNode"},
      {"HV 1.04", 1, DT_HV, 104, false, "HubVault"},
      {"HV 1.05", 1, DT_HV, 105, true, "HubVault"},
      {"VMINI 1.17", 1, DT_VMINI, 117, false, "Vapora Mini"},
      {"RD60 1.50", 1, DT_RD60, 150, true, "Lumora RD-60"},
      {"V7X 3.50", 1, DT_V7X, 350, false, "Vapora Series 7"},
      {"V7X 3.51", 1, DT_V7X, 351, true, "Vapora Series 7"},
      {"SOLIX-KA 1.00", 1, DT_SOLIX_KA, 100, true, "Digital Sensor"},
      {"TRNK6 1.00", 1, DT_TRNK6, 100, true, "TRN Node"},
  };
  for (const IdentityCase& c : cases) {
    DeviceInfo info;
    EXPECT_EQ(ParseDeviceIdentity(c.text, &info), c.result) << c.text;
    EXPECT_EQ(info.type, c.type) << c.text;
    EXPECT_EQ(info.version, c.version) << c.text;
    EXPECT_EQ(info.updatable, c.updatable) << c.text;
    EXPECT_STREQ(info.displayName, c.name) << c.text;
  }
}

TEST(DeviceIdentityTest, UnparseableTextLeavesRecordAlone) {
  DeviceInfo info;
  FillDeviceInfo(DT_MTQ, 350, 0, &info);
  EXPECT_EQ(ParseDeviceIdentity("KT30 .12", &info), -30);
  EXPECT_EQ(info.type, DT_MTQ);
  EXPECT_EQ(info.version, 350u);
  EXPECT_EQ(ParseDeviceIdentity("", &info), -10);
  EXPECT_EQ(ParseDeviceIdentity(nullptr, &info), -10);
  EXPECT_EQ(ParseDeviceIdentity("KT30 1.12", nullptr), -10);
  EXPECT_LT(ParseDeviceIdentity("KT30", &info), 0);
  // A code word longer than the parser's limit is cut, never overruns.
  std::string longCode(200, 'A');
  EXPECT_EQ(ParseDeviceIdentity((longCode + " 1.00").c_str(), &info), -30);
}

struct LayoutCase {
  int type;
  uint32_t version;
  uint32_t flashStart, flashEnd, infoStart, infoSegments, infoSegmentSize, bootBaud;
  bool wide, window;
  uint32_t minVersion, maxVersion;
};

TEST(DeviceInfoTest, LayoutsAndVersionWindows) {
  const LayoutCase cases[] = {
      {DT_MTQ, 350, 0x1100, 0xF9FF, 0x1000, 2, 128, 9600, false, false, 0, 0},
      {DT_V8X, 202, 0x2100, 0x1FF00, 0x1000, 3, 64, 57600, true, true, 202, 999},
      // RV's plain row holds the standard layout; it gets the wide one.
      {DT_RV, 100, 0x2100, 0x1FF00, 0x1000, 3, 64, 57600, true, false, 0, 0},
      {DT_QHM, 100, 0x5C00, 0x3BFFF, 0x1800, 3, 128, 57600, true, false, 0, 0},
      {DT_TRNK6, 100, 0x2100, 0x1FF00, 0x1000, 3, 64, 57600, true, false, 0, 0},
      // The build's digital sensor (type 120, firmware 361): large layout, window 360..999.
      {DT_SOLIX_KA, 100, 0x8000, 0xF9FF, 0x1000, 3, 64, 9600, false, true, 360, 999},
      {99, 100, 0x1100, 0xF9FF, 0x1000, 2, 128, 9600, false, false, 0, 0},
  };
  for (const LayoutCase& c : cases) {
    DeviceInfo info;
    FillDeviceInfo(c.type, c.version, 0, &info);
    SCOPED_TRACE(c.type);
    EXPECT_EQ(info.flashStart, c.flashStart);
    EXPECT_EQ(info.flashEnd, c.flashEnd);
    EXPECT_EQ(info.infoStart, c.infoStart);
    EXPECT_EQ(info.infoSegments, c.infoSegments);
    EXPECT_EQ(info.infoSegmentSize, c.infoSegmentSize);
    EXPECT_EQ(info.bootBaud, c.bootBaud);
    EXPECT_EQ(info.wideAddresses, c.wide);
    EXPECT_EQ(info.hasVersionWindow, c.window);
    EXPECT_EQ(info.minVersion, c.minVersion);
    EXPECT_EQ(info.maxVersion, c.maxVersion);
  }
}

TEST(DeviceInfoTest, CapabilityFlagsOfSomeRows) {
  struct FlagCase {
    int type;
    bool settings, erase, battery, login, clock, postInit, calNotice, warnsDataLoss;
    uint32_t restartMs;
  } cases[] = {
      {DT_MTQ, true, false, false, true, false, false, false, false, 2000},
      {DT_KT30, true, true, true, false, true, true, false, true, 6000},
      {DT_SG, true, true, true, false, true, false, true, true, 7000},
      {DT_VMINI, true, false, false, true, false, false, false, false, 8500},
      {DT_SOLIX_KA, false, false, false, false, false, false, false, false, 1000},
      {DT_UNKNOWN, false, false, false, false, false, false, false, false, 7000},
  };
  for (const FlagCase& c : cases) {
    DeviceInfo info;
    FillDeviceInfo(c.type, 100, 0, &info);
    SCOPED_TRACE(DeviceTypeCode(c.type));
    EXPECT_EQ(info.hasSettings, c.settings);
    EXPECT_EQ(info.eraseOldData, c.erase);
    EXPECT_EQ(info.checkBattery, c.battery);
    EXPECT_EQ(info.needsLogin, c.login);
    EXPECT_EQ(info.hasClock, c.clock);
    EXPECT_EQ(info.postInit, c.postInit);
    EXPECT_EQ(info.calibrationNotice, c.calNotice);
    EXPECT_EQ(DeviceTypeWarnsDataLoss(c.type), c.warnsDataLoss);
    EXPECT_EQ(info.restartMs, c.restartMs);
  }
}

TEST(DeviceTableTest, CodesRoundTrip) {
  for (int t = 1; t <= 21; ++t) EXPECT_EQ(DeviceTypeFromCode(DeviceTypeCode(t)), t);
  EXPECT_EQ(DeviceTypeFromCode("end"), DT_UNKNOWN);
  EXPECT_STREQ(DeviceTypeCode(-1), "UNKNOWN");
  EXPECT_STREQ(DeviceTypeName(DT_END), "END");
  EXPECT_STREQ(DeviceTypeName(kBuildDeviceType), "Vapora MTQ");
}

}  // namespace
