// Helpers shared by the Quil_protocol operations.

#include <cstdarg>
#include <cstdio>
#include <vector>

#include "protocol/qp_internal.h"

Exchange QPExchange(Quil_protocol& qp, const std::string& command, uint32_t timeoutMs,
                    uint32_t capacity) {
  Exchange ex;
  std::vector<char> buffer(capacity + 1, '\0');
  uint32_t room = capacity;
  ex.result = DeviceCommand(*qp.link, command.c_str(), '>', timeoutMs, buffer.data(), room,
                            ex.elapsedMs);
  ex.answer.assign(buffer.data(), room < capacity ? room : capacity);
  return ex;
}

std::optional<int32_t> ReadLeadingNumber(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  int64_t value = 0;
  size_t digits = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, ++digits) {
    value = value * 10 + (text[i] - '0');
    if (value > int64_t{INT32_MAX} + 1) return std::nullopt;
  }
  if (digits == 0) return std::nullopt;
  if (negative) value = -value;
  if (value > INT32_MAX || value < INT32_MIN) return std::nullopt;
  return static_cast<int32_t>(value);
}

std::string Format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  int n = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string out;
  if (n > 0) {
    out.resize(static_cast<size_t>(n) + 1);
    std::vsnprintf(out.data(), out.size(), format, args);
    out.resize(static_cast<size_t>(n));
  }
  va_end(args);
  return out;
}

bool IsLoggerType(DeviceType type) {
  return type == DT_KT3B || type == DT_KT30 || type == DT_HV || type == DT_RL9 || type == DT_ZLG;
}
