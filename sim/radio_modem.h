#pragma once
// A Qr7 radio module as its host sees it: transparent until "+++" arrives after a guard
// time of silence, then AT command mode until "ATCN" (or ten seconds without a command).

#include <cstdint>
#include <string>
#include <string_view>

#include "sim/logger_memory.h"

class RadioModem {
 public:
  static constexpr uint32_t kGuardMs = 1000;
  static constexpr uint32_t kCommandModeTimeoutMs = 10000;
  static constexpr uint32_t kMaxChannel = 0xF;
  static constexpr uint32_t kMaxSystemId = 0xFFFF;

  // values lives as long as the modem: the logger's radio settings, or the module's own.
  explicit RadioModem(RadioValues& values) : values_(values) {}

  // Bytes from the host side arriving at nowMs. Bytes meant for the air are appended to air,
  // the command mode's answers to reply.
  void Feed(std::string_view bytes, uint64_t nowMs, std::string& air, std::string& reply);

  bool commandMode() const { return commandMode_; }
  // Fault: the module reports its version as 0000.
  bool versionZero = false;
  // Back to transparent mode, as after a power cycle (the values stay).
  void Reset();

 private:
  void Execute(const std::string& line, std::string& reply);

  RadioValues& values_;
  bool commandMode_ = false;
  bool heardAny_ = false;
  uint64_t lastRxMs_ = 0;
  uint64_t lastCommandMs_ = 0;
  int pluses_ = 0;  // '+' held back: the start of an escape, or data after all
  std::string line_;
};
