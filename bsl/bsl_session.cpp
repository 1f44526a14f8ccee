// A session with the resident bootloader: start, handshake, framed commands, end.

#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>
#include <new>
#include <string_view>

#include "bsl/bsl_frame.h"
#include "bsl/quil_bsl_host.h"
#include "serial/timing.h"

namespace {

constexpr const char* kSource = "QuilBSL";
constexpr uint32_t kCommandBaud = 9600;  // the command interpreter's rate
constexpr uint32_t kOpenSettleMs = 1000;
constexpr uint32_t kBootAnswerMs = 750;
constexpr uint32_t kHandshakeAnswerMs = 100;
constexpr uint32_t kCheckSettleMs = 1000;
constexpr uint32_t kCheckAnswerMs = 200;
constexpr uint32_t kDisconnectSettleMs = 100;
constexpr uint32_t kShortReadMax = 31;

using ShortAnswer = std::array<char, kShortReadMax + 1>;

bool Contains(std::string_view text, std::string_view what) {
  return text.find(what) != std::string_view::npos;
}

int32_t WriteText(QuilSerial& port, std::string_view text) {
  uint32_t written = 0;
  const int32_t r = QSWrite(port, text.data(), static_cast<uint32_t>(text.size()), written);
  if (r < 0) return r;
  return written == text.size() ? 1 : kQSErrClosed;
}

// Reads at most 31 characters of what has arrived; the view is empty on an error.
int32_t ReadShort(QuilSerial& port, ShortAnswer& buffer, std::string_view& text) {
  uint32_t count = 0;
  const int32_t r = QSRead(port, buffer.data(), kShortReadMax, count);
  text = {};
  if (r < 0) return r;
  buffer[count] = '\0';
  text = std::string_view(buffer.data(), count);
  return 1;
}

// Writes text, gives the device pauseMs to answer, and reads what it said.
int32_t WriteAndRead(QuilSerial& port, std::string_view text, uint32_t pauseMs,
                     ShortAnswer& buffer, std::string_view& answer) {
  int32_t r = WriteText(port, text);
  if (r < 0) return r;
  PumpedSleep(pauseMs);
  return ReadShort(port, buffer, answer);
}

// The image the session will program; taken once, when the session opens.
bool TakeSnapshot(QuilBSLHost& host) {
  try {
    const size_t length = std::min<size_t>(host.imageLength, host.imageText.size());
    host.sessionImage = std::make_shared<const BSLImageSnapshot>(
        BSLImageSnapshot{host.imageText.substr(0, length), host.vectors});
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

int32_t Exchange(QuilBSLHost& host, char command, std::string_view payload, char endChar,
                 BSLAnswer& answer, uint32_t* elapsed) {
  QuilSerial& port = host.port;
  const uint32_t length = BSLBuildFrame(command, payload, host.frameBuffer);
  if (length == 0) return kBSLInvalidArgument;

  const uint32_t start = MillisecondClock();
  QSPurge(port, 1);
  int32_t r = WriteText(port, std::string_view(host.frameBuffer.data(), length));
  if (r < 0) {
    LogMessage(port.log, 1, kSource, "BSLCommand got unexpected response (%d) from QCommWrite", r);
    return r;
  }
  r = QSWait(port, kBSLAnswerTimeoutMs, endChar);
  if (r < 0) {
    LogMessage(port.log, 1, kSource, "BSLCommand got unexpected response (%d) from QCommWait", r);
    if (elapsed) *elapsed = MillisecondClock() - start;
    return r;
  }
  uint32_t count = 0;
  r = QSRead(port, answer.data(), kBSLAnswerMax, count);
  if (elapsed) *elapsed = MillisecondClock() - start;
  if (r < 0) {
    LogMessage(port.log, 1, kSource, "BSLCommand got unexpected response (%d) from QCommRead", r);
    return r;
  }
  answer[count] = '\0';
  return BSLClassifyAnswer(std::string_view(answer.data(), count));
}

}  // namespace

int32_t BSLCommand(QuilBSLHost& host, char command, const char* payload, uint32_t length,
                   char endChar, BSLAnswer* answer, uint32_t* elapsed) {
  if (elapsed) *elapsed = 0;
  if (answer) (*answer)[0] = '\0';
  if (!host.sessionOpen) return kBSLNoAnswer;
  if (length > kBSLMaxTextPayload) return kBSLInvalidArgument;
  if (answer == nullptr || (payload == nullptr && command != 'g')) return kBSLMissingArgument;
  const std::string_view text = payload ? std::string_view(payload, length) : std::string_view();
  return Exchange(host, command, text, endChar, *answer, elapsed);
}

int32_t BSLCommand(QuilBSLHost& host, char command, const uint32_t* numbers, uint32_t count,
                   char endChar, BSLAnswer* answer, uint32_t* elapsed, bool wide) {
  if (elapsed) *elapsed = 0;
  if (answer) (*answer)[0] = '\0';
  if (!host.sessionOpen) return kBSLNoAnswer;
  if (count > kBSLMaxNumbers) return kBSLInvalidArgument;
  if (answer == nullptr || (numbers == nullptr && count > 0)) return kBSLMissingArgument;
  // Five digits a number can exceed the 512 characters a frame carries: refuse, never overrun.
  std::array<char, kBSLMaxTextPayload> text;
  const uint32_t length = BSLFormatNumbers(numbers, count, wide, text);
  if (length == 0 && count > 0) return kBSLInvalidArgument;
  return Exchange(host, command, std::string_view(text.data(), length), endChar, *answer, elapsed);
}

int32_t BSLInvocation(QuilBSLHost& host, uint32_t bootBaud) {
  QuilSerial& port = host.port;
  ShortAnswer buffer;
  std::string_view answer;
  char boot[16];
  std::snprintf(boot, sizeof boot, "boot %s\r", kBSLBootKeyword);

  // Phase 1: ask the command interpreter to start the bootloader.
  int32_t result = kBSLNoAttempt;
  bool started = false;
  for (uint32_t attempt = 1; attempt <= host.retries; ++attempt) {
    const bool more = attempt < host.retries;
    QSPurge(port, 1);
    if (bootBaud != kCommandBaud) QSHostBaud(port, kCommandBaud);
    int32_t r = WriteAndRead(port, boot, kBootAnswerMs, buffer, answer);
    if (r < 0) {
      result = r;
      break;
    }
    if (Contains(answer, "ERROR")) {
      result = kBSLDeviceError;
      if (more) PumpedSleep(kBSLRetryPauseMs);
      continue;
    }
    if (Contains(answer, "QuilBSL MISSING")) {
      result = kBSLNoBootloader;
      break;
    }
    if (Contains(answer, "?")) {
      result = kBSLAlreadyActive;
      break;
    }
    if (answer.empty()) {
      result = kBSLNoBootloader;
      if (more) PumpedSleep(kBSLRetryPauseMs);
      continue;
    }
    if (attempt == 1 || Contains(answer, "OK") || Contains(answer, "$$")) result = 1;
    started = result == 1;
    break;
  }
  if (result == kBSLAlreadyActive) {
    LogMessage(port.log, 10, kSource, "BSLInvocation found the QuilBSL already active");
    return 1;
  }

  // Phase 2: attach to the bootloader waiting for a host.
  uint32_t tries = 0;
  if (started) {
    int32_t r = bootBaud != kCommandBaud ? QSHostBaud(port, bootBaud) : 0;
    if (r < 0) result = r;
    for (uint32_t attempt = 1; r >= 0 && attempt <= host.retries; ++attempt) {
      r = WriteAndRead(port, "\r", kHandshakeAnswerMs, buffer, answer);
      if (r < 0) {
        result = r;
        break;
      }
      if (answer.empty() || answer[0] != '$') {
        result = kBSLNoBootloader;
        continue;
      }
      QSPurge(port, 1);
      r = WriteAndRead(port, "P", kHandshakeAnswerMs, buffer, answer);
      if (r < 0) {
        result = r;
        break;
      }
      if (Contains(answer, "#")) {
        result = 1;
        tries = attempt;
        break;
      }
      result = kBSLDeviceError;
      if (attempt < host.retries) PumpedSleep(kBSLRetryPauseMs);
    }
  }
  if (result == 1 && tries > 0) {
    LogMessage(port.log, 10, kSource, "BSLInvocation successful (%d tries)",
               static_cast<int>(tries));
    return 1;
  }
  if (result == 1) result = kBSLNoAttempt;
  LogMessage(port.log, 1, kSource, "BSLInvocation failed with error %d", result);
  return result;
}

int32_t BSLCheck(QuilBSLHost& host, const char* portName, uint32_t baud) {
  QuilSerial& port = host.port;
  if (portName == nullptr || *portName == '\0') return kBSLMissingArgument;
  if (host.sessionOpen) {
    QSHostBaud(port, baud);
  } else {
    const int32_t r = QSOpen(port, portName, baud);
    if (r < 0) {
      LogMessage(port.log, 1, kSource, "BSLCheck received error while opening serial port (%d)", r);
      return r;
    }
    host.sessionOpen = true;
    if (!TakeSnapshot(host)) return kBSLOutOfMemory;
  }

  PumpedSleep(kCheckSettleMs);
  QSPurge(port, 1);
  ShortAnswer buffer;
  std::string_view answer;
  int32_t r = WriteAndRead(port, "\r", kCheckAnswerMs, buffer, answer);
  if (r < 0) return r;

  if (Contains(answer, "?")) {
    LogMessage(port.log, 10, kSource, "BSLCheck found the QuilBSL already active");
    return kBSLAlreadyActive;
  }
  if (Contains(answer, "$")) {
    LogMessage(port.log, 10, kSource, "BSLCheck found the QuilBSL waiting for a connection");
    return kBSLWaiting;
  }
  LogMessage(port.log, 30, kSource, "BSLCheck didn't get a response from the QuilBSL");
  return kBSLNoAnswer;
}

int32_t BSLConnect(QuilBSLHost& host, const char* portName, uint32_t bootBaud, bool showProgress,
                   uint32_t retries) {
  QuilSerial& port = host.port;
  if (portName == nullptr || *portName == '\0') return kBSLMissingArgument;
  host.showProgress = showProgress;
  host.retries = retries;

  int32_t result = QSOpen(port, portName, kCommandBaud);
  if (result < 0) {
    LogMessage(port.log, 1, kSource, "BSLConnect received error while opening serial port (%d)",
               result);
    return result;
  }
  host.sessionOpen = true;
  if (!TakeSnapshot(host)) {
    BSLDisconnect(host);
    return kBSLOutOfMemory;
  }
  PumpedSleep(kOpenSettleMs);

  result = kBSLNoAttempt;
  bool connected = false;
  for (uint32_t attempt = 1; attempt <= retries && !connected; ++attempt) {
    const bool more = attempt < retries;
    result = BSLInvocation(host, bootBaud);
    if (result < 0) {
      if (BSLCheck(host, portName, bootBaud) != kBSLAlreadyActive) break;
    }
    BSLAnswer answer{};
    result = BSLCommand(host, 'g', nullptr, 0, '\r', &answer, nullptr);
    if (Contains(answer.data(), "ERROR")) result = kBSLDeviceError;
    if (result < 0) {
      if (more) PumpedSleep(kBSLRetryPauseMs);
      continue;
    }
    int32_t version = 0;
    if (BSLParseVersion(answer.data(), version)) {
      host.bslVersion = version;
      result = version;
      connected = true;
    } else {
      result = kBSLRefused;  // acknowledged, but no version in it
    }
  }
  if (!connected) {
    BSLDisconnect(host);
    LogMessage(port.log, 1, kSource, "BSLConnect failed to connect to device (error %d)", result);
    return result;
  }
  LogMessage(port.log, 10, kSource, "BSLConnect connected to device running QuilBSL version %d",
             result);
  return result;
}

int32_t BSLDisconnect(QuilBSLHost& host) {
  if (!host.sessionOpen) return 0;
  const int32_t r = QSClose(host.port);
  host.sessionOpen = false;
  host.sessionImage.reset();
  PumpedSleep(kDisconnectSettleMs);
  return r;
}
