#include "sim/logger_interpreter.h"

#include <algorithm>
#include <cctype>

#include "sim/bootloader.h"
#include "sim/logger_parse.h"

namespace {

// The clock of a logger fresh from the shelf runs a little behind the computer's.
constexpr int64_t kClockBehindSeconds = 47;

constexpr uint32_t kRates[] = {9600, 19200, 38400, 57600, 115200, 230400, 460800};

struct Words {
  std::string_view verb, key, value;
};

// "set -site North Field" -> "set", "-site", "North Field". The value keeps its inner blanks.
Words SplitLine(std::string_view line) {
  Words w;
  size_t sp = line.find(' ');
  w.verb = line.substr(0, sp);
  if (sp == std::string_view::npos) return w;
  std::string_view rest = line.substr(sp + 1);
  size_t sp2 = rest.find(' ');
  w.key = rest.substr(0, sp2);
  if (sp2 != std::string_view::npos) w.value = rest.substr(sp2 + 1);
  return w;
}

// Whether the bootloader left the INFO memory, where a logger keeps its settings, erased.
bool InfoErased(SimDevice& dev) {
  auto* boot = dynamic_cast<QuilBootloader*>(dev.bootloader());
  if (boot == nullptr) return false;
  const FlashLayout& l = boot->layout();
  std::span<const uint8_t> info = boot->flash().Read(l.infoStart, InfoEnd(l) - l.infoStart);
  return !info.empty() && std::all_of(info.begin(), info.end(), [](uint8_t b) { return b == 0xFF; });
}

bool SameCode(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

}  // namespace

LoggerInterpreter::LoggerInterpreter(const LoggerFamily& family, const SimOptions& options)
    : family_(family),
      options_(options),
      behindRadio_(!options.radioLoggers.empty()),
      timing_(options.realtime ? Timing{15, 40, 3500, 900} : Timing{0, 0, 5, 0}),
      factory_(DefaultsFor(family)) {
  if (!options.deviceName.empty()) factory_.settings.name = options.deviceName.substr(0, kNameMax);
  if (!options.serialNumber.empty()) factory_.hardware.serialNumber = options.serialNumber.substr(0, kSerialMax);
  hardware_ = factory_.hardware;
  settings_ = factory_.settings;
  resets_ = 2;
  silentAfter_ = options.FaultNumber("silent-after", 0);
  termModem_.versionZero = options.HasFault("radio-version-0000");
}

int LoggerInterpreter::RunningVersion(const SimDevice& dev) const {
  int v = VersionNumber(dev.version);
  return v < 0 ? 0 : v;
}

SettingContext LoggerInterpreter::Context(const SimDevice& dev, SimLink& link) {
  uint64_t now = link.NowMs();
  if (!clockStarted_) {
    clock_.StartFromSystem(now, kClockBehindSeconds);
    clockStarted_ = true;
  }
  return SettingContext{.settings = settings_,
                        .hardware = hardware_,
                        .clock = clock_,
                        .nowMs = now,
                        .features = LoggerFeatures(family_, RunningVersion(dev)),
                        .kt3RadioAnswers = SameCode(family_.code, "KT3"),
                        .radioMissing = options_.HasFault("no-radio"),
                        .radioVersionZero = options_.HasFault("radio-version-0000")};
}

bool LoggerInterpreter::OnRawBytes(std::string_view bytes, SimDevice& dev, SimLink& link) {
  if (term_) return TermBytes(bytes, dev, link);
  // A relay on the line repeats everything the computer sends.
  if (!behindRadio_ && options_.HasFault("echo-relay")) link.Send(bytes);
  return false;
}

bool LoggerInterpreter::Withheld(const std::string& line, SimDevice& dev, SimLink& link) {
  if (line.empty()) return silent_;
  if (silentAfter_ > 0) {
    // On a serial line "get -ver" is the login; over the radio the module reports logins.
    bool login = !behindRadio_ && line == "get -ver";
    if (login) {
      silent_ = false;
      exchanges_ = 0;
    }
    if (silent_) return true;
    if (exchanges_ >= silentAfter_) {
      // The logger hangs and its watchdog restarts it at the rate it starts with.
      silent_ = true;
      pendingBaud_ = 0;
      if (!behindRadio_) link.SetDeviceBaud(9600);
      return true;
    }
    ++exchanges_;
  }
  if (options_.HasFault("error-answers")) {
    long times = options_.FaultNumber("error-answers", 0);
    if (line != refusedLine_) {
      refusedLine_ = line;
      refusals_ = 0;
    }
    if (times <= 0 || refusals_ < times) {
      ++refusals_;
      dev.Answer(link, "ERROR", timing_.answerMs);
      return true;
    }
    refusedLine_.clear();
  }
  return false;
}

void LoggerInterpreter::OnLine(const std::string& line, SimDevice& dev, SimLink& link) {
  if (Withheld(line, dev, link)) return;
  if (IsOldFirmware(family_, RunningVersion(dev)))
    OldFirmwareLine(line, dev, link);
  else
    NewFirmwareLine(line, dev, link);
}

void LoggerInterpreter::Reply(const SettingReply& r, uint32_t delayMs, SimDevice& dev, SimLink& link) {
  if (r.kind == SettingReply::Empty)
    dev.Prompt(link, delayMs);
  else
    dev.Answer(link, r.text, delayMs);
}

void LoggerInterpreter::NewFirmwareLine(const std::string& line, SimDevice& dev, SimLink& link) {
  if (line.empty()) {
    dev.Prompt(link);
    return;
  }
  Words w = SplitLine(line);
  if (line == "get -ver") {
    std::string word = dev.code;
    if (family_.lowerCaseWord && SameCode(word, family_.code)) {
      for (char& c : word) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    dev.Answer(link, word + " " + dev.version, timing_.answerMs);
  } else if (w.verb == "get" && !w.key.empty() && w.value.empty()) {
    SettingContext ctx = Context(dev, link);
    Reply(GetSetting(w.key, ctx), timing_.answerMs, dev, link);
  } else if (w.verb == "set" && w.key == "-baud") {
    SetBaud(w.value, dev, link);
  } else if (w.verb == "set" && !w.key.empty()) {
    SettingContext ctx = Context(dev, link);
    Reply(SetSetting(w.key, w.value, ctx), timing_.settingMs, dev, link);
  } else if (line == "post" || line == "post -init") {
    Post(dev, link);
  } else if (line == "yes") {
    Erase(dev, link, false);
  } else if (line == "query") {
    dev.Answer(link, settings_.name, timing_.answerMs);
  } else if (w.verb == "login" || line == "logout") {
    // No access code on a logger: the words are accepted for the instruments' sake.
    dev.Answer(link, "OK", timing_.answerMs);
  } else {
    dev.Answer(link, "ERROR", timing_.answerMs);
  }
}

void LoggerInterpreter::SetBaud(std::string_view value, SimDevice& dev, SimLink& link) {
  SettingContext ctx = Context(dev, link);
  auto code = ParseDecimal(value, 0, 6);
  if (!(ctx.features & kFeatBaud) || !code) {
    dev.Answer(link, "ERROR", timing_.answerMs);
    return;
  }
  dev.Answer(link, "OK", timing_.answerMs);
  if (behindRadio_) return;  // the radio's own rate does not change
  // The new rate takes over once "\rOK\r>" has left at the old one.
  uint32_t oldBaud = link.DeviceBaud() ? link.DeviceBaud() : 9600;
  uint32_t drainMs = options_.realtime ? (5 * 10 * 1000 + oldBaud - 1) / oldBaud : 0;
  uint32_t waitMs = timing_.answerMs + drainMs + 2;
  pendingBaud_ = kRates[*code];
  pendingAtMs_ = link.NowMs() + waitMs;
  link.WakeAfter(waitMs);
}

void LoggerInterpreter::OnTick(SimLink& link) {
  if (pendingBaud_ == 0) return;
  uint64_t now = link.NowMs();
  if (now < pendingAtMs_) {
    link.WakeAfter(static_cast<uint32_t>(pendingAtMs_ - now));
    return;
  }
  link.SetDeviceBaud(pendingBaud_);
  pendingBaud_ = 0;
}

void LoggerInterpreter::Post(SimDevice& dev, SimLink& link) {
  dev.Answer(link, dev.dataFlashFail ? "DataFlash FAIL" : dev.codeGood ? "Code Good!" : "Code Corrupt!",
             timing_.postMs);
}

void LoggerInterpreter::Erase(SimDevice& dev, SimLink& link, bool oldFirmware) {
  // Old firmware ends its erase report with '!', which the computer waits for.
  if (dev.dataFlashFail)
    dev.Answer(link, oldFirmware ? "DataFlash FAIL!" : "DataFlash FAIL", timing_.eraseMs);
  else
    dev.Answer(link, oldFirmware ? "Data erased OK!" : "OK", timing_.eraseMs);
}

void LoggerInterpreter::OnSessionEnd(SimDevice& dev) {
  (void)dev;
  // A new connection logs in anew.
  silent_ = false;
  exchanges_ = 0;
  term_ = false;
  termModem_.Reset();
  termLine_.clear();
}

void LoggerInterpreter::OnHostClosed(SimLink& link) {
  // The logger notices the line drop and goes back to the rate it starts with.
  pendingBaud_ = 0;
  if (!behindRadio_) link.SetDeviceBaud(9600);
}

void LoggerInterpreter::OnRestart(SimDevice& dev) {
  OnSessionEnd(dev);
  // An update erases the INFO memory: the logger starts again with its factory settings.
  // The serial number and the parts fitted are kept elsewhere and survive.
  if (InfoErased(dev)) settings_ = factory_.settings;
  ++resets_;
  refusedLine_.clear();
  refusals_ = 0;
}

void LoggerInterpreter::OnRadioLogin() {
  silent_ = false;
  exchanges_ = 0;
}
