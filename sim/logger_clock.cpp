#include "sim/logger_clock.h"

#include <array>
#include <cstdio>
#include <ctime>

#include "sim/logger_parse.h"

namespace {

constexpr int64_t kSecondsPerDay = 86400;
constexpr int64_t kDaysFrom1970To2000 = 10957;

// Days since 1970-01-01 of a proleptic Gregorian date, and back.
int64_t DaysFromCivil(int y, int m, int d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int& y, int& m, int& d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

int DaysInMonth(int y, int m) {
  static constexpr std::array<int, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
  return m == 2 && leap ? 29 : kDays[static_cast<size_t>(m - 1)];
}

// Three numbers separated by sep, within the given ranges.
bool ParseTriple(std::string_view text, char sep, std::array<long, 3>& out,
                 const std::array<long, 3>& min, const std::array<long, 3>& max) {
  text = TrimBlanks(text);
  for (size_t i = 0; i < 3; ++i) {
    size_t end = i < 2 ? text.find(sep) : text.size();
    if (end == std::string_view::npos) return false;
    auto v = ParseDecimal(text.substr(0, end), min[i], max[i]);
    if (!v || text.substr(0, end).find_first_of("+- ") != std::string_view::npos) return false;
    out[i] = *v;
    text = i < 2 ? text.substr(end + 1) : std::string_view();
  }
  return true;
}

}  // namespace

int64_t SecondsSince2000(const CivilTime& t) {
  int64_t days = DaysFromCivil(t.year, t.month, t.day) - kDaysFrom1970To2000;
  return days * kSecondsPerDay + t.hour * 3600 + t.minute * 60 + t.second;
}

CivilTime CivilFromSeconds(int64_t seconds) {
  int64_t days = seconds / kSecondsPerDay;
  int64_t rest = seconds % kSecondsPerDay;
  if (rest < 0) {
    rest += kSecondsPerDay;
    --days;
  }
  CivilTime t{};
  CivilFromDays(days + kDaysFrom1970To2000, t.year, t.month, t.day);
  t.hour = static_cast<int>(rest / 3600);
  t.minute = static_cast<int>(rest / 60 % 60);
  t.second = static_cast<int>(rest % 60);
  return t;
}

void LoggerClock::StartFromSystem(uint64_t nowMs, int64_t behindSeconds) {
  std::time_t t = std::time(nullptr);
  std::tm local{};
  localtime_r(&t, &local);
  int64_t seconds = static_cast<int64_t>(t) + local.tm_gmtoff - 946684800 - behindSeconds;
  secondsAtRef_ = seconds < 0 ? 0 : seconds;
  refMs_ = nowMs;
}

int64_t LoggerClock::Seconds(uint64_t nowMs) const {
  return secondsAtRef_ + static_cast<int64_t>((nowMs - refMs_) / 1000);
}

bool LoggerClock::Set(int64_t seconds, uint64_t nowMs) {
  if (seconds < 0 || seconds > 0x7FFFFFFF) return false;
  secondsAtRef_ = seconds;
  refMs_ = nowMs;
  return true;
}

std::string LoggerClock::DateTimeText(uint64_t nowMs) const {
  CivilTime t = CivilFromSeconds(Seconds(nowMs));
  char buf[64];
  std::snprintf(buf, sizeof buf, "Date\\Time: %d-%d-%d %d:%02d:%02d", t.year, t.month, t.day, t.hour,
                t.minute, t.second);
  return buf;
}

bool LoggerClock::SetTimeOfDay(std::string_view text, uint64_t nowMs) {
  std::array<long, 3> v{};
  if (!ParseTriple(text, ':', v, {0, 0, 0}, {23, 59, 59})) return false;
  CivilTime t = CivilFromSeconds(Seconds(nowMs));
  t.hour = static_cast<int>(v[0]);
  t.minute = static_cast<int>(v[1]);
  t.second = static_cast<int>(v[2]);
  return Set(SecondsSince2000(t), nowMs);
}

bool LoggerClock::SetDate(std::string_view text, uint64_t nowMs) {
  std::array<long, 3> v{};
  if (!ParseTriple(text, '-', v, {2000, 1, 1}, {2099, 12, 31})) return false;
  if (v[2] > DaysInMonth(static_cast<int>(v[0]), static_cast<int>(v[1]))) return false;
  CivilTime t = CivilFromSeconds(Seconds(nowMs));
  t.year = static_cast<int>(v[0]);
  t.month = static_cast<int>(v[1]);
  t.day = static_cast<int>(v[2]);
  return Set(SecondsSince2000(t), nowMs);
}
