#include "sim/radio_module.h"

#include "sim/logger_defaults.h"
#include "sim/logger_families.h"
#include "sim/logger_interpreter.h"

namespace {

constexpr uint32_t kWakePacketsRealtime = 540;  // about 30 s of the computer's wake sequence
constexpr uint32_t kWakePacketsFast = 20;
constexpr uint64_t kWakeGapMs = 1000;   // a longer pause starts the count again
constexpr uint64_t kListenMs = 30000;   // after the last traffic heard
constexpr uint32_t kLatencyRealtimeMs = 120;
constexpr uint32_t kLatencyFastMs = 1;

}  // namespace

// One logger out in the field: its device, reached through this link while it is heard.
class RadioModule::Station : public SimLink {
 public:
  enum class State { Asleep, Listening, LoggedIn };

  Station(RadioModule& module, SimOptions options)
      : module_(module), options_(std::move(options)), device(options_) {}

  LoggerInterpreter* logger() { return dynamic_cast<LoggerInterpreter*>(device.interpreter()); }
  const std::string& name() const { return options_.deviceName; }

  bool Listening(uint64_t nowMs) const {
    return state == State::LoggedIn || (state == State::Listening && nowMs < listenUntilMs);
  }

  // SimLink: the logger's answers go out through the module, after the air's latency.
  void Send(std::string_view bytes, uint32_t delayMs) override {
    if (module_.link_) module_.link_->Send(bytes, delayMs + module_.latencyMs_);
  }
  void DropPendingOutput() override {}
  uint32_t HostBaud() const override { return kAirBaud; }
  uint32_t DeviceBaud() const override { return kAirBaud; }
  void SetDeviceBaud(uint32_t) override {}  // the air's rate is the radio's
  uint64_t NowMs() const override { return module_.link_ ? module_.link_->NowMs() : 0; }
  void WakeAfter(uint32_t ms) override {
    if (module_.link_) module_.link_->WakeAfter(ms);
  }
  bool HostConnected() const override { return module_.link_ && module_.link_->HostConnected(); }
  const SimOptions& Options() const override { return options_; }

 private:
  static constexpr uint32_t kAirBaud = 9600;
  RadioModule& module_;
  SimOptions options_;

 public:
  SimDevice device;  // after options_, which it is made from
  State state = State::Asleep;
  uint64_t listenUntilMs = 0;
  uint32_t wakeCount = 0;
  uint64_t lastPacketMs = 0;
};

RadioModule::RadioModule(const SimOptions& options)
    : options_(options),
      values_(DefaultRadioValues()),
      wakePackets_(options.realtime ? kWakePacketsRealtime : kWakePacketsFast),
      latencyMs_(options.realtime ? kLatencyRealtimeMs : kLatencyFastMs) {
  modem_.versionZero = options.HasFault("radio-version-0000");
  const LoggerFamily* family = FindLoggerFamily(options.type);
  std::string serial = family ? DefaultsFor(*family).hardware.serialNumber : std::string();
  if (!options.serialNumber.empty()) serial = options.serialNumber;
  for (size_t i = 0; i < options.radioLoggers.size(); ++i) {
    SimOptions o = options;
    o.deviceName = options.radioLoggers[i];
    // Each logger its own serial number: the base one with the logger's place appended.
    o.serialNumber = (serial + std::to_string(i + 1)).substr(0, 15);
    stations_.push_back(std::make_unique<Station>(*this, std::move(o)));
  }
}

RadioModule::~RadioModule() = default;

void RadioModule::StartLoggers(uint64_t nowMs) {
  if (started_) return;
  started_ = true;
  bool asleep = options_.HasFault("radio-asleep");
  for (auto& s : stations_) {
    s->state = asleep ? Station::State::Asleep : Station::State::Listening;
    s->listenUntilMs = nowMs + kListenMs;
  }
}

void RadioModule::OnHostOpen(SimLink& link) {
  link_ = &link;
  StartLoggers(link.NowMs());
  for (auto& s : stations_) s->device.OnHostOpen(*s);
}

