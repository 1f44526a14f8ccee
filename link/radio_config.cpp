// Radio values: the Qr7 radio module in AT command mode, and a logger's own radio values.

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "link/answer_parsing.h"
#include "link/link_log.h"
#include "link/solix_protocol.h"
#include "link/wire_format.h"
#include "serial/timing.h"

namespace {

constexpr uint32_t kEnterTimeoutMs = 1500;
constexpr uint32_t kAtTimeoutMs = 1100;
constexpr uint32_t kSaveTimeoutMs = 2000;
constexpr uint32_t kLoggerRadioTimeoutMs = 2000;
constexpr uint32_t kTermPauseMs = 500;
constexpr uint32_t kTermTimeoutMs = 1100;
constexpr int32_t kMaxRch = 6;
constexpr int32_t kMaxRsch = 0xFFFF;

// One AT exchange; text receives the answer (empty after a failure).
struct Exchange {
  int32_t result = 0;
  int32_t elapsed = 0;
  std::array<char, 32> buffer{};
  uint32_t length = 0;
  std::string_view text() const { return std::string_view(buffer.data(), length); }
};

Exchange Send(SOLIX_Protocol& link, const char* command, char terminator, uint32_t timeoutMs) {
  Exchange x;
  x.length = x.buffer.size();
  x.result = DeviceCommand(link, command, terminator, timeoutMs, x.buffer.data(), x.length,
                           x.elapsed);
  return x;
}

// One "get" of a logger's radio value: the exchange when it holds a value to read; otherwise
// nothing, with result set to 0 (the prompt alone), the exchange's failure code, or -45 ("No
// Radio": asking again is no use).
std::optional<Exchange> AskLoggerRadio(SOLIX_Protocol& link, const char* command, int32_t& elapsed,
                                       int32_t& result) {
  Exchange x = Send(link, command, '>', kLoggerRadioTimeoutMs);
  elapsed = x.elapsed;
  if (x.result == -31) {
    result = 0;
  } else if (x.result <= 0) {
    result = x.result;
  } else if (Contains(x.text(), "No Radio")) {
    result = -45;
  } else {
    return x;
  }
  return std::nullopt;
}

// Where a logger puts the value in its answer: two characters after the first 'K'
// ("OK" and a separator), or at the start.
std::string_view LoggerValue(std::string_view answer) {
  size_t k = answer.find('K');
  if (k == std::string_view::npos) return answer;
  return k + 2 < answer.size() ? answer.substr(k + 2) : std::string_view();
}

}  // namespace

