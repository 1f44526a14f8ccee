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
  const std::string line = Printf("%s\r", command).substr(0, kValueAnswer - 1);
  int32_t result = 0;
  int32_t elapsedMs = 0;
  std::string value;
  bool found = false;
  for (uint32_t attempt = 0; attempt < kValueTries && !found; ++attempt) {
    Exchange ex = QPExchange(qp, line, timeoutMs, kValueAnswer);
    result = ex.result;
    elapsedMs = ex.elapsedMs;
    if (ex.result <= 0) continue;
    switch (ValueFromAnswer(ex.answer, maxChars, value)) {
      case ValueVerdict::Found:
        found = true;
        break;
      case ValueVerdict::LeadingPrompt:
        result = -30;
        QP_LOG(qp, kQPLogDone,
               "GetValueString found a leading prompt character executing command \"%s\" (%d ms)",
               command, elapsedMs);
        break;
      case ValueVerdict::ErrorText:
      case ValueVerdict::Empty:
        result = -30;
        break;
    }
  }
  std::memcpy(dest, value.data(), value.size());
  dest[value.size()] = '\0';
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
  const std::string line = Printf("%s\r", command).substr(0, kValueAnswer - 1);
  int32_t result = 0;
  int32_t elapsedMs = 0;
  for (uint32_t attempt = 0; attempt < kValueTries; ++attempt) {
    Exchange ex = QPExchange(qp, line, timeoutMs, kValueAnswer);
    result = ex.result;
    elapsedMs = ex.elapsedMs;
    if (ex.result <= 0) continue;
    std::optional<int32_t> number = LongFromAnswer(ex.answer);
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
