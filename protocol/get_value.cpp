// Quil_protocol: reading one value with a get command.

#include <cstring>

#include "protocol/qp_internal.h"

namespace {

constexpr uint32_t kValueTries = 3;
constexpr uint32_t kValueAnswer = 512;

}  // namespace

int32_t GetValueString(Quil_protocol& qp, const char* command, uint32_t timeoutMs, char* dest,
                       uint32_t maxChars) {
  if (command == nullptr || dest == nullptr) return -10;
  const std::string line = Format("%s\r", command).substr(0, kValueAnswer - 1);
  int32_t result = 0;
  int32_t elapsedMs = 0;
  bool found = false;
  for (uint32_t attempt = 0; attempt < kValueTries && !found; ++attempt) {
    Exchange ex = QPExchange(qp, line, timeoutMs, kValueAnswer);
    result = ex.result;
    elapsedMs = ex.elapsedMs;
    if (ex.result <= 0) continue;
    if (ex.Holds("Error")) {
      result = -30;
      continue;
    }
    std::string_view text = ex.answer;
    if (!text.empty() && text.front() == '\r') text.remove_prefix(1);
    if (!text.empty() && text.front() == '\n') text.remove_prefix(1);
    size_t n = 0;
    while (n < text.size() && n < maxChars && text[n] != '\r' && text[n] != '\0') ++n;
    std::memcpy(dest, text.data(), n);
    dest[n] = '\0';
    if (n > 0 && dest[0] == '>') {
      result = -30;
      QP_LOG(qp, kQPLogDone,
             "GetValueString found a leading prompt character executing command \"%s\" (%d ms)",
             command, elapsedMs);
      continue;
    }
    if (n == 0) {
      result = -30;
      continue;
    }
    found = true;
  }
  if (found) {
    QP_LOG(qp, kQPLogDone, "GetValueString found %s \"%s\" (%d ms)", command, dest, elapsedMs);
    return 1;
  }
  QP_LOG(qp, kQPLogDone, "GetValueString received error %d executing command \"%s\" (%d ms)",
         result, command, elapsedMs);
  return result;
}

int32_t GetValueLong(Quil_protocol& qp, const char* command, uint32_t timeoutMs, int32_t* value) {
  if (command == nullptr || value == nullptr) return -10;
  const std::string line = Format("%s\r", command).substr(0, kValueAnswer - 1);
  int32_t result = 0;
  int32_t elapsedMs = 0;
  for (uint32_t attempt = 0; attempt < kValueTries; ++attempt) {
    Exchange ex = QPExchange(qp, line, timeoutMs, kValueAnswer);
    result = ex.result;
    elapsedMs = ex.elapsedMs;
    if (ex.result <= 0) continue;
    std::string_view text = ex.answer;
    size_t cr = text.find('\r');
    if (cr != std::string_view::npos) text.remove_prefix(cr + 1);
    if (!text.empty() && text.front() == '\n') text.remove_prefix(1);
    std::optional<int32_t> number = ReadLeadingNumber(text);
    if (!number) {
      result = -30;
      continue;
    }
    *value = *number;
    QP_LOG(qp, kQPLogDone, "GetValueLong found %s \"%ld\" (%d ms)", command,
           static_cast<long>(*value), elapsedMs);
    return 1;
  }
  QP_LOG(qp, kQPLogDone, "GetValueLong received error %d executing command \"%s\" (%d ms)", result,
         command, elapsedMs);
  return result;
}
