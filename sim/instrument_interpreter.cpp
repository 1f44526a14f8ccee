#include "sim/instrument_interpreter.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <tuple>

#include "sim/bootloader.h"

namespace {

constexpr std::string_view kAccessCode = "*4738";

// "3.50" gives 350: major * 100 + hundredths.
uint32_t VersionNumber(const std::string& v) {
  uint32_t major = 0;
  auto [p, ec] = std::from_chars(v.data(), v.data() + v.size(), major);
  if (ec != std::errc() || p == v.data()) return 0;
  uint32_t n = major * 100;
  const char* end = v.data() + v.size();
  if (p < end && *p == '.') {
    ++p;
    if (p < end && std::isdigit(static_cast<unsigned char>(*p))) n += 10u * (*p++ - '0');
    if (p < end && std::isdigit(static_cast<unsigned char>(*p))) n += *p - '0';
  }
  return n;
}

// A whole decimal index ("12"); -1 for anything else.
int Index(std::string_view text) {
  int n = -1;
  auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
  if (ec != std::errc() || p != text.data() + text.size() || text.empty() || text[0] == '-')
    return -1;
  return n;
}

// "3 value" gives 3 and "value"; index -1 when it does not start with a number and a blank.
std::pair<int, std::string_view> IndexAndValue(std::string_view rest) {
  size_t sp = rest.find(' ');
  if (sp == std::string_view::npos) return {-1, {}};
  return {Index(rest.substr(0, sp)), rest.substr(sp + 1)};
}

// Whether the device's INFO memory reads erased (all 0xFF).
bool InfoErased(SimDevice& dev) {
  auto* boot = dynamic_cast<QuilBootloader*>(dev.bootloader());
  if (boot == nullptr) return false;
  const FlashLayout& l = boot->layout();
  std::span<const uint8_t> info = boot->flash().Read(l.infoStart, InfoEnd(l) - l.infoStart);
  return !info.empty() &&
         std::all_of(info.begin(), info.end(), [](uint8_t b) { return b == 0xFF; });
}

}  // namespace

InstrumentInterpreter::InstrumentInterpreter(const SimOptions& options,
                                             const InstrumentModel& model)
    : model_(model),
      options_(options),
      settings_(model, VersionNumber(options.version), options),
      hasEqn_(!model.eqn.empty()),
      hasUser_(!model.user.empty()) {
  DeviceInfo info;
  FillDeviceInfo(model.type, VersionNumber(options.version), 0, &info);
  needsLogin_ = info.needsLogin;
  if (model.relaysSdi12) {
    // The comm device of a digital sensor runs the sensor's firmware version; a KCB's sensor
    // is one of the current ones.
    relay_ =
        std::make_unique<Sdi12Relay>(options, model.type == DT_SOLIX_KA ? options.version : "3.61");
  }
}

InstrumentInterpreter::~InstrumentInterpreter() = default;

uint32_t InstrumentInterpreter::Think(uint32_t fastMs, uint32_t realMs) const {
  return options_.realtime ? realMs : fastMs;
}

bool InstrumentInterpreter::OnRawBytes(std::string_view bytes, SimDevice& dev, SimLink& link) {
  (void)dev;
  return relay_ && relay_->Take(bytes, link);
}

void InstrumentInterpreter::OnSessionEnd(SimDevice& dev) {
  (void)dev;
  loggedIn_ = false;
  if (relay_) relay_->Reset();
}

void InstrumentInterpreter::OnRestart(SimDevice& dev) {
  loggedIn_ = false;
  clock_.Reset();
  if (relay_) relay_->Reset();
  // The settings live in INFO memory: an update that erased it leaves a device with none.
  if (!InfoErased(dev)) return;
  settings_.Erase();
  if (relay_ && model_.type == DT_SOLIX_KA) relay_->sensor().FactoryReset();
}

