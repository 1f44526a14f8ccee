#include "sim/instrument_clock.h"

#include <charconv>
#include <cstdio>
#include <ctime>

namespace {

constexpr int64_t kDay = 86400;
constexpr int64_t kEpoch2000 = 946684800;  // 2000-01-01 00:00 in seconds since 1970

// Days since 1970-01-01 of a civil date, and back (proleptic Gregorian calendar).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const auto yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void CivilFromDays(int64_t z, int* y, int* m, int* d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const auto doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  *d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  *m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  *y = static_cast<int>(static_cast<int64_t>(yoe) + era * 400 + (*m <= 2));
}

// Three numbers separated by sep, the whole text: "12:03:09".
bool ThreeNumbers(std::string_view text, char sep, int out[3]) {
  const char* p = text.data();
  const char* end = p + text.size();
  for (int i = 0; i < 3; ++i) {
    auto [next, ec] = std::from_chars(p, end, out[i]);
    if (ec != std::errc() || next == p) return false;
    p = next;
    if (i < 2) {
      if (p == end || *p != sep) return false;
      ++p;
    }
  }
  return p == end;
}

bool ValidDate(int y, int m, int d) {
  if (y < 2000 || y > 2135 || m < 1 || m > 12 || d < 1) return false;
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
  return d <= kDays[m - 1] + (m == 2 && leap ? 1 : 0);
}

}  // namespace

void InstrumentClock::Start(uint64_t nowMs) {
  if (running_) return;
  running_ = true;
  setMs_ = nowMs;
  if (fromZero_) {
    seconds_ = 0;
    return;
  }
  std::time_t t = std::time(nullptr);
  std::tm local{};
  localtime_r(&t, &local);
  seconds_ = static_cast<int64_t>(t) + local.tm_gmtoff - kEpoch2000;
}

void InstrumentClock::Reset() {
  running_ = false;
  fromZero_ = true;
}

int64_t InstrumentClock::Seconds(uint64_t nowMs) {
  Start(nowMs);
  return seconds_ + static_cast<int64_t>((nowMs - setMs_) / 1000);
}

void InstrumentClock::SetSeconds(int64_t seconds, uint64_t nowMs) {
  running_ = true;
  seconds_ = seconds;
  setMs_ = nowMs;
}

bool InstrumentClock::SetTimeOfDay(std::string_view hms, uint64_t nowMs) {
  int v[3];
  if (!ThreeNumbers(hms, ':', v) || v[0] < 0 || v[0] > 23 || v[1] < 0 || v[1] > 59 || v[2] < 0 ||
      v[2] > 59)
    return false;
  int64_t now = Seconds(nowMs);
  int64_t day = now / kDay;
  SetSeconds(day * kDay + v[0] * 3600 + v[1] * 60 + v[2], nowMs);
  return true;
}

bool InstrumentClock::SetDate(std::string_view ymd, uint64_t nowMs) {
  int v[3];
  if (!ThreeNumbers(ymd, '-', v) || !ValidDate(v[0], v[1], v[2])) return false;
  int64_t now = Seconds(nowMs);
  int64_t timeOfDay = now % kDay;
  int64_t days = DaysFromCivil(v[0], static_cast<unsigned>(v[1]), static_cast<unsigned>(v[2])) -
                 kEpoch2000 / kDay;
  SetSeconds(days * kDay + timeOfDay, nowMs);
  return true;
}

std::string InstrumentClock::DateTimeText(uint64_t nowMs) {
  int64_t s = Seconds(nowMs);
  int64_t days = s / kDay + kEpoch2000 / kDay;
  int64_t tod = s % kDay;
  int y, m, d;
  CivilFromDays(days, &y, &m, &d);
  char buf[64];
  std::snprintf(buf, sizeof buf, "Date\\Time: %04d-%02d-%02d %02d:%02d:%02d", y, m, d,
                static_cast<int>(tod / 3600), static_cast<int>(tod / 60 % 60),
                static_cast<int>(tod % 60));
  return buf;
}
