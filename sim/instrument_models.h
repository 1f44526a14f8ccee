#pragma once
// The simulated instruments: which settings each type keeps and the values of a device in use,
// one row per type (sim/instrument_models.cpp).

#include <cstdint>
#include <span>
#include <string_view>

#include "bsl/device_types.h"

enum class SettingKind : uint8_t { Text, Number };

struct InstrumentSetting {
  std::string_view word;  // "sn": read with "get -sn", written with "set -sn <value>"
  SettingKind kind;
  uint16_t maxChars;        // longest text the device stores; numbers are signed 32-bit
  std::string_view value;   // as the device holds it when the simulator starts
  uint16_t minVersion = 0;  // first firmware (major*100 + hundredths) that knows the setting
};

// How the calibration list is addressed: "get -cal 0" .. "get -cal 19", or "get -cal1" .. "-cal7".
enum class CalStyle : uint8_t { None, Spaced, Joined };
// Clock commands: "set -sec"/"get -sec" (seconds since 2000), or "set -t"/"set -d"/"get -t".
enum class ClockStyle : uint8_t { None, Seconds, TimeAndDate };

struct InstrumentModel {
  DeviceType type;
  std::span<const InstrumentSetting> settings;
  CalStyle calStyle;
  std::span<const std::string_view> cal;   // calibration entries in use, from the first slot
  std::span<const std::string_view> eqn;   // "eqn" records: name (with '_' for blanks), numbers
  std::span<const std::string_view> user;  // "user" records: Base64 of tab-separated fields
  bool erasesData;                         // "yes" erases the stored measurements
  ClockStyle clock;
  int batteryPercent;  // "get -batt", unless the fault battery=N says otherwise
  bool relaysSdi12;    // a comm device with a digital sensor behind it
};

inline constexpr int kSpacedCalSlots = 20;  // "-cal 0" .. "-cal 19"
inline constexpr int kJoinedCalSlots = 7;   // "-cal1" .. "-cal7"
inline constexpr int kMaxCalChars = 128;
inline constexpr int kMaxEqnRecords = 100;
inline constexpr int kMaxUserRecords = 25;
inline constexpr int kMaxRecordChars = 100;

// The row of an instrument type; null for loggers and unknown types.
const InstrumentModel* FindInstrumentModel(DeviceType type);
