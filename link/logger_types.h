#pragma once
// The logger kinds the command link knows, and the capability word each kind and firmware
// version earns. One table per family, in logger_types.cpp.

#include <cstddef>
#include <cstdint>
#include <string_view>

struct LoggerSettings;

// The link's own enumeration of device kinds; distinct from bsl's DeviceType.
enum LoggerType : uint8_t {
  LT_UNKNOWN = 0,         // a version word that is none of the codes
  LT_UNKNOWN_LOGGER = 1,  // never assigned by the link
  LT_KT3 = 2,
  LT_KT30 = 3,
  LT_HV = 4,
  LT_GN = 5,
  LT_KT3B = 6,
  LT_GENERIC = 7,  // never assigned by the link
  LT_KCB = 8,
  LT_SOLIX_CAL = 9,
  LT_RV = 10,
  LT_RL9 = 11,
  LT_ZLG = 12,
  LT_END = 13,  // "END of List": marks the end of the table, no kind
};

// Display name ("Kt30"); "END of List" for LT_END; LT_UNKNOWN's name for anything beyond.
const char* LoggerTypeName(int type);
// Code word in the version answer ("KT30"); nullptr for kinds that have none.
const char* LoggerTypeCode(int type);
// The kind whose code word equals word compared in upper case; LT_UNKNOWN when none.
LoggerType LoggerTypeFromCode(std::string_view word);

// Capability word bits the link consults.
inline constexpr uint32_t kCapBaudChange = 0x1;         // DeviceLogin may raise the rate
inline constexpr uint32_t kCapWakePadc = 0x10;          // measurement interval, sampling rate
inline constexpr uint32_t kCapPorts = 0x20;             // port sensor assignment
inline constexpr uint32_t kCapTrait = 0x40;             // "get -trait"
inline constexpr uint32_t kCapRadio = 0x100;            // radio values, emulated trait
inline constexpr uint32_t kCapRadioMode = 0x200;        // "get -r"/"set -r"
inline constexpr uint32_t kCapClock = 0x1000;           // DeviceTime
inline constexpr uint32_t kCapAdcCal = 0x10000;         // ADC calibration
inline constexpr uint32_t kCapDataParameter = 0x20000;  // "get -data"
inline constexpr uint32_t kCapBuildInfo = 0x40000;      // "get -build"
inline constexpr uint32_t kCapClockSeconds = 0x80000;   // clock as seconds since 2000
inline constexpr uint32_t kCapAdcShort = 0x100000;      // one slope/offset pair only
inline constexpr uint32_t kCapIdentity = 0x1000000;     // device ID, report, depths, site, zone
inline constexpr uint32_t kCapLocation = 0x4000000;     // latitude, longitude

// Capability word and type size of a kind at a firmware version (1.12 is 112).
// newFirmware matters for the Kt3 only.
struct LoggerCapabilities {
  uint32_t word = 0;
  int32_t typeSize = 0;
};
LoggerCapabilities LoggerCapabilitiesFor(int type, bool newFirmware, int32_t versionNumber);

// Sets the record's capability word and type size from its logger type, new-firmware flag
// and version number. Returns 1.
int32_t UpdateCapabilities(LoggerSettings& settings);
