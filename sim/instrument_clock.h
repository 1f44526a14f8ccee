#pragma once
// An instrument's real-time clock, counting seconds since 2000-01-01 00:00 of local time (the
// device knows no time zones). It starts at the computer's local time and runs with the
// simulator's monotonic milliseconds.

#include <cstdint>
#include <string>
#include <string_view>

class InstrumentClock {
 public:
  int64_t Seconds(uint64_t nowMs);
  void SetSeconds(int64_t seconds, uint64_t nowMs);
  // "H:M:S" and "Y-M-D" keep the other half; false (clock unchanged) for a value out of range.
  bool SetTimeOfDay(std::string_view hms, uint64_t nowMs);
  bool SetDate(std::string_view ymd, uint64_t nowMs);
  // "Date\Time: 2024-05-01 12:03:09"
  std::string DateTimeText(uint64_t nowMs);
  // Reprogramming stopped the clock: it starts again from 2000-01-01 00:00.
  void Reset();

 private:
  void Start(uint64_t nowMs);
  bool running_ = false;
  bool fromZero_ = false;
  int64_t seconds_ = 0;
  uint64_t setMs_ = 0;
};