int32_t Qr7Config(SOLIX_Protocol& link, int32_t* rch, int32_t* rsch, FixedText<9>* versionOut,
                  int mode, uint32_t* flags) {
  const uint32_t request = flags != nullptr ? *flags : 0;
  int32_t elapsed = 0;

  int32_t entered = 0;
  for (int attempt = 0; attempt < 2 && entered <= 0; ++attempt) {
    Exchange x = Send(link, "+++", 'K', kEnterTimeoutMs);
    elapsed = x.elapsed;
    entered = x.result > 0 && !Contains(x.text(), "OK") ? -23 : x.result;
  }
  if (entered <= 0) {
    LinkLog(link, kLogFailure, "Qr7Config failed to get into AT command mode: %d (%d ms)",
            entered, elapsed);
    if (flags != nullptr) *flags = 0;
    return -23;
  }

  int32_t result = 1;
  uint32_t done = 0;
  int errors = 0;
  if (mode == 1) {
    if ((request & kMaskRch) != 0 && rch != nullptr) {
      Exchange x = Send(link, Printf("ATHP%X\r", static_cast<unsigned>(*rch)).c_str(), 'K',
                        kAtTimeoutMs);
      elapsed = x.elapsed;
      if (x.result > 0 && Contains(x.text(), "OK")) {
        LinkLog(link, kLogDetail, "Qr7Config set rch to %d (%d ms)", *rch, elapsed);
        done |= kMaskRch;
      } else {
        errors += 1;
        if (x.result <= 0) result = x.result;
      }
    }
    if ((request & kMaskRsch) != 0 && rsch != nullptr) {
      Exchange x = Send(link, Printf("ATDT%X\r", static_cast<unsigned>(*rsch)).c_str(), 'K',
                        kAtTimeoutMs);
      elapsed = x.elapsed;
      if (x.result > 0 && Contains(x.text(), "OK")) {
        LinkLog(link, kLogDetail, "Qr7Config set rsch to %d (%d ms)", *rsch, elapsed);
        done |= kMaskRsch;
      } else {
        errors += 2;
        if (x.result <= 0) result = x.result;
      }
    }
    Exchange x = Send(link, "ATWR\r", 'K', kSaveTimeoutMs);
    elapsed = x.elapsed;
    if (x.result > 0 && Contains(x.text(), "OK")) {
      LinkLog(link, kLogDetail, "Qr7Config saved configuration (%d ms)", elapsed);
      result = 1;
    } else {
      errors += 8;
      if (x.result <= 0) result = x.result;
    }
  } else {
    if ((request & kMaskRch) != 0 && rch != nullptr) {
      Exchange x = Send(link, "ATHP\r", '\r', kAtTimeoutMs);
      elapsed = x.elapsed;
      std::string_view text = x.text();
      std::optional<uint32_t> v = x.result > 0 ? ReadHex(text) : std::nullopt;
      if (v) {
        *rch = static_cast<int32_t>(*v);
        done |= kMaskRch;
        LinkLog(link, kLogDetail, "Qr7Config found rch %d (%d ms)", *rch, elapsed);
      } else {
        if (x.result > 0) LinkLog(link, kLogDetail, "Qr7Config could not find rch (%d ms)", elapsed);
        errors += 1;
      }
    }
    if ((request & kMaskRsch) != 0 && rsch != nullptr) {
      Exchange x = Send(link, "ATDT\r", '\r', kAtTimeoutMs);
      elapsed = x.elapsed;
      std::string_view text = x.text();
      std::optional<uint32_t> v = x.result > 0 ? ReadHex(text) : std::nullopt;
      if (v) {
        *rsch = static_cast<int32_t>(*v);
        done |= kMaskRsch;
        LinkLog(link, kLogDetail, "Qr7Config found rsch %d (%d ms)", *rsch, elapsed);
      } else {
        if (x.result > 0) {
          LinkLog(link, kLogDetail, "Qr7Config could not find rsch (%d ms)", elapsed);
        }
        errors += 2;
      }
    }
    if ((request & kMaskRadioVersion) != 0 && versionOut != nullptr) {
      Exchange x = Send(link, "ATVR\r", '\r', kAtTimeoutMs);
      elapsed = x.elapsed;
      std::string_view text = x.text();
      std::string_view word = x.result > 0 ? ReadWord(text, 8) : std::string_view();
      if (!word.empty()) {
        SetText(*versionOut, word);
        LinkLog(link, kLogDetail, "Qr7Config found rver %s (%d ms)",
                TextString(*versionOut).c_str(), elapsed);
        done |= kMaskRadioVersion;
      } else {
        if (x.result > 0) {
          LinkLog(link, kLogDetail, "Qr7Config could not find rver (%d ms)", elapsed);
        }
        errors += 4;
      }
    }
  }

  Exchange leave = Send(link, "ATCN\r", 'K', kAtTimeoutMs);
  int32_t left = leave.result > 0 && !Contains(leave.text(), "OK") ? -1 : leave.result;
  if (left <= 0) {
    // A silent module gives -21; 0 cannot come from DeviceCommand but counts as a failure.
    if (left == 0) left = -1;
    LinkLog(link, kLogFailure, "Qr7Config failed to get out of AT command mode: %d (%d ms)", left,
            leave.elapsed);
    return left;
  }

  if (result < 0 || errors > 0) {
    if (done != 0) result = -35;
    // Nothing asked for was done: that is no success.
    else if (result > 0) result = -30;
    LinkLog(link, kLogFailure, "Qr7Config failed with error %d and %d (%d ms)", result, errors,
            elapsed);
  }
  if (flags != nullptr) *flags = done;
  PumpedSleep(100);
  return result;
}

