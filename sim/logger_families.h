#pragma once
// The simulated data loggers, one row per family: what each firmware understands, by version.
// This is the devices' own view; the host derives its capability word independently.

#include <array>
#include <cstdint>
#include <string_view>

// Command groups that a logger's firmware may understand.
enum LoggerFeature : uint32_t {
  kFeatBaud = 1u << 0,          // "set -baud"
  kFeatWake = 1u << 1,          // measurement interval ("set -w", "get -w")
  kFeatPadc = 1u << 2,          // sampling rate ("-padc"; old Kt3: "hertz", "set -p")
  kFeatPorts = 1u << 3,         // sensor type per port
  kFeatTraitGet = 1u << 4,      // "get -trait"
  kFeatRadio = 1u << 5,         // "-rch", "-rsch", "get -rver" (old Kt3: "term" to its module)
  kFeatRmode = 1u << 6,         // radio mode ("-r")
  kFeatClock = 1u << 7,         // "set -t", "set -d", "get -t" (old Kt3: "time")
  kFeatClockSeconds = 1u << 8,  // "set -sec", "get -sec": seconds since 2000
  kFeatAdc = 1u << 9,           // "-adc30", "-adc15" calibration, five pairs
  kFeatAdcShort = 1u << 10,     // calibration with one pair only
  kFeatData = 1u << 11,         // data parameter
  kFeatBuild = 1u << 12,        // build information
  kFeatSite = 1u << 13,         // device ID, report mode, depths, site, time zone, "set -trait"
  kFeatLatLon = 1u << 14,       // latitude and longitude
  kFeatCellular = 1u << 15,     // APN, user, password, key, host, IP port
  kFeatAuthKeyName = 1u << 16,  // the key is read as "-authkey" (older firmware: "-teakey")
  kFeatBattery = 1u << 17,      // "get -batt"
};

struct FeatureStep {
  int fromVersion;  // version number, 1.14 is 114
  uint32_t features;
};

struct LoggerFamily {
  const char* code;          // --type, upper case
  bool lowerCaseWord;        // names itself in lower case in its version answer
  int newFirmwareFrom;       // versions below this run the old command set (0: none do)
  uint32_t baseFeatures;
  std::array<FeatureStep, 6> steps;  // additions by version; unused rows have fromVersion 0
};

// The family of a type code (case-insensitive), or null for a type that is no logger here.
const LoggerFamily* FindLoggerFamily(std::string_view code);

// 2.02 -> 202, "1.5" -> 150; -1 when the text is no version.
int VersionNumber(std::string_view version);

// What firmware `version` of the family understands.
uint32_t LoggerFeatures(const LoggerFamily& family, int version);
bool IsOldFirmware(const LoggerFamily& family, int version);