void InstrumentInterpreter::OnLine(const std::string& line, SimDevice& dev, SimLink& link) {
  if (line.empty()) {
    dev.Prompt(link);
    return;
  }
  std::string_view text(line);
  Command c;
  size_t sp = text.find(' ');
  c.verb = text.substr(0, sp);
  if (sp != std::string_view::npos) {
    std::string_view tail = text.substr(sp + 1);
    size_t sp2 = tail.find(' ');
    c.option = tail.substr(0, sp2);
    if (sp2 != std::string_view::npos) {
      c.rest = tail.substr(sp2 + 1);
      c.hasRest = true;
    }
  }

  if (c.verb == "get" && c.option == "-ver" && !c.hasRest) {
    dev.Answer(link, dev.code + " " + dev.version, Think(0, 20));
    return;
  }
  if (Login(c, dev, link)) return;
  if (needsLogin_ && !loggedIn_) {
    dev.Answer(link, "ERROR", Think(0, 20));
    return;
  }
  Dispatch(c, dev, link);
}

bool InstrumentInterpreter::Login(const Command& c, SimDevice& dev, SimLink& link) {
  if (!needsLogin_) return false;
  if (c.verb == "login") {
    loggedIn_ = c.option == kAccessCode && !c.hasRest;
    dev.Answer(link, loggedIn_ ? "OK" : "ERROR", Think(0, 30));
    return true;
  }
  if (c.verb == "logout" && c.option.empty()) {
    loggedIn_ = false;
    dev.Answer(link, "OK", Think(0, 20));
    return true;
  }
  return false;
}

void InstrumentInterpreter::Dispatch(const Command& c, SimDevice& dev, SimLink& link) {
  if (c.verb == "post" && !c.hasRest && (c.option.empty() || c.option == "-init")) {
    // The self test reports the data memory before its verdict on the code.
    std::string report = dev.dataFlashFail ? "DataFlash FAIL\r" : "";
    report += dev.codeGood ? "Code Good!" : "Code Corrupt!";
    dev.Answer(link, report, Think(5, 1500));
    return;
  }
  if (c.verb == "yes" && c.option.empty() && model_.erasesData) {
    dev.Answer(link, dev.dataFlashFail ? "DataFlash FAIL" : "OK", Think(20, 6000));
    return;
  }
  if (c.verb == "get" && c.option == "-batt" && !c.hasRest) {
    dev.Answer(link, std::to_string(options_.FaultNumber("battery", model_.batteryPercent)),
               Think(0, 40));
    return;
  }
  if (Clock(c, dev, link) || Records(c, dev, link) || Calibration(c, dev, link)) return;
  if (c.option.size() > 1 && c.option[0] == '-') {
    std::string_view word = c.option.substr(1);
    if (c.verb == "get" && !c.hasRest) {
      GetSetting(word, dev, link);
      return;
    }
    if (c.verb == "set" && c.hasRest) {
      SetSetting(word, c.rest, dev, link);
      return;
    }
  }
  dev.Answer(link, "?", Think(0, 20));
}

void InstrumentInterpreter::GetSetting(std::string_view word, SimDevice& dev, SimLink& link) {
  auto value = settings_.Get(word);
  if (!value) {
    dev.Answer(link, "?", Think(0, 20));
  } else if (value->empty()) {
    dev.Prompt(link, Think(0, 20));  // nothing stored (a new device has no serial number)
  } else {
    dev.Answer(link, *value, Think(0, 20));
  }
}

void InstrumentInterpreter::SetSetting(std::string_view word, std::string_view value,
                                       SimDevice& dev, SimLink& link) {
  if (word == "sn" && options_.HasFault("reject-sn") && settings_.Knows(word)) {
    dev.Answer(link, "ERROR", Think(0, 60));
    return;
  }
  switch (settings_.Set(word, value)) {
    case InstrumentSettings::SetResult::Ok:
      dev.Answer(link, "OK", Think(0, 60));
      break;
    case InstrumentSettings::SetResult::Refused:
      dev.Answer(link, "ERROR", Think(0, 20));
      break;
    case InstrumentSettings::SetResult::Unknown:
      dev.Answer(link, "?", Think(0, 20));
      break;
  }
}

