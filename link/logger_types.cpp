#include "link/logger_types.h"

#include <array>
#include <cctype>

#include "link/logger_settings.h"

namespace {

struct LoggerTypeRow {
  LoggerType type;
  const char* code;  // word of the version answer; nullptr when the kind has none
  const char* name;
};

// Indexed by LoggerType.
constexpr std::array<LoggerTypeRow, LT_END + 1> kLoggerTypes = {{
    {LT_UNKNOWN, nullptr, "Unknown"},
    {LT_UNKNOWN_LOGGER, nullptr, "Unknown Logger"},
    {LT_KT3, "KT3", "Kt3"},
    {LT_KT30, "KT30", "Kt30"},
    {LT_HV, "HV", "HubVault"},
    {LT_GN, "GN", "GridNode"},
    {LT_KT3B, "KT3B", "Kt3b"},
    {LT_GENERIC, nullptr, "Generic"},
    {LT_KCB, "KCB", "SOLIX Comm Dev"},
    {LT_SOLIX_CAL, "SOLIX_CAL", "SOLIX Calibrator"},
    {LT_RV, "RV", "ReadVue"},
    {LT_RL9, "RL9", "rL9"},
    {LT_ZLG, "ZLG", "ZLG2"},
    {LT_END, nullptr, "END of List"},
}};

struct CapabilityAddition {
  int32_t fromVersion;
  uint32_t bits;
};

struct CapabilityRow {
  LoggerType type;
  int32_t typeSize;
  uint32_t word;             // with new firmware (or for kinds without the distinction)
  uint32_t oldFirmwareWord;  // the Kt3's old command set; 0 = same as word
  std::array<CapabilityAddition, 8> additions;  // or-ed in from their versions; 0 bits end
};

// Kinds not listed (Unknown, Unknown Logger, GridNode, Generic) get kDefaultCapabilities.
constexpr std::array<CapabilityRow, 9> kCapabilities = {{
    {LT_KT3, 3384, 0x371F, 0x331C, {}},
    {LT_KT3B, 3348, 0x74BE, 0, {{{204, 0x40000}}}},
    {LT_KT30, 36864, 0x7737, 0,
     {{{105, 0x80},
       {108, 0x40},
       {112, 0x8800},
       {114, 0x70000},
       {118, 0xC00000},
       {119, 0x200000},
       {200, 0x1000000},
       {202, 0x4000000}}}},
    {LT_HV, 28672, 0x4503, 0, {{{105, 0x80}, {109, 0x20000}}}},
    {LT_KCB, 0, 0x3007, 0, {}},
    {LT_SOLIX_CAL, 0, 0x10026, 0, {}},
    {LT_RV, 5000, 0x1D3083, 0, {}},
    {LT_RL9, 36864, 0x5E3FFF7, 0, {}},
    {LT_ZLG, 36864, 0x7C3F6F7, 0, {}},
}};
constexpr LoggerCapabilities kDefaultCapabilities = {0x1005, 0};

}  // namespace

const char* LoggerTypeName(int type) {
  if (type < 0 || type > LT_END) type = LT_UNKNOWN;
  return kLoggerTypes[static_cast<size_t>(type)].name;
}

const char* LoggerTypeCode(int type) {
  if (type < 0 || type > LT_END) return nullptr;
  return kLoggerTypes[static_cast<size_t>(type)].code;
}

LoggerType LoggerTypeFromCode(std::string_view word) {
  for (const LoggerTypeRow& row : kLoggerTypes) {
    if (row.code == nullptr) continue;
    std::string_view code(row.code);
    if (code.size() != word.size()) continue;
    bool same = true;
    for (size_t i = 0; i < code.size() && same; ++i) {
      same = std::toupper(static_cast<unsigned char>(word[i])) == code[i];
    }
    if (same) return row.type;
  }
  return LT_UNKNOWN;
}

LoggerCapabilities LoggerCapabilitiesFor(int type, bool newFirmware, int32_t versionNumber) {
  auto apply = [&](const CapabilityRow& row) {
    LoggerCapabilities caps{row.word, row.typeSize};
    if (!newFirmware && row.oldFirmwareWord != 0) caps.word = row.oldFirmwareWord;
    for (const CapabilityAddition& add : row.additions) {
      if (add.bits != 0 && versionNumber >= add.fromVersion) caps.word |= add.bits;
    }
    return caps;
  };
  for (const CapabilityRow& row : kCapabilities) {
    if (row.type == type) return apply(row);
  }
  return kDefaultCapabilities;
}

int32_t UpdateCapabilities(LoggerSettings& settings) {
  settings.capabilities = 0;
  settings.typeSize = 0;
  LoggerCapabilities caps = LoggerCapabilitiesFor(settings.loggerType, settings.newFirmware != 0,
                                                  settings.versionNumber);
  settings.capabilities = caps.word;
  settings.typeSize = caps.typeSize;
  return 1;
}
