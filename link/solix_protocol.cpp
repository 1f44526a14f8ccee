#include "link/solix_protocol.h"

#include <cstdarg>
#include <cstdio>
#include <string>

#include "link/link_log.h"

namespace {

constexpr uint32_t kMaxTries = 12;
constexpr uint32_t kMaxExtraWaitMs = 30000;
constexpr uint32_t kDefaultSerialTries = 3;
constexpr uint32_t kDefaultRadioTries = 5;

int LogV(const SOLIX_Protocol& link, uint32_t level, const char* source, const char* format,
         va_list args) {
  if (link.log == nullptr || level > link.log->level) return 0;
  va_list copy;
  va_copy(copy, args);
  int n = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  if (n < 0) return 0;
  std::string text(static_cast<size_t>(n) + 1, '\0');
  std::vsnprintf(text.data(), text.size(), format, args);
  text.resize(static_cast<size_t>(n));
  return LogMessage(link.log, level, source, "%s", text.c_str());
}

}  // namespace

int LinkLog(const SOLIX_Protocol& link, uint32_t level, const char* format, ...) {
  va_list args;
  va_start(args, format);
  int n = LogV(link, level, link.port.portName.c_str(), format, args);
  va_end(args);
  return n;
}

int LinkLogAs(const SOLIX_Protocol& link, uint32_t level, const char* source, const char* format,
              ...) {
  va_list args;
  va_start(args, format);
  int n = LogV(link, level, source, format, args);
  va_end(args);
  return n;
}

SOLIX_Protocol::SOLIX_Protocol(QuilLog* logIn) : log(logIn) {
  port.log = logIn;
  port.readBuffer = readAhead.data();
  port.ownsReadBuffer = false;
  port.baudRate = 0;
  port.portName.clear();
  // Both buffers live inside the record, so construction cannot fail to get them.
  status = 1;
}

SOLIX_Protocol::~SOLIX_Protocol() {
  if (connection.kind != 0) {
    options.keepPortOpen = 0;
    DisconnectDevice(*this, false);
  }
  QSClose(port);
  port.readBuffer = nullptr;
}

int32_t DeviceOptions(SOLIX_Protocol& link, SolixOptions& options, int mode) {
  if (mode == 0) {
    options = link.options;
    return 1;
  }
  if (options.serialTries > kMaxTries || options.radioTries > kMaxTries) return -11;
  if (options.serialTries == 0) options.serialTries = kDefaultSerialTries;
  if (options.radioTries == 0) options.radioTries = kDefaultRadioTries;
  if (options.traceMode < 0 || options.traceMode > 3) return -11;
  if (options.extraWaitMs > kMaxExtraWaitMs) return -11;
  link.options = options;
  link.tries = link.connection.kind == kConnRadio ? options.radioTries : options.serialTries;
  return 1;
}

bool DeviceProgress(SOLIX_Protocol& link, uint32_t total, uint32_t done, int phase) {
  if (!link.progressHook) return true;
  return link.progressHook(total, done, phase);
}

void DeviceTrace(SOLIX_Protocol& link, const char* text) {
  if (link.traceHook) link.traceHook(text);
}
