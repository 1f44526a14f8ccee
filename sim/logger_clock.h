#pragma once
// A logger's real-time clock: local wall-clock time counted in seconds since 2000-01-01
// 00:00:00, running on from the moment it was set.

#include <cstdint>
#include <string>
#include <string_view>

struct CivilTime {
  int year, month, day, hour, minute, second;
};

// Seconds since 2000-01-01 of a civil time, and back. Years 2000 to 2135.
int64_t SecondsSince2000(const CivilTime& t);
CivilTime CivilFromSeconds(int64_t seconds);

class LoggerClock {
 public:
  // Starts from the computer's local time, behindSeconds slow (a logger's clock drifts).
  void StartFromSystem(uint64_t nowMs, int64_t behindSeconds);
  int64_t Seconds(uint64_t nowMs) const;
  // False (clock unchanged) for a value outside 0 .. 2^31-1.
  bool Set(int64_t seconds, uint64_t nowMs);

  // "Date\Time: 2013-2-22 9:05:07", the form of "get -t" and "time".
  std::string DateTimeText(uint64_t nowMs) const;
  // "H:M:S" keeps the date, "Y-M-D" keeps the time of day; false for a malformed or
  // impossible value.
  bool SetTimeOfDay(std::string_view text, uint64_t nowMs);
  bool SetDate(std::string_view text, uint64_t nowMs);

 private:
  int64_t secondsAtRef_ = 0;
  uint64_t refMs_ = 0;
};
