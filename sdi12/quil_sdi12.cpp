// QuilSDI12: one SDI-12 command through the comm device, with wake-up and recovery.

#include "sdi12/quil_sdi12.h"

#include <cstring>
#include <string_view>

#include "sdi12/sdi_internal.h"
#include "serial/timing.h"

namespace {

constexpr uint32_t kWakeSettleMs = 175;
constexpr uint32_t kRecoveryBreakMs = 30;
constexpr int kRecoveryBreaks = 3;
constexpr uint32_t kAttentionTimeoutMs = 500;

int32_t WriteText(QuilSDI12& sdi, std::string_view text) {
  uint32_t written = 0;
  return QSWrite(*sdi.port, text.data(), static_cast<uint32_t>(text.size()), written);
}

void ClearLastAnswer(QuilSDI12& sdi) { sdi.lastAnswer.fill('\0'); }

// Waits for a carriage return and reads at most 255 characters into lastAnswer. Returns the
// count (0 for silence) or a negative serial code; which of the two failed goes to *failedStep.
int32_t ReadAnswer(QuilSDI12& sdi, uint32_t timeoutMs, const char** failedStep) {
  int32_t r = QSWait(*sdi.port, timeoutMs, '\r');
  if (r < 0) {
    *failedStep = "QCommWait";
    return r;
  }
  uint32_t count = 0;
  r = QSRead(*sdi.port, sdi.lastAnswer.data(), kSDIAnswerChars, count);
  if (r < 0) {
    *failedStep = "QCommRead";
    return r;
  }
  if (count > kSDIAnswerChars) count = kSDIAnswerChars;
  sdi.lastAnswer[count] = '\0';
  // A NUL from the line would hide the rest; the answer ends there.
  return static_cast<int32_t>(strnlen(sdi.lastAnswer.data(), count));
}

// The bus woke without an answer: break it three times, then ask for attention. 1 when the
// sensor answered, 0 when it stayed silent, or a serial code.
int32_t Recover(QuilSDI12& sdi) {
  for (int i = 0; i < kRecoveryBreaks; ++i) {
    int32_t w = WriteText(sdi, "|");
    if (w < 0) return w;
    PumpedSleep(kRecoveryBreakMs);
  }
  QSPurge(*sdi.port, 1);
  ClearLastAnswer(sdi);
  int32_t w = WriteText(sdi, "?!");
  if (w < 0) return w;
  const char* step = "";
  int32_t n = ReadAnswer(sdi, kAttentionTimeoutMs, &step);
  if (n < 0) return n;
  return n > 0 ? 1 : 0;
}

}  // namespace

QuilSDI12::QuilSDI12(QuilLog* logIn, QuilSerial* portIn) : log(logIn), port(portIn) {}

int32_t SDISendCommand(QuilSDI12& sdi, const char* command, char* answer,
                       uint32_t& answerLength, int32_t& elapsed) {
  const uint32_t start = MillisecondClock();
  auto fail = [&](int32_t code) {
    if (answer != nullptr && answerLength > 0) answer[0] = '\0';
    answerLength = 0;
    return code;
  };
  if (sdi.port == nullptr || command == nullptr) {
    elapsed = 0;
    return fail(-10);
  }

  bool wake = true;
  int32_t result = 0;
  int32_t length = 0;
  for (uint32_t attempt = 0; attempt < sdi.attempts; ++attempt) {
    if (wake) {
      WriteText(sdi, "|");
      PumpedSleep(kWakeSettleMs);
    }
    // Also without the wake-up: the line end that trailed the attention answer must not be
    // taken for the start of this answer.
    QSPurge(*sdi.port, 1);
    ClearLastAnswer(sdi);

    int32_t w = WriteText(sdi, command);
    if (w < 0) {
      SDI_LOG(sdi, "SDISendCommand got unexpected response (%d) from QCommWrite", w);
      elapsed = 0;
      return fail(w);
    }
    SDI_LOG(sdi, "SDISendCommand sent \"%s\"", command);

    const char* step = "";
    int32_t n = ReadAnswer(sdi, sdi.answerTimeoutMs, &step);
    if (n < 0) {
      SDI_LOG(sdi, "SDISendCommand got unexpected response (%d) from %s", n, step);
      result = n;
      break;
    }
    if (n > 0) {
      SDI_LOG(sdi, "SDISendCommand recieved \"%s\"", sdi.lastAnswer.data());
      length = n;
      result = n;
      break;
    }
    if (attempt == 1) result = -22;
    int32_t heard = Recover(sdi);
    if (heard < 0) {
      result = heard;
      break;
    }
    if (heard == 0) {
      result = -21;
      break;
    }
    wake = !wake;
  }
  elapsed = static_cast<int32_t>(MillisecondClock() - start);
  if (result <= 0) return fail(result);

  if (answer != nullptr && answerLength > 0) {
    uint32_t copied = static_cast<uint32_t>(length) < answerLength - 1
                          ? static_cast<uint32_t>(length)
                          : answerLength - 1;
    std::memcpy(answer, sdi.lastAnswer.data(), copied);
    answer[copied] = '\0';
    answerLength = copied;
    if (copied < static_cast<uint32_t>(length)) {
      SDI_LOG(sdi, "DeviceCommand got %d more bytes than expected (%s)",
              static_cast<int>(static_cast<uint32_t>(length) - copied), command);
    }
  }
  return length;
}
