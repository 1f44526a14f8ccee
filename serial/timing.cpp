#include "serial/timing.h"

#include <ctime>
#include <utility>

namespace {

MessagePump& Pump() {
  static MessagePump pump;
  return pump;
}

void PlainSleep(uint32_t ms) {
  timespec ts{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
  while (nanosleep(&ts, &ts) != 0) {
  }
}

}  // namespace

uint32_t MillisecondClock() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  uint64_t ms = static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
  return static_cast<uint32_t>(ms);
}

void SetMessagePump(MessagePump pump) { Pump() = std::move(pump); }

void ProcessPendingMessages() {
  if (Pump()) Pump()(0);
}

void ProcessPendingMessagesIfDue() {
  static uint32_t last = 0;
  if (!Pump()) return;
  uint32_t now = MillisecondClock();
  if (now - last < 50) return;
  last = now;
  Pump()(0);
}

int32_t PumpedSleep(uint32_t ms) {
  if (ms < 170) {
    PlainSleep(ms);
    return 0;
  }
  uint32_t start = MillisecondClock();
  uint32_t remaining = ms;
  for (;;) {
    if (Pump()) {
      Pump()(remaining);
    } else {
      PlainSleep(remaining);
    }
    uint32_t now = MillisecondClock();
    if (now < start) start = now;  // the clock wrapped
    if (now - start >= ms) return 0;
    remaining = ms - (now - start);
  }
}

int32_t TimeZoneOffsetSeconds() {
  std::time_t t = std::time(nullptr);
  std::tm local{};
  localtime_r(&t, &local);
  std::tm utc{};
  gmtime_r(&t, &utc);
  utc.tm_isdst = 0;
  int32_t dst = local.tm_isdst > 0 ? 3600 : 0;
  return static_cast<int32_t>(t + dst - std::mktime(&utc));
}
