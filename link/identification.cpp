// Identification: "get -ver", the old Kt3's "show", and the device name.

#include <array>
#include <cctype>
#include <string>
#include <string_view>

#include "link/answer_parsing.h"
#include "link/link_log.h"
#include "link/solix_protocol.h"
#include "link/wire_format.h"
#include "serial/timing.h"

namespace {

constexpr uint32_t kVerTimeoutSerialMs = 360;
constexpr uint32_t kVerTimeoutRadioMs = 720;
constexpr uint32_t kVerRetryPauseMs = 360;
constexpr uint32_t kBootloaderPauseMs = 3000;
constexpr uint32_t kShowTimeoutMs = 1100;
constexpr uint32_t kNameTimeoutMs = 1100;
constexpr int32_t kOldestServedVersion = 110;

bool IsOldKt3(const LoggerSettings& s) { return s.loggerType == LT_KT3 && s.newFirmware == 0; }

// "M.DD" read as M*100 + D*10 + D; all three numbers are required.
std::optional<int32_t> ReadVersionNumber(std::string_view text) {
  std::optional<int32_t> major = ReadInt(text);
  if (!major || text.empty() || text[0] != '.') return std::nullopt;
  text.remove_prefix(1);
  std::optional<int32_t> tenths = ReadDigit(text);
  std::optional<int32_t> hundredths = tenths ? ReadDigit(text) : std::nullopt;
  if (!hundredths) return std::nullopt;
  return *major * 100 + *tenths * 10 + *hundredths;
}

void ClearIdentity(LoggerSettings& s) {
  s.newFirmware = 0;
  s.loggerType = LT_UNKNOWN;
  SetText(s.versionText, "");
  s.versionNumber = 0;
}

}  // namespace

int32_t VerCommand(SOLIX_Protocol& link, int loginMode) {
  LoggerSettings& s = link.settings;
  if (IsOldKt3(s)) return ParseShowCommand(link, nullptr);

  const uint32_t timeout = link.connection.kind == kConnRadio ? kVerTimeoutRadioMs
                                                                : kVerTimeoutSerialMs;
  int32_t result = 1;
  int32_t elapsed = 0;
  int barePrompts = 0;
  std::array<char, 32> answer{};
  for (uint32_t pass = 0; pass < link.tries + 3; ++pass) {
    uint32_t capacity = answer.size();
    int32_t r = DeviceCommand(link, "get -ver\r", '>', timeout, answer.data(), capacity, elapsed);
    const std::string_view text(answer.data(), capacity);

    if (link.tries == 1 && r == -21) {
      result = -21;
      continue;
    }
    if (text.size() >= 2 && text[1] == '>' && text[0] != '\0') {
      result = -32;
      continue;
    }
    if (text == "\r" || text == ">") {
      result = -30;
      if (++barePrompts >= 3) break;
      pass = 0;
      PumpedSleep(timeout);
      continue;
    }
    if (r > 0 || r == -34) {
      if (Contains(text, '.')) {
        std::string_view rest = SkipLeadingCR(text);
        size_t cr = rest.find('\r');
        if (cr == std::string_view::npos) {
          PumpedSleep(kVerRetryPauseMs);
          continue;
        }
        std::string_view line = rest.substr(0, cr);
        SetText(s.versionText, line);  // at most 20 characters
        std::string_view fields = TextOf(s.versionText);
        std::string_view word = ReadWord(fields, s.versionText.size());
        std::optional<int32_t> number = word.empty() ? std::nullopt : ReadVersionNumber(fields);
        if (!number) {
          result = -30;
          PumpedSleep(kVerRetryPauseMs);
          continue;
        }
        s.versionNumber = *number;
        s.newFirmware = 1;
        s.loggerType = LoggerTypeFromCode(word);
        SetText(s.typeName, LoggerTypeName(s.loggerType));
        UpdateCapabilities(s);
        LinkLog(link, kLogDetail, "VerCommand found \"%s\" ver %d (%d ms)",
                TextString(s.versionText).c_str(), s.versionNumber, elapsed);
        result = 1;
        break;
      }
      if (Contains(text, '+')) {
        std::string_view rest = SkipLeadingCR(text);
        if (rest.size() >= 4 && rest[0] == '+') {
          result = -80;
          break;
        }
        continue;
      }
      if (Contains(text, '$')) {
        if (result == -81) break;
        result = -81;
        PumpedSleep(kBootloaderPauseMs);
        continue;
      }
      if (r == -34) {
        if (result == 1) {
          result = -30;
          PumpedSleep(kVerRetryPauseMs);
          continue;
        }
        s.newFirmware = 0;
        s.loggerType = LT_KT3;
        LinkLog(link, kLogDetail, "VerCommand found Kt3 with old firmware (%d ms)", elapsed);
        if (loginMode != 1) ParseShowCommand(link, nullptr);
        UpdateCapabilities(s);
        result = 1;
        break;
      }
      result = -30;
      std::string shown(text);
      LinkLog(link, kLogDetail, "VerCommand couldn't deciper \"%s\" (%d ms)", shown.c_str(),
              elapsed);
      continue;
    }
    if (r == -21) {
      result = -21;
      break;
    }
    result = r;
  }
  if (result < 0) {
    LinkLog(link, kLogFailure, "VerCommand failed with error %d (%d ms)", result, elapsed);
    ClearIdentity(s);
  }
  return result;
}

