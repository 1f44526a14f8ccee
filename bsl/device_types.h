#pragma once
// The device models this program serves: one table, indexed by device type.

#include <array>
#include <cstdint>

enum DeviceType : int8_t {
  DT_UNKNOWN = 0,
  DT_KT3 = 1,
  DT_KT3B = 2,
  DT_KT30 = 3,
  DT_HV = 4,
  DT_GN = 5,
  DT_VMINI = 6,
  DT_TQ = 7,
  DT_RD60 = 8,
  DT_SG = 9,
  DT_SOLIX_KA = 10,
  DT_HSRB = 11,
  DT_V7X = 12,
  DT_KCB = 13,
  DT_RV = 14,
  DT_V8X = 15,
  DT_QHM = 16,
  DT_PTM7 = 17,
  DT_RL9 = 18,
  DT_ZLG = 19,
  DT_MTQ = 20,
  DT_TRNK6 = 21,
  DT_END = 22,
};

inline constexpr int kDeviceTypeCount = 23;  // 0..22, END included

// Short code ("KT30") and display name ("Kt30") of a type; type 0's for anything out of range.
const char* DeviceTypeCode(int type);
const char* DeviceTypeName(int type);
// Type 1..21 whose short code equals code case-insensitively; DT_UNKNOWN when none.
DeviceType DeviceTypeFromCode(const char* code);
// The per-type flag that is not copied into DeviceInfo: an update destroys stored data.
bool DeviceTypeWarnsDataLoss(int type);

struct DeviceInfo {
  DeviceType type = DT_UNKNOWN;
  char displayName[33] = {};
  uint32_t version = 0;  // major*100 + tenths*10 + hundredths; 999 = newest possible
  uint32_t restartMs = 0;
  bool hasSettings = false;
  bool eraseOldData = false;
  bool checkBattery = false;
  bool needsLogin = false;
  bool hasClock = false;
  bool updatable = false;
  bool postInit = false;
  bool calibrationNotice = false;
  uint32_t flashStart = 0, flashEnd = 0;
  bool wideAddresses = false;
  uint32_t infoStart = 0;
  uint32_t infoSegments = 0;
  uint32_t infoSegmentSize = 0;
  uint32_t bootBaud = 0;
  bool hasVersionWindow = false;
  uint32_t minVersion = 0, maxVersion = 0;
};

// Zeroes info and fills it for type and version (sensorCode is accepted and unused).
void FillDeviceInfo(int type, uint32_t version, int sensorCode, DeviceInfo* info);

// Parses "CODE M.DD" (for example "KT30 1.12"). 1 known device; -30 unparseable (info
// untouched) or unknown code (info describes UNKNOWN); -10 missing or empty text or info.
int32_t ParseDeviceIdentity(const char* text, DeviceInfo* info);

// The build's device type and the display name derived from it.
inline constexpr DeviceType kBuildDeviceType = DT_MTQ;
