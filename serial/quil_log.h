#pragma once
// The program's one log file: every layer appends a time-stamped line per event.
// The file is opened, appended and closed for each line, so it is complete at every moment.

#include <cstdint>
#include <ctime>
#include <functional>
#include <string>

struct QuilLog {
  // level is kept when it is one of 0, 1, 10, 30, 40; anything else gives 1.
  QuilLog(std::string fileName, uint32_t level);

  std::string fileName;
  uint32_t level = 1;
  // Source of "now" for the time stamp; tests inject a fixed clock. Empty: the system clock.
  std::function<std::time_t()> clock;
};

// Appends "D Mon YYYY H:MM:SS - source: message\r\n" when level <= log->level.
// Returns the characters written, 0 when nothing was written (level too high, no log,
// or the file could not be opened). The file is created readable by its owner only.
int LogMessage(const QuilLog* log, uint32_t level, const char* source, const char* format, ...)
    __attribute__((format(printf, 4, 5)));

// Size of the log file in bytes, or the negated errno when it cannot be measured.
long LogFileSize(const QuilLog* log);

// Cuts the log down to at most its last maxBytes bytes, starting at a line start.
// True when the file is now short enough; false when it could not be cut (the log is
// then as it was).
bool KeepTail(const QuilLog* log, long maxBytes);

// "%d %s %d %d:%02d:%02d" of t in local time with English month abbreviations.
std::string LogTimeStamp(std::time_t t);