int32_t ParseShowCommand(SOLIX_Protocol& link, FixedText<9>* nameOut) {
  LoggerSettings& s = link.settings;
  if (!IsOldKt3(s)) {
    LinkLog(link, kLogFailure,
            "ParseShowCommand doesn't work with devices running \"new\" firmware.");
    return -11;
  }
  std::array<char, 180> buffer{};
  uint32_t capacity = buffer.size();
  int32_t elapsed = 0;
  int32_t r = DeviceCommand(link, "show\r", '>', kShowTimeoutMs, buffer.data(), capacity, elapsed);
  const std::string_view answer(buffer.data(), capacity);

  // Read into locals first: a model too old to serve leaves the record as it was.
  int errors = 0;
  FixedText<9> name = s.deviceName;
  FixedText<21> versionText = s.versionText;
  int32_t versionNumber = s.versionNumber;
  uint32_t radioMode = s.radioMode;
  int32_t wake = s.wakeInterval;
  int32_t resets = link.resets;
  if (r > 0) {
    if (std::optional<std::string_view> at = AfterLabel(answer, "ID:")) {
      std::string_view word = ReadWord(*at, 8);
      if (nameOut != nullptr) {
        if (word.empty()) return -30;
        SetText(*nameOut, word);
        return 1;
      }
      if (word.empty()) errors |= 1;
      else SetText(name, word);
    }
    if (std::optional<std::string_view> at = AfterLabel(answer, "Version:")) {
      std::string_view word = ReadWord(*at, 20);
      if (word.empty()) {
        errors |= 2;
      } else {
        SetText(versionText, word);
        std::optional<int32_t> number = ReadVersionNumber(TextOf(versionText));
        if (number) versionNumber = *number;
        else errors |= 2;
      }
    }
    if (versionNumber < kOldestServedVersion) return -13;
    if (std::optional<std::string_view> at = AfterLabel(answer, "Radio:")) {
      std::optional<int32_t> v = ReadInt(*at);
      if (v) radioMode = static_cast<uint32_t>(*v);
      else errors |= 4;
    }
    if (std::optional<std::string_view> at = AfterLabel(answer, "Wake:")) {
      std::optional<int32_t> v = ReadInt(*at);
      if (v) wake = *v;
      else errors |= 8;
    }
    if (std::optional<std::string_view> at = AfterLabel(answer, "Resets:")) {
      std::optional<int32_t> v = ReadInt(*at);
      if (v) resets = *v;
      else errors |= 16;
    }
  }
  SetText(s.serialNumber, "");
  if (r < 0 || errors != 0) {
    LinkLog(link, kLogFailure, "ParseShowCommand failed with errors %d and %d (%d ms)", r, errors,
            elapsed);
    SetText(s.deviceName, "");
    SetText(s.versionText, "");
    s.versionNumber = -1;
    s.wakeInterval = -1;
    s.radioMode = 0;
    return -30;
  }
  s.deviceName = name;
  s.versionText = versionText;
  s.versionNumber = versionNumber;
  s.radioMode = radioMode;
  s.wakeInterval = wake;
  link.resets = resets;
  LinkLog(link, kLogFailure, "ParseShowCommand found %s:%s:%d:%d:%d (%d ms)",
          TextString(s.deviceName).c_str(), TextString(s.versionText).c_str(),
          static_cast<int>(s.radioMode), s.wakeInterval, link.resets, elapsed);
  return 1;
}

int32_t NameCommand(SOLIX_Protocol& link, FixedText<9>& name, int mode) {
  std::array<char, 32> buffer{};
  uint32_t capacity = buffer.size();
  int32_t elapsed = 0;
  int32_t result = 1;
  if (mode == 1) {
    std::string wanted(TextOf(name));
    if (int32_t rule = CheckDeviceName(wanted.c_str()); rule < 0) {
      LinkLog(link, kLogFailure, "NameCommand: \"%s\" is an illegal device name (error %d)",
              wanted.c_str(), rule);
      return rule;
    }
    std::string command = Printf("set -i %s\r", wanted.c_str());
    int32_t r = DeviceCommand(link, command.c_str(), '>', kNameTimeoutMs, buffer.data(), capacity,
                              elapsed);
    if (r <= 0) {
      result = r;
    } else {
      std::string_view answer(buffer.data(), capacity);
      bool confirmed = link.settings.newFirmware != 0 ? Contains(answer, "OK")
                                                      : Contains(answer, "\r>");
      if (confirmed) {
        LinkLog(link, kLogDetail, "NameCommand set device name to \"%s\" (%d ms)", wanted.c_str(),
                elapsed);
        result = 1;
      } else {
        result = -30;
      }
    }
  } else {
    int32_t r = DeviceCommand(link, "get -i\r", '>', kNameTimeoutMs, buffer.data(), capacity,
                              elapsed);
    if (r == -31) return -36;
    if (r <= 0) {
      result = r;
    } else {
      std::string_view rest = AfterFirstCR(std::string_view(buffer.data(), capacity));
      std::string_view word = ReadWord(rest, 8);
      if (!word.empty() && word[0] != '>') {
        SetText(name, word);
        LinkLog(link, kLogDetail, "NameCommand found device named \"%s\" (%d ms)",
                TextString(name).c_str(), elapsed);
        result = 1;
      } else {
        LinkLog(link, kLogDetail, "NameCommand couldn't find device name (%d ms)", elapsed);
        result = -30;
      }
    }
  }
  if (result < 0) {
    LinkLog(link, kLogFailure, "NameCommand failed with error %d (%d ms)", result, elapsed);
  }
  return result;
}