int32_t MSRadioCommand(SOLIX_Protocol& link, int32_t* rch, int32_t* rsch,
                       FixedText<9>* versionOut, int mode, uint32_t* flags) {
  if (flags == nullptr) return -10;
  LoggerSettings& s = link.settings;
  if ((s.capabilities & kCapRadio) == 0) {
    *flags = 0;
    return -1;
  }

  if (link.connection.kind == kConnRadio) {
    if (rch == nullptr || rsch == nullptr || versionOut == nullptr) return -10;
    if (mode == 1) {
      *flags = 0;
      LinkLog(link, kLogDetail,
              "MSRadioCommand can't set radio parameters while connected over the radio");
      return -12;
    }
    if (link.connection.radioKnown != 0) {
      *rch = link.connection.rch;
      *rsch = link.connection.rsch;
      SetText(*versionOut, "");
      *flags = kMaskRch | kMaskRsch;
      LinkLog(link, kLogDetail, "MSRadioCommand knows the RCH is %d and RSCH is %d (can't get RVER)",
              *rch, *rsch);
      return 1;
    }
    *flags = kMaskRch | kMaskRsch;
    int32_t r = Qr7Config(link, rch, rsch, versionOut, 0, flags);
    SetText(*versionOut, "");
    LinkLog(link, kLogDetail,
            "MSRadioCommand asked the Qr7 and found the RCH is %d and RSCH is %d (can't get RVER)",
            *rch, *rsch);
    return r;
  }

  if (s.newFirmware == 0) {
    if (s.loggerType != LT_KT3) return -21;
    // The old Kt3 passes the line through to its radio module after "term".
    uint32_t written = 0;
    QSWrite(link.port, "term\r", 5, written);
    if (link.options.traceMode == 2 || link.options.traceMode == 3) DeviceTrace(link, "term\r");
    PumpedSleep(kTermPauseMs);
    int32_t r = Qr7Config(link, rch, rsch, versionOut, mode, flags);
    PumpedSleep(kTermPauseMs);
    Send(link, "term\r", '>', kTermTimeoutMs);
    return r;
  }

  const uint32_t request = *flags;
  int32_t result = 1;
  uint32_t done = 0;
  uint32_t failed = 0;
  int32_t elapsed = 0;
  const uint32_t cycles = link.tries;

  if (mode == 1) {
    const char* confirmation = s.loggerType == LT_KT3 ? "OK\r\rOK" : "OK";
    struct Item {
      uint32_t bit;
      int32_t* value;
      const char* line;
    };
    const std::array<Item, 2> items = {{
        {kMaskRch, rch, "rch"},
        {kMaskRsch, rsch, "rsch"},
    }};
    for (const Item& item : items) {
      if ((request & item.bit) == 0 || item.value == nullptr) continue;
      const auto value = static_cast<unsigned>(*item.value);
      const std::string command =
          item.bit == kMaskRch ? Printf("set -rch %X\r", value) : Printf("set -rsch %X\r", value);
      for (uint32_t cycle = 0; cycle < cycles; ++cycle) {
        failed |= item.bit;
        Exchange x = Send(link, command.c_str(), '>', kLoggerRadioTimeoutMs);
        elapsed = x.elapsed;
        if (x.result <= 0) {
          result = x.result;
          continue;
        }
        if (Contains(x.text(), "No Radio")) {
          result = -45;
          break;
        }
        if (Contains(x.text(), confirmation)) {
          LinkLog(link, kLogDetail, "MSRadioCommand set %s to %d (%d ms)", item.line, *item.value,
                  elapsed);
          done |= item.bit;
          failed &= ~item.bit;
          break;
        }
      }
    }
  } else {
    if ((request & kMaskRadioVersion) != 0 && versionOut != nullptr) {
      failed |= kMaskRadioVersion;
      for (uint32_t cycle = 0; cycle < cycles; ++cycle) {
        std::optional<Exchange> x = AskLoggerRadio(link, "get -rver\r", elapsed, result);
        if (!x) {
          if (result == -45) break;
          continue;
        }
        std::string_view value = LoggerValue(x->text());
        std::string_view word = ReadWord(value, 8);
        if (word.substr(0, 2) == "00") {
          result = -45;
          break;
        }
        if (word.size() == 4 && IsHexDigits(word, 4)) {
          SetText(*versionOut, word);
          LinkLog(link, kLogDetail, "MSRadioCommand found rver %s (%d ms)",
                  TextString(*versionOut).c_str(), elapsed);
          done |= kMaskRadioVersion;
          failed &= ~kMaskRadioVersion;
          break;
        }
      }
      if ((failed & kMaskRadioVersion) != 0) {
        SetText(*versionOut, "");
        LinkLog(link, kLogDetail, "MSRadioCommand could not find rver (%d ms)", elapsed);
      }
    }
    struct Item {
      uint32_t bit;
      int32_t* value;
      const char* command;
      uint32_t max;
    };
    const std::array<Item, 2> items = {{
        {kMaskRch, rch, "get -rch\r", static_cast<uint32_t>(kMaxRch)},
        {kMaskRsch, rsch, "get -rsch\r", static_cast<uint32_t>(kMaxRsch)},
    }};
    for (const Item& item : items) {
      if ((request & item.bit) == 0 || item.value == nullptr || result == -45) continue;
      failed |= item.bit;
      for (uint32_t cycle = 0; cycle < cycles; ++cycle) {
        std::optional<Exchange> x = AskLoggerRadio(link, item.command, elapsed, result);
        if (!x) {
          if (result == -45) break;
          continue;
        }
        std::string_view value = LoggerValue(x->text());
        std::optional<uint32_t> v = ReadHex(value);
        if (v && *v <= item.max) {
          *item.value = static_cast<int32_t>(*v);
          done |= item.bit;
          failed &= ~item.bit;
          if (item.bit == kMaskRch) {
            LinkLog(link, kLogDetail, "MSRadioCommand found rch %d (%d ms)", *item.value, elapsed);
          } else {
            LinkLog(link, kLogDetail, "MSRadioCommand found rsch %d (%d ms)", *item.value, elapsed);
          }
          break;
        }
      }
      if ((failed & item.bit) != 0) {
        if (item.bit == kMaskRch) {
          LinkLog(link, kLogDetail, "MSRadioCommand could not find rch (%d ms)", elapsed);
        } else {
          LinkLog(link, kLogDetail, "MSRadioCommand could not find rsch (%d ms)", elapsed);
        }
      }
    }
  }

  if ((result == 0 || result == -45) && done == 0) {
    LinkLog(link, kLogDetail, "MSRadioCommand couldn't find a radio (%d ms)", elapsed);
  } else if (result < 0 || failed != 0) {
    if (done != 0) result = -35;
    LinkLog(link, kLogFailure, "MSRadioCommand failed with error %d setting %d (%d ms)", result,
            static_cast<int>(failed), elapsed);
  }
  *flags = done;
  return result;
}
