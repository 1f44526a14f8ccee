// Erasing and programming through an open bootloader session.

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string_view>

#include "bsl/quil_bsl_host.h"
#include "serial/timing.h"

namespace {

constexpr const char* kSource = "QuilBSL";
constexpr uint32_t kVectorSettleMs = 50;
constexpr uint32_t kAddressDigits = 5;  // digits after each "@" of the image text

bool InProtectedArea(uint32_t a) { return a >= kBSLProtectedStart && a <= kBSLProtectedEnd; }

int32_t ElapsedSeconds(uint32_t start) {
  return static_cast<int32_t>((MillisecondClock() - start) / 1000);
}

// One command with numbers, up to retries attempts, 175 ms apart.
int32_t SendNumbersWithRetries(QuilBSLHost& host, char command, const uint32_t* numbers,
                               uint32_t count, char endChar, bool wide) {
  int32_t r = kBSLNoAttempt;
  for (uint32_t attempt = 1; attempt <= host.retries; ++attempt) {
    BSLAnswer answer{};
    r = BSLCommand(host, command, numbers, count, endChar, &answer, nullptr, wide);
    if (r > 0) return r;
    if (attempt < host.retries) PumpedSleep(kBSLRetryPauseMs);
  }
  return r;
}

bool Report(QuilBSLHost& host, uint32_t total, uint32_t done, int phase, char kind) {
  if (!host.showProgress || !host.progress) return true;
  return host.progress(total, done, phase, kind);
}

// The session's image, or the host's own outside a session (the commands then refuse).
std::shared_ptr<const BSLImageSnapshot> ImageToSend(const QuilBSLHost& host) {
  if (host.sessionImage) return host.sessionImage;
  const size_t length = std::min<size_t>(host.imageLength, host.imageText.size());
  return std::make_shared<const BSLImageSnapshot>(
      BSLImageSnapshot{host.imageText.substr(0, length), host.vectors});
}

bool ParseAddress(std::string_view digits, uint32_t& address) {
  address = 0;
  for (char c : digits) {
    int v = -1;
    if (c >= '0' && c <= '9') v = c - '0';
    if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
    if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
    if (v < 0) return false;
    address = address * 16 + static_cast<uint32_t>(v);
  }
  return !digits.empty();
}

// Sends one block of image text to the current address; a refused block is sent again after
// the address, so that the device starts the block where it belongs.
int32_t SendBlock(QuilBSLHost& host, uint32_t address, uint32_t length, bool wide) {
  int32_t r = kBSLNoAttempt;
  for (uint32_t attempt = 1; attempt <= host.retries; ++attempt) {
    BSLAnswer answer{};
    r = BSLCommand(host, 'W', host.dataBuffer.data(), length, '\r', &answer, nullptr);
    if (r > 0) return r;
    if (attempt < host.retries) {
      PumpedSleep(kBSLRetryPauseMs);
      const int32_t a = BSLSendAddress(host, address, wide);
      if (a < 0) return a;
    }
  }
  return r;
}

}  // namespace

int32_t BSLEraseINFO(QuilBSLHost& host, uint32_t start, uint32_t count, uint32_t segmentSize,
                     bool wide) {
  const uint32_t begin = MillisecondClock();
  int32_t r = 1;
  uint32_t address = start;
  for (uint32_t i = 0; i < count; ++i, address += segmentSize) {
    r = SendNumbersWithRetries(host, 'X', &address, 1, '\r', wide);
    if (r < 0) break;
  }
  const long ms = static_cast<long>(MillisecondClock() - begin);
  if (r < 0) {
    LogMessage(host.port.log, 1, kSource, "BSLEraseINFO failed with error %d (%ld ms)", r, ms);
    return r;
  }
  LogMessage(host.port.log, 10, kSource, "BSLEraseINFO successful: %d segments @ %X (%ld ms)",
             static_cast<int>(count), start, ms);
  return 1;
}

int32_t BSLEraseFlash(QuilBSLHost& host, uint32_t start, uint32_t end, bool wide) {
  if (InProtectedArea(start)) {
    LogMessage(host.port.log, 1, kSource, "BSLEraseFlash failed with error %d (%ld s)",
               kBSLInvalidArgument, 0L);
    return kBSLInvalidArgument;
  }
  const uint32_t begin = MillisecondClock();
  const uint32_t segments = end > start ? (end - start) / kBSLFlashSegment : 0;
  int32_t r = 1;
  uint32_t index = 0;
  for (uint32_t a = start; a < end; ++index) {
    if (index % 10 == 0 && !Report(host, segments, (a - start) / kBSLFlashSegment, 1, 'X')) {
      r = kBSLCancelled;
      break;
    }
    r = SendNumbersWithRetries(host, 'X', &a, 1, '\r', wide);
    if (r < 0) break;
    const uint32_t next = a + kBSLFlashSegment;
    if (next < a) break;  // the address space ends here
    a = InProtectedArea(next) ? kBSLProtectedEnd + 1 : next;
  }
  if (r >= 0) Report(host, segments, segments, 2, 'X');
  const long seconds = ElapsedSeconds(begin);
  if (r < 0) {
    LogMessage(host.port.log, 1, kSource, "BSLEraseFlash failed with error %d (%ld s)", r, seconds);
    return r;
  }
  LogMessage(host.port.log, 10, kSource, "BSLEraseFlash successful: segment %X to %X (%ld s)",
             start, end, seconds);
  return 1;
}

