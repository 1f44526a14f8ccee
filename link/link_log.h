#pragma once
// The link's log lines: LogMessage on the link's log with its port name as the source.

#include <cstdint>

struct SOLIX_Protocol;

int LinkLog(const SOLIX_Protocol& link, uint32_t level, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
// The same with another source name.
int LinkLogAs(const SOLIX_Protocol& link, uint32_t level, const char* source, const char* format,
              ...) __attribute__((format(printf, 4, 5)));

inline constexpr uint32_t kLogFailure = 1;
inline constexpr uint32_t kLogDetail = 30;