bool InstrumentInterpreter::Records(const Command& c, SimDevice& dev, SimLink& link) {
  InstrumentRecords* list = nullptr;
  if (c.option == "-eqn" && hasEqn_) list = &settings_.eqn();
  if (c.option == "-user" && hasUser_) list = &settings_.user();
  if (list == nullptr) return false;
  if (c.verb == "get" && !c.hasRest) {
    dev.Answer(link, std::to_string(list->Count()), Think(0, 20));
  } else if (c.verb == "get") {
    int i = Index(c.rest);
    auto value = i < 0 ? std::nullopt : list->Get(static_cast<size_t>(i));
    dev.Answer(link, value ? *value : "ERROR", Think(0, 30));
  } else if (c.verb == "set" && c.hasRest) {
    auto [i, value] = IndexAndValue(c.rest);
    bool ok = i >= 0 && list->Set(static_cast<size_t>(i), value);
    dev.Answer(link, ok ? "OK" : "ERROR", Think(0, 60));
  } else {
    return false;
  }
  return true;
}

bool InstrumentInterpreter::Calibration(const Command& c, SimDevice& dev, SimLink& link) {
  if (model_.calStyle == CalStyle::None || c.option.substr(0, 4) != "-cal") return false;
  int slot = -1;
  std::string_view value;
  bool get = c.verb == "get";
  if (c.verb != "get" && c.verb != "set") return false;
  if (model_.calStyle == CalStyle::Spaced) {
    // "get -cal 3", "set -cal 3 <entry>"
    if (c.option != "-cal" || !c.hasRest) return false;
    if (get) {
      slot = Index(c.rest);
    } else {
      std::tie(slot, value) = IndexAndValue(c.rest);
    }
  } else {
    // "get -cal3", "set -cal3 <entry>", counted from 1
    int n = Index(c.option.substr(4));
    if (n < 1 || get == c.hasRest) return false;
    slot = n - 1;
    value = c.rest;
  }
  if (get) {
    auto entry = settings_.GetCal(slot);
    dev.Answer(link, entry ? *entry : "ERROR", Think(0, 30));
  } else {
    dev.Answer(link, settings_.SetCal(slot, value) ? "OK" : "ERROR", Think(0, 60));
  }
  return true;
}

bool InstrumentInterpreter::Clock(const Command& c, SimDevice& dev, SimLink& link) {
  uint64_t now = link.NowMs();
  if (model_.clock == ClockStyle::Seconds && c.option == "-sec") {
    if (c.verb == "get" && !c.hasRest) {
      dev.Answer(link, std::to_string(clock_.Seconds(now)), Think(0, 20));
      return true;
    }
    if (c.verb == "set" && c.hasRest) {
      uint32_t seconds = 0;
      auto [p, ec] = std::from_chars(c.rest.data(), c.rest.data() + c.rest.size(), seconds);
      bool ok = ec == std::errc() && p == c.rest.data() + c.rest.size();
      if (ok) clock_.SetSeconds(seconds, now);
      dev.Answer(link, ok ? "OK" : "ERROR", Think(0, 40));
      return true;
    }
    return false;
  }
  if (model_.clock == ClockStyle::TimeAndDate) {
    if (c.verb == "get" && c.option == "-t" && !c.hasRest) {
      dev.Answer(link, clock_.DateTimeText(now), Think(0, 20));
      return true;
    }
    if (c.verb == "set" && c.hasRest && (c.option == "-t" || c.option == "-d")) {
      // "set -t 12:3:9", "set -d 2024-5-1"
      bool ok = c.option == "-t" ? clock_.SetTimeOfDay(c.rest, now) : clock_.SetDate(c.rest, now);
      dev.Answer(link, ok ? "OK" : "ERROR", Think(0, 40));
      return true;
    }
  }
  return false;
}
