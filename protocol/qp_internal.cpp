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