void RadioModule::OnHostClose(SimLink& link) {
  link_ = &link;
  line_.clear();
  uint64_t now = link.NowMs();
  // The logger does not see the computer go; it listens on until its time is up.
  if (active_) {
    active_->state = Station::State::Listening;
    active_->listenUntilMs = now + kListenMs;
    active_ = nullptr;
  }
  for (auto& s : stations_) s->device.OnHostClose(*s);
}

void RadioModule::OnTick(SimLink& link) {
  link_ = &link;
  for (auto& s : stations_) {
    s->device.OnTick(*s);
    if (LoggerInterpreter* l = s->logger()) l->OnTick(*s);
  }
}

void RadioModule::OnBytes(std::string_view bytes, SimLink& link) {
  link_ = &link;
  if (options_.HasFault("no-radio")) return;  // nothing on the port answers
  uint64_t now = link.NowMs();
  StartLoggers(now);
  std::string air, reply;
  modem_.Feed(bytes, now, air, reply);
  if (!reply.empty()) link.Send(reply, 1);
  if (air.empty()) return;
  if (options_.HasFault("echo-relay")) link.Send(air);
  for (char c : air) {
    if (c == '\n') continue;
    if (c != '\r') {
      if (line_.size() < 1024) line_.push_back(c);
      continue;
    }
    std::string line;
    line.swap(line_);
    OnAirLine(line, now);
  }
}

bool RadioModule::Hears(Station& s) const {
  const LoggerInterpreter* l = s.logger();
  RadioValues v = l ? l->radio() : DefaultRadioValues();
  return v.rch == values_.rch && v.rsch == values_.rsch;
}

RadioModule::Station* RadioModule::FindListening(std::string_view name, uint64_t nowMs) {
  for (auto& s : stations_) {
    if (Hears(*s) && s->Listening(nowMs) && (name.empty() || s->name() == name)) return s.get();
  }
  return nullptr;
}

void RadioModule::Login(Station& s, uint64_t nowMs) {
  (void)nowMs;
  active_ = &s;
  s.state = Station::State::LoggedIn;
  if (LoggerInterpreter* l = s.logger()) l->OnRadioLogin();
  s.device.Prompt(s);
}

void RadioModule::OnAirLine(const std::string& line, uint64_t nowMs) {
  // Every logger on the channel hears the traffic: the awake ones stay awake, and a run of
  // carriage returns wakes the sleeping ones.
  for (auto& s : stations_) {
    if (!Hears(*s) || s.get() == active_) continue;
    if (s->Listening(nowMs)) {
      s->listenUntilMs = nowMs + kListenMs;
    } else if (line.empty()) {
      s->state = Station::State::Asleep;
      if (nowMs - s->lastPacketMs > kWakeGapMs) s->wakeCount = 0;
      s->lastPacketMs = nowMs;
      if (++s->wakeCount >= wakePackets_) {
        s->state = Station::State::Listening;
        s->listenUntilMs = nowMs + kListenMs;
        s->wakeCount = 0;
      }
    }
  }

  bool isLogin = line == "login" || line.starts_with("login ");
  std::string_view name = isLogin && line.size() > 6 ? std::string_view(line).substr(6) : std::string_view();

  if (active_ && Hears(*active_)) {
    if (line == "logout") {
      active_->state = Station::State::Asleep;
      active_->wakeCount = 0;
      active_ = nullptr;
      return;
    }
    if (!isLogin) {
      active_->device.OnBytes(line + "\r", *active_);
      return;
    }
    if (name.empty() || name == active_->name()) {
      Login(*active_, nowMs);
      return;
    }
    // Addressed to another logger: this one goes back to sleep.
    active_->state = Station::State::Asleep;
    active_ = nullptr;
  }

  if (line == "query") {
    if (Station* s = FindListening({}, nowMs)) s->Send(s->name() + "\r", 0);
  } else if (isLogin) {
    if (Station* s = FindListening(name, nowMs)) Login(*s, nowMs);
  }
}
