// DeviceCommand: the one exchange with a device's command interpreter.

#include <cstring>
#include <string>
#include <string_view>

#include "link/answer_parsing.h"
#include "link/link_log.h"
#include "link/solix_protocol.h"
#include "link/wire_format.h"
#include "serial/timing.h"

namespace {

constexpr uint32_t kSilencePauseMs = 50;

bool IsRefusal(std::string_view answer) {
  return Contains(answer, "ERROR") || Contains(answer, '?') || Contains(answer, "Unsupported");
}

}  // namespace

int32_t DeviceCommand(SOLIX_Protocol& link, const char* command, char terminator,
                      uint32_t timeoutMs, char* answerOut, uint32_t& capacity,
                      int32_t& elapsedMs) {
  const uint32_t start = MillisecondClock();
  const std::string_view cmd = command != nullptr ? std::string_view(command) : std::string_view();
  const bool traceSent = link.options.traceMode == 2 || link.options.traceMode == 3;
  const bool traceHeard = link.options.traceMode == 1 || link.options.traceMode == 3;
  char* answer = link.answer.data();
  const uint32_t room = kSolixAnswerSize - 1;

  int32_t result = 1;
  uint32_t silent = 0;
  uint32_t attempts = 0;
  uint32_t count = 0;
  for (uint32_t attempt = 0; attempt < link.tries; ++attempt) {
    ++attempts;
    QSPurge(link.port, 1);
    answer[0] = '\0';
    count = 0;

    uint32_t written = 0;
    int32_t w = QSWrite(link.port, cmd.data(), static_cast<uint32_t>(cmd.size()), written);
    if (traceSent) DeviceTrace(link, command != nullptr ? command : "");
    if (w < 0) {
      LinkLog(link, kLogDetail, "DeviceCommand got unexpected response (%d) from QCommWrite", w);
      result = w;
      break;
    }
    int32_t r = QSWait(link.port, timeoutMs + link.options.extraWaitMs, terminator);
    if (r < 0) {
      LinkLog(link, kLogDetail, "DeviceCommand got unexpected response (%d) from QCommWait", r);
      result = r;
      break;
    }
    r = QSRead(link.port, answer, room, count);
    if (r < 0) {
      LinkLog(link, kLogDetail, "DeviceCommand got unexpected response (%d) from QCommRead", r);
      result = r;
      count = 0;
      break;
    }
    if (count == 0) {
      ++silent;
      PumpedSleep(kSilencePauseMs);
      result = -22;
      continue;
    }
    if (count > room) count = room;
    answer[count] = '\0';
    if (traceHeard) DeviceTrace(link, answer);
    const std::string_view heard(answer, count);
    if (!cmd.empty() && Contains(heard, cmd)) {
      LinkLog(link, kLogFailure,
              "DeviceCommand is hearing echoed commands -- device is broken? Relay active?");
      result = -32;
      break;
    }
    if (IsRefusal(heard)) {
      result = -34;
      continue;
    }
    result = 1;
    break;
  }
  elapsedMs = static_cast<int32_t>(MillisecondClock() - start);
  if (attempts > 0 && silent == attempts) result = -21;

  if (result < 0) {
    if (answerOut != nullptr && capacity > 0) answerOut[0] = '\0';
    capacity = 0;
    return result;
  }
  if (answerOut != nullptr && capacity > 0) {
    size_t copied = strnlen(answer, capacity - 1);
    std::memcpy(answerOut, answer, copied);
    answerOut[copied] = '\0';
    capacity = static_cast<uint32_t>(copied);
    if (copied < count) {
      LinkLog(link, kLogDetail, "DeviceCommand got %d more bytes than expected (%s)",
              static_cast<int>(count - copied), MaskSecrets(cmd).c_str());
    }
  }
  if (count >= 3 && answer[0] == '\r' && answer[1] == '\r' && answer[2] == '>') {
    LinkLog(link, kLogDetail, "DeviceCommand: device returned empty answer");
    return -31;
  }
  return static_cast<int32_t>(count);
}
