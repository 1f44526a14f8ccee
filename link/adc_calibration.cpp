// ADC calibration: slope and offset pairs of the two converters, with a check value.

#include <array>
#include <string>
#include <string_view>

#include "link/answer_parsing.h"
#include "link/link_log.h"
#include "link/solix_protocol.h"
#include "link/wire_format.h"

namespace {

constexpr uint32_t kAdcTimeoutMs = 1100;
constexpr uint32_t kLongFormValues = 11;
constexpr uint32_t kShortFormValues = 3;

// The check value the set command sends: the sum of the pairs it carries, modulo 256.
unsigned CheckValue(const std::array<uint8_t, 5>& slopes, const std::array<uint8_t, 5>& offsets,
                    bool shortForm) {
  unsigned sum = 0;
  size_t pairs = shortForm ? 1 : slopes.size();
  for (size_t i = 0; i < pairs; ++i) sum += slopes[i] + offsets[i];
  return sum % 256;
}

}  // namespace

int32_t ADCcalCommand(SOLIX_Protocol& link, int which, std::array<uint8_t, 5>& slopes,
                      std::array<uint8_t, 5>& offsets, int mode) {
  const char* name = which == 2 ? "-adc15" : which == 1 ? "-adc30" : nullptr;
  if (name == nullptr) return -11;
  if ((link.settings.capabilities & kCapAdcCal) == 0) return -1;
  const bool shortForm = (link.settings.capabilities & kCapAdcShort) != 0;
  const auto& s = slopes;
  const auto& o = offsets;

  std::array<char, 128> buffer{};
  uint32_t capacity = buffer.size();
  int32_t elapsed = 0;
  int32_t result = 1;
  if (mode == 1) {
    const unsigned check = CheckValue(slopes, offsets, shortForm);
    const std::string command =
        shortForm ? Printf("set %s %u %u %u\r", name, s[0], o[0], check)
                  : Printf("set %s %u %u %u %u %u %u %u %u %u %u %u\r", name, s[0], o[0], s[1],
                           o[1], s[2], o[2], s[3], o[3], s[4], o[4], check);
    result = DeviceCommand(link, command.c_str(), '>', kAdcTimeoutMs, buffer.data(), capacity,
                           elapsed);
    if (result >= 1) {
      if (Contains(std::string_view(buffer.data(), capacity), "OK")) {
        LinkLog(link, kLogDetail, "ADCcalCommand set %s %u %u %u %u %u %u %u %u %u %u %u (%d ms)",
                name, s[0], o[0], s[1], o[1], s[2], o[2], s[3], o[3], s[4], o[4], check, elapsed);
        result = 1;
      } else {
        result = -30;
      }
    }
  } else {
    const std::string command = Printf("get %s\r", name);
    result = DeviceCommand(link, command.c_str(), '>', kAdcTimeoutMs, buffer.data(), capacity,
                           elapsed);
    if (result >= 1) {
      const uint32_t expected = shortForm ? kShortFormValues : kLongFormValues;
      std::array<uint32_t, kLongFormValues> values{};
      size_t n = ReadUnsigneds(std::string_view(buffer.data(), capacity),
                               std::span<uint32_t>(values.data(), expected));
      if (n != expected) {
        LinkLog(link, kLogDetail, "ADCcalCommand only found %d of %d cal %s factors (%d ms)",
                static_cast<int>(n), static_cast<int>(kLongFormValues), name, elapsed);
        result = -30;
      } else {
        result = 1;
        const size_t pairs = (expected - 1) / 2;
        auto store = [&result](uint32_t v) -> uint8_t {
          if (v == 0 || v >= 255) result = -1;
          return v >= 255 ? 255 : static_cast<uint8_t>(v);
        };
        for (size_t i = 0; i < pairs; ++i) {
          slopes[i] = store(values[2 * i]);
          offsets[i] = store(values[2 * i + 1]);
        }
        const uint32_t received = values[expected - 1];
        if (CheckValue(slopes, offsets, shortForm) != received) result = -1;
        LinkLog(link, kLogDetail,
                "ADCcalCommand found (%s) %s %u %u %u %u %u %u %u %u %u %u %u (%d ms)",
                result == -1 ? "not valid" : "valid", name, s[0], o[0], s[1], o[1], s[2], o[2],
                s[3], o[3], s[4], o[4], received, elapsed);
      }
    }
  }
  if (result < 0) {
    LinkLog(link, kLogFailure, "ADCcalCommand (%s) failed with error %d (%d ms)", name, result,
            elapsed);
  }
  return result;
}