int32_t BSLSendAddress(QuilBSLHost& host, uint32_t address, bool wide) {
  int32_t r = kBSLInvalidArgument;
  if (address <= (wide ? 0xFFFFFu : 0xFFFFu)) {
    char text[8];
    std::snprintf(text, sizeof text, wide ? "%05X" : "%04X", address);
    const uint32_t length = wide ? 5 : 4;
    r = kBSLNoAttempt;
    for (uint32_t attempt = 1; attempt <= host.retries; ++attempt) {
      BSLAnswer answer{};
      r = BSLCommand(host, '@', text, length, '\r', &answer, nullptr);
      if (r > 0) break;
      if (attempt < host.retries) PumpedSleep(kBSLRetryPauseMs);
    }
  }
  if (r < 0) {
    LogMessage(host.port.log, 1, kSource, "BSLSendAddress (%05X) failed with error %d", address, r);
    return r;
  }
  LogMessage(host.port.log, 10, kSource, "BSLSendAddress (%05X) successful", address);
  return r;
}

int32_t BSLSendFirmware(QuilBSLHost& host, bool wide) {
  // The transfer holds its own reference: a file loaded meanwhile cannot change what is sent.
  const std::shared_ptr<const BSLImageSnapshot> image = ImageToSend(host);
  const std::string_view text = image->imageText;
  if (text.empty()) return kBSLMissingArgument;
  if (text.front() != '@') return kBSLInvalidArgument;

  const uint32_t begin = MillisecondClock();
  const uint32_t total = static_cast<uint32_t>(text.size());
  uint32_t address = 0;
  uint32_t block = 0;
  int32_t r = 1;
  for (size_t pos = 0; pos < text.size() && r >= 0; ++pos) {
    if (pos % kBSLBlockChars == 0 && !Report(host, total, static_cast<uint32_t>(pos), 1, 'W')) {
      r = kBSLCancelled;
      break;
    }
    const char c = text[pos];
    if (c == '@') {
      if (block > 0) {
        r = SendBlock(host, address, block, wide);
        if (r < 0) break;
      }
      // Four-digit devices take the last four digits; a section above 0xFFFF would land at
      // the bottom of their memory, so it is refused instead.
      if (pos + kAddressDigits >= text.size() ||
          !ParseAddress(text.substr(pos + 1 + (wide ? 0 : 1), wide ? 5 : 4), address) ||
          (!wide && text[pos + 1] != '0')) {
        r = kBSLInvalidArgument;
        break;
      }
      r = BSLSendAddress(host, address, wide);
      pos += kAddressDigits;
      block = 0;
      continue;
    }
    host.dataBuffer[block++] = c;
    if (block == kBSLBlockChars) {
      r = SendBlock(host, address, block, wide);
      address += kBSLBlockChars / 2;
      block = 0;
    }
  }
  if (r >= 0 && block > 0) r = SendBlock(host, address, block, wide);
  if (r >= 0) Report(host, total, total, 2, 'W');

  const int32_t seconds = ElapsedSeconds(begin);
  if (r < 0) {
    LogMessage(host.port.log, 1, kSource, "BSLSendFirmware failed with error %d (%d s)", r, seconds);
    return r;
  }
  LogMessage(host.port.log, 10, kSource, "BSLSendFirmware successful (%d s)", seconds);
  return 1;
}

int32_t BSLSendVectors(QuilBSLHost& host) {
  const std::shared_ptr<const BSLImageSnapshot> image = ImageToSend(host);
  PumpedSleep(kVectorSettleMs);
  const int32_t r =
      SendNumbersWithRetries(host, 'V', image->vectors.data(), kBSLVectorCount, '+', false);
  if (r < 0) {
    LogMessage(host.port.log, 1, kSource, "BSLSendVectors failed with error %d", r);
    return r;
  }
  LogMessage(host.port.log, 10, kSource, "BSLSendVectors successful");
  return 1;
}
