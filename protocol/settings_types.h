#pragma once
// Which settings each device type keeps: the family of its settings file, the request mask of
// the save, the type lines its settings file may carry and the keys read back.

#include <array>
#include <cstdint>
#include <string_view>

#include "bsl/device_types.h"

enum class SettingsFamily : uint8_t { None, Logger, Instrument, Sensor };

struct SettingsTypeRow {
  DeviceType type;
  SettingsFamily family;
  uint32_t saveMask;  // DeviceSettings or GetInstInfo request mask of the save
  // Type names accepted in the file's type line (type="<name>"); the writer's own comes first
  // for instruments.
  std::array<const char*, 3> typeNames;
  uint32_t fileKeys;  // mask bits of the values read back from the file
};

// The row of type; a row of family None for types without settings.
const SettingsTypeRow& SettingsTypeOf(DeviceType type);

// Added to the save mask of an RD60 from firmware 2.00 (sn, contr, config) and of a V8X from
// firmware 2.05 (pvuser).
inline constexpr uint32_t kRd60NewerMask = 0x812;
inline constexpr uint32_t kRd60NewerVersion = 200;
inline constexpr uint32_t kV8xPvuserMask = 0x40;
inline constexpr int32_t kV8xPvuserVersion = 205;
