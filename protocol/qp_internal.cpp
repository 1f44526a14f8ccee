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

bool IsLoggerType(DeviceType type) {
  return type == DT_KT3B || type == DT_KT30 || type == DT_HV || type == DT_RL9 || type == DT_ZLG;
}
