#include "bsl/device_types.h"

#include <cctype>
#include <cstdio>
#include <cstring>

namespace {

enum class Updatable : uint8_t { Never, Always, MinVersion, SensorRule };

struct Layout {
  uint32_t flashStart, flashEnd;
  bool wide;
  uint32_t infoStart, infoSegments, infoSegmentSize, bootBaud;
};

constexpr Layout kStd{0x1100, 0xF9FF, false, 0x1000, 2, 128, 9600};
constexpr Layout kWide{0x2100, 0x1FF00, true, 0x1000, 3, 64, 57600};
constexpr Layout kQhm{0x5C00, 0x3BFFF, true, 0x1800, 3, 128, 57600};
constexpr Layout kSensorSmall{0x1100, 0xF9FF, false, 0x1000, 2, 128, 9600};
constexpr Layout kSensorLarge{0x8000, 0xF9FF, false, 0x1000, 3, 64, 9600};

struct Row {
  const char* code;
  const char* name;
  bool hasSettings, warnsDataLoss, eraseOldData, checkBattery, needsLogin, hasClock, postInit,
      calibrationNotice;
  uint32_t restartMs;
  Updatable updatable;
  uint32_t minVersion;  // with Updatable::MinVersion
  Layout layout;
};

constexpr bool X = true, _ = false;
using U = Updatable;

// One row per device type, indexed by DeviceType.
// code, name, settings, warnsDataLoss, eraseOld, battery, login, clock, postInit, calNotice,
// restartMs, updatable, minVersion, layout
constexpr Row kRows[kDeviceTypeCount] = {
    {"UNKNOWN", "UNKNOWN", _, _, _, _, _, _, _, _, 7000, U::Never, 0, kStd},
    {"KT3", "Kt3", X, X, _, X, _, X, X, _, 1000, U::Never, 0, kStd},
    {"KT3B", "Kt3b", X, X, _, X, _, X, X, _, 1000, U::Always, 0, kStd},
    {"KT30", "Kt30", X, X, X, X, _, X, X, _, 6000, U::MinVersion, 103, kStd},
    {"HV", "HubVault", X, X, X, X, _, _, X, _, 6000, U::MinVersion, 105, kStd},
    {"GN", "GridNode", X, X, X, _, _, _, X, _, 4000, U::Never, 0, kStd},
    {"VMINI", "Vapora Mini", X, _, _, _, X, _, _, _, 8500, U::MinVersion, 118, kStd},
    {"TQ", "Tempra Q2", X, X, X, X, _, X, _, _, 7000, U::Always, 0, kStd},
    {"RD60", "Lumora RD-60", X, X, X, _, _, X, _, X, 3000, U::MinVersion, 150, kStd},
    {"SG", "Stomagraph", X, X, X, X, _, X, _, X, 7000, U::Always, 0, kStd},
    {"SOLIX-KA", "Digital Sensor", _, _, _, _, _, _, _, _, 1000, U::SensorRule, 0, kSensorLarge},
    {"HSRB", "Sorbra ZX", X, X, X, _, _, X, _, _, 2000, U::Always, 0, kStd},
    {"V7X", "Vapora Series 7", X, _, _, _, X, _, _, _, 2000, U::MinVersion, 351, kStd},
    {"KCB", "KCB", X, _, _, X, _, _, _, _, 7000, U::Always, 0, kStd},
    // The plain row of RV holds the standard layout; FillDeviceInfo gives it the wide one.
    {"RV", "ReadVue", X, X, X, X, _, X, _, _, 2000, U::Always, 0, kStd},
    {"V8X", "Vapora 8", X, X, X, _, X, X, _, _, 4000, U::Always, 0, kWide},
    {"QHM", "Vapora QHM", X, X, X, _, _, X, _, _, 8000, U::Always, 0, kQhm},
    {"PTM7", "PTM7", X, _, _, _, X, _, _, _, 2000, U::Always, 0, kStd},
    {"RL9", "rL9", X, X, X, X, _, X, X, _, 6000, U::Always, 0, kStd},
    {"ZLG", "ZLG2 Logger", X, X, X, _, _, X, X, _, 6000, U::Always, 0, kStd},
    {"MTQ", "Vapora MTQ", X, _, _, _, X, _, _, _, 2000, U::Always, 0, kStd},
    {"TRNK6", "TRN Node", X, _, _, X, _, X, X, _, 6000, U::Always, 0, kWide},
    {"END", "END", _, _, _, _, _, _, _, _, 7000, U::Never, 0, kStd},
};

const Row& RowOf(int type) {
  return (type >= 0 && type < kDeviceTypeCount) ? kRows[type] : kRows[0];
}

void ApplyLayout(DeviceInfo* info, const Layout& l) {
  info->flashStart = l.flashStart;
  info->flashEnd = l.flashEnd;
  info->wideAddresses = l.wide;
  info->infoStart = l.infoStart;
  info->infoSegments = l.infoSegments;
  info->infoSegmentSize = l.infoSegmentSize;
  info->bootBaud = l.bootBaud;
}

// The digital sensor's layout, updatability and version window for sensor type s, version v.
void ApplySensorRule(DeviceInfo* info, int s, uint32_t v) {
  const Layout* layout = &kSensorLarge;
  bool updatable = true;
  uint32_t lo = 0, hi = 0;
  if (s >= 124 && s <= 127) {
    layout = &kSensorSmall;
  } else if (s == 120 || s == 122) {
    if (v < 250) {
      layout = &kSensorSmall, lo = 100, hi = 249;
    } else if (v < 360) {
      lo = 250, hi = 359;
    } else {
      lo = 360, hi = 999;
    }
  } else if (s == 119) {
    if (v < 360) lo = 100, hi = 359;
    else lo = 360, hi = 999;
  } else if (s == 95 || s == 108 || s == 109 || s == 112 || s == 113 || (s >= 116 && s <= 118) ||
             s == 121) {
  } else {
    updatable = false;
  }
  ApplyLayout(info, *layout);
  info->updatable = updatable;
  info->hasVersionWindow = hi != 0;
  info->minVersion = lo;
  info->maxVersion = hi;
}

// The build's digital sensor: sensor type 120 with firmware 361.
constexpr int kBuildSensorType = 120;
constexpr uint32_t kBuildSensorVersion = 361;

}  // namespace

