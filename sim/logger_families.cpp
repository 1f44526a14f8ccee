#include "sim/logger_families.h"

#include <cctype>

namespace {

constexpr uint32_t kKt30Base = kFeatBaud | kFeatWake | kFeatPadc | kFeatPorts | kFeatRadio |
                               kFeatRmode | kFeatClock | kFeatBattery;
constexpr uint32_t kModernLogger = kKt30Base | kFeatTraitGet | kFeatAdc | kFeatData |
                                   kFeatCellular | kFeatSite | kFeatAuthKeyName | kFeatLatLon;

// The Kt3 below 2.00 runs the old command set: "show", "time", "hertz", "set -p", and its
// settings confirmed by a bare prompt; its radio values are reached through "term".
constexpr LoggerFamily kFamilies[] = {
    {.code = "KT3",
     .lowerCaseWord = false,
     .newFirmwareFrom = 200,
     .baseFeatures = kFeatWake | kFeatRadio | kFeatRmode | kFeatClock,
     .steps = {{{165, kFeatPadc}, {200, kFeatBaud | kFeatBattery}}}},
    {.code = "KT3B",
     .lowerCaseWord = true,
     .newFirmwareFrom = 0,
     .baseFeatures = kFeatWake | kFeatPadc | kFeatPorts | kFeatClock | kFeatBattery,
     .steps = {{{204, kFeatBuild}}}},
    {.code = "KT30",
     .lowerCaseWord = false,
     .newFirmwareFrom = 0,
     .baseFeatures = kKt30Base,
     .steps = {{{108, kFeatTraitGet},
                {114, kFeatAdc | kFeatData | kFeatBuild},
                {118, kFeatCellular},
                {200, kFeatSite | kFeatAuthKeyName},
                {202, kFeatLatLon}}}},
    {.code = "HV",
     .lowerCaseWord = false,
     .newFirmwareFrom = 0,
     .baseFeatures = kFeatBaud | kFeatRadio | kFeatBattery,
     .steps = {{{109, kFeatData}}}},
    {.code = "GN",
     .lowerCaseWord = false,
     .newFirmwareFrom = 0,
     .baseFeatures = kFeatBaud | kFeatClock,
     .steps = {}},
    {.code = "RL9",
     .lowerCaseWord = false,
     .newFirmwareFrom = 0,
     .baseFeatures = kModernLogger,
     .steps = {}},
    {.code = "ZLG",
     .lowerCaseWord = false,
     .newFirmwareFrom = 0,
     .baseFeatures = (kModernLogger & ~(kFeatRadio | kFeatBattery)),
     .steps = {}},
};

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

}  // namespace

const LoggerFamily* FindLoggerFamily(std::string_view code) {
  for (const LoggerFamily& f : kFamilies) {
    if (EqualNoCase(code, f.code)) return &f;
  }
  return nullptr;
}

int VersionNumber(std::string_view version) {
  size_t dot = version.find('.');
  if (dot == 0 || dot == std::string_view::npos || dot > 3) return -1;
  int major = 0;
  for (size_t i = 0; i < dot; ++i) {
    if (!std::isdigit(static_cast<unsigned char>(version[i]))) return -1;
    major = major * 10 + (version[i] - '0');
  }
  std::string_view minor = version.substr(dot + 1);
  if (minor.empty() || minor.size() > 2) return -1;
  int tenths = 0, hundredths = 0;
  for (size_t i = 0; i < minor.size(); ++i) {
    if (!std::isdigit(static_cast<unsigned char>(minor[i]))) return -1;
    (i == 0 ? tenths : hundredths) = minor[i] - '0';
  }
  return major * 100 + tenths * 10 + hundredths;
}

uint32_t LoggerFeatures(const LoggerFamily& family, int version) {
  uint32_t features = family.baseFeatures;
  for (const FeatureStep& step : family.steps) {
    if (step.fromVersion > 0 && version >= step.fromVersion) features |= step.features;
  }
  return features;
}

bool IsOldFirmware(const LoggerFamily& family, int version) {
  return family.newFirmwareFrom > 0 && version < family.newFirmwareFrom;
}
