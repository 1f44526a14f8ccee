// The logger's clock, in device seconds: seconds since 2000-01-01 00:00:00 of local wall time.

#include <array>
#include <cerrno>
#include <ctime>
#include <string>
#include <string_view>

#include "link/answer_parsing.h"
#include "link/link_log.h"
#include "link/solix_protocol.h"
#include "link/wire_format.h"
#include "serial/timing.h"

namespace {

constexpr uint32_t kSetClockTimeoutMs = 1100;
constexpr uint32_t kGetClockTimeoutMs = 2200;
constexpr int64_t kMaxDeviceSeconds = 2147483647;

struct Exchange {
  int32_t result = 0;
  int32_t elapsed = 0;
  std::array<char, 48> buffer{};
  uint32_t length = 0;
  std::string_view text() const { return std::string_view(buffer.data(), length); }
};

Exchange Send(SOLIX_Protocol& link, const std::string& command, uint32_t timeoutMs) {
  Exchange x;
  x.length = x.buffer.size();
  x.result = DeviceCommand(link, command.c_str(), '>', timeoutMs, x.buffer.data(), x.length,
                           x.elapsed);
  return x;
}

bool Literal(std::string_view& text, char c) {
  text = SkipWhitespace(text);
  if (text.empty() || text[0] != c) return false;
  text.remove_prefix(1);
  return true;
}

// "%d-%d-%d %d:%d:%d"; returns how many numbers were read.
int ReadDateTime(std::string_view text, std::array<int32_t, 6>& f) {
  constexpr std::array<char, 6> kBefore = {0, '-', '-', 0, ':', ':'};
  for (size_t i = 0; i < f.size(); ++i) {
    if (kBefore[i] != 0 && !Literal(text, kBefore[i])) return static_cast<int>(i);
    std::optional<int32_t> v = ReadInt(text);
    if (!v) return static_cast<int>(i);
    f[i] = *v;
  }
  return 6;
}

int32_t SetClock(SOLIX_Protocol& link, int64_t* seconds, int32_t& elapsed) {
  const LoggerSettings& s = link.settings;
  const bool inSeconds = (s.capabilities & kCapClockSeconds) != 0;
  const bool newFirmware = s.newFirmware != 0;
  int64_t deviceSeconds = 0;
  std::tm tm{};
  if (seconds != nullptr && *seconds != 0) {
    deviceSeconds = *seconds;
    // UTC of the shifted moment shows the device's own wall clock.
    std::time_t t = static_cast<std::time_t>(deviceSeconds + kEpoch2000);
    gmtime_r(&t, &tm);
  } else {
    std::time_t t = std::time(nullptr);
    if (t == static_cast<std::time_t>(-1)) {
      LinkLog(link, kLogFailure, "DeviceTime failed to get system time with error %d", errno);
      return -30;
    }
    deviceSeconds = TimeZoneOffsetSeconds() + static_cast<int64_t>(t) - kEpoch2000;
    if (seconds != nullptr) *seconds = deviceSeconds;
    localtime_r(&t, &tm);
  }

  if (!inSeconds) {
    Exchange x = Send(link, Printf("set -t %d:%d:%d\r", tm.tm_hour, tm.tm_min, tm.tm_sec),
                      kSetClockTimeoutMs);
    elapsed = x.elapsed;
    if (x.result <= 0) return x.result;
    if (!Contains(x.text(), newFirmware ? "OK" : "\r>")) return -30;
    LinkLog(link, kLogDetail, "DeviceTime set device time to %d:%02d:%02d (%d ms)", tm.tm_hour,
            tm.tm_min, tm.tm_sec, elapsed);
    // A clock with the right date but the wrong time is no clock set: stop at a failed time.
  }
  const std::string command =
      inSeconds ? Printf("set -sec %lld\r", static_cast<long long>(deviceSeconds))
                : Printf("set -d %d-%d-%d\r", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday);
  Exchange x = Send(link, command, kSetClockTimeoutMs);
  elapsed = x.elapsed;
  if (x.result <= 0) return x.result;
  if (!(Contains(x.text(), "OK") || (!newFirmware && Contains(x.text(), '>')))) return -30;
  if (inSeconds) {
    LinkLog(link, kLogDetail, "DeviceTime set device quilseconds to %d (%d ms)",
            static_cast<int>(deviceSeconds), elapsed);
  } else {
    LinkLog(link, kLogDetail, "DeviceTime set device date to %d-%d-%d (%d ms)", tm.tm_year + 1900,
            tm.tm_mon + 1, tm.tm_mday, elapsed);
  }
  return 1;
}

int32_t ReadClock(SOLIX_Protocol& link, int64_t& seconds, int32_t& elapsed) {
  const LoggerSettings& s = link.settings;
  const bool inSeconds = (s.capabilities & kCapClockSeconds) != 0;
  const char* command = inSeconds ? "get -sec\r" : s.newFirmware != 0 ? "get -t\r" : "time\r";
  Exchange x = Send(link, command, kGetClockTimeoutMs);
  elapsed = x.elapsed;
  if (x.result <= 0) return -30;

  if (inSeconds) {
    std::string_view text = x.text();
    std::optional<uint32_t> v = ReadUnsigned(text);
    if (!v) return -30;
    int32_t result = 1;
    if (*v > kMaxDeviceSeconds) {
      seconds = 0;
      result = -30;
    } else {
      seconds = *v;
    }
    LinkLog(link, kLogDetail, "DeviceTime found device date/timr %ld QuilSeconds (%d ms)",
            static_cast<long>(seconds), elapsed);
    return result;
  }

  std::string_view text = x.text();
  constexpr std::string_view kLabel = "Date\\Time:";
  const size_t at = text.find(kLabel);
  std::string_view from = at == std::string_view::npos ? text : text.substr(at + kLabel.size());
  std::array<int32_t, 6> f{};
  if (ReadDateTime(from, f) < 6) return -30;
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  std::tm tm{};
  tm.tm_year = f[0] - 1900;
  tm.tm_mon = f[1] - 1;
  tm.tm_mday = f[2];
  tm.tm_hour = f[3];
  tm.tm_min = f[4];
  tm.tm_sec = f[5];
  tm.tm_isdst = local.tm_isdst;
  std::time_t t = std::mktime(&tm);
  int32_t result = 1;
  if (t == static_cast<std::time_t>(-1)) {
    seconds = 0;
    result = -30;
  } else {
    seconds = TimeZoneOffsetSeconds() + static_cast<int64_t>(t) - kEpoch2000;
  }
  LinkLog(link, kLogDetail, "DeviceTime found device date/time %d-%d-%d %d:%02d:%02d or %ld (%d ms)",
          f[0], f[1], f[2], f[3], f[4], f[5], static_cast<long>(seconds), elapsed);
  return result;
}

}  // namespace

int32_t DeviceTime(SOLIX_Protocol& link, int64_t* seconds, int mode) {
  if ((link.settings.capabilities & kCapClock) == 0) {
    if (seconds != nullptr) *seconds = -1;
    return -1;
  }
  int32_t elapsed = 0;
  int32_t result;
  if (mode == 1) {
    result = SetClock(link, seconds, elapsed);
  } else {
    if (seconds == nullptr) return -10;
    result = ReadClock(link, *seconds, elapsed);
  }
  if (result < 0) {
    if (mode != 1 && seconds != nullptr) *seconds = -1;
    LinkLog(link, kLogFailure, "DeviceTime failed with error %d (%d ms)", result, elapsed);
  }
  return result;
}