const char* DeviceTypeCode(int type) { return RowOf(type).code; }
const char* DeviceTypeName(int type) { return RowOf(type).name; }
bool DeviceTypeWarnsDataLoss(int type) { return RowOf(type).warnsDataLoss; }

DeviceType DeviceTypeFromCode(const char* code) {
  if (code == nullptr) return DT_UNKNOWN;
  for (int t = 1; t <= 21; ++t) {
    if (strcasecmp(code, kRows[t].code) == 0) return static_cast<DeviceType>(t);
  }
  return DT_UNKNOWN;
}

void FillDeviceInfo(int type, uint32_t version, int sensorCode, DeviceInfo* info) {
  (void)sensorCode;
  if (info == nullptr) return;
  *info = DeviceInfo{};
  if (type < 0 || type > 21) type = 0;
  const Row& r = kRows[type];
  info->type = static_cast<DeviceType>(type);
  info->version = version;
  std::snprintf(info->displayName, sizeof info->displayName, "%s", r.name);
  info->restartMs = r.restartMs;
  info->hasSettings = r.hasSettings;
  info->eraseOldData = r.eraseOldData;
  info->checkBattery = r.checkBattery;
  info->needsLogin = r.needsLogin;
  info->hasClock = r.hasClock;
  info->postInit = r.postInit;
  info->calibrationNotice = r.calibrationNotice;
  ApplyLayout(info, r.layout);
  switch (r.updatable) {
    case U::Never: info->updatable = false; break;
    case U::Always: info->updatable = true; break;
    case U::MinVersion: info->updatable = version >= r.minVersion; break;
    case U::SensorRule: ApplySensorRule(info, kBuildSensorType, kBuildSensorVersion); break;
  }
  if (type == DT_RV) ApplyLayout(info, kWide);
  if (type == DT_V8X) {
    info->hasVersionWindow = true;
    info->minVersion = 202;
    info->maxVersion = 999;
  }
}

int32_t ParseDeviceIdentity(const char* text, DeviceInfo* info) {
  if (text == nullptr || *text == '\0' || info == nullptr) return -10;
  if (std::strchr(text, '.') == nullptr) return -30;
  char code[32] = {};
  int major = 0, d1 = 0, d2 = 0;
  int items = std::sscanf(text, "%31s %d.%1d%1d", code, &major, &d1, &d2);
  if (items < 3) return -30;
  if (items < 4) d2 = 0;
  uint32_t version = static_cast<uint32_t>(major * 100 + d1 * 10 + d2);
  DeviceType type = DeviceTypeFromCode(code);
  FillDeviceInfo(type, version, 0, info);
  return type == DT_UNKNOWN ? -30 : 1;
}
