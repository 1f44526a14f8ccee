#pragma once
// The "get -<key>" and "set -<key> <value>" commands of a logger's current firmware: one
// table row per key, what the firmware needs to understand it, how it reads and stores.

#include <cstdint>
#include <string>
#include <string_view>

#include "sim/logger_clock.h"
#include "sim/logger_memory.h"

// Everything a setting command may read or change.
struct SettingContext {
  LoggerSettingsMemory& settings;
  LoggerHardware& hardware;  // the serial number is set here too
  LoggerClock& clock;
  uint64_t nowMs;
  uint32_t features;       // LoggerFeature bits of the running firmware
  bool kt3RadioAnswers;    // the Kt3 relays its radio module's "OK" lines
  bool radioMissing;       // fault: the radio does not answer the logger
  bool radioVersionZero;   // fault: the radio reports version 0000
};

struct SettingReply {
  enum Kind { Value, Empty, Refused } kind;
  std::string text;  // the answer's body: a value, "OK", "ERROR", "No Radio"
};

// Answers "get -<key>" (key with its dash). An unknown key or one the firmware lacks is
// refused with "ERROR".
SettingReply GetSetting(std::string_view key, SettingContext& ctx);
// Answers "set -<key> <value>"; value is everything after the key's blank.
SettingReply SetSetting(std::string_view key, std::string_view value, SettingContext& ctx);

// The trait byte the logger reports: 255 less the bits of the parts fitted (1 radio,
// 8 cellular modem), or the value last set.
uint8_t ReportedTrait(const SettingContext& ctx);
