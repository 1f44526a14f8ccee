#pragma once
// The command interpreter of the simulated instruments (the types of sim/instrument_models.cpp).
//
// Every instrument: "get -ver", "post" and "post -init", "get -batt", the get and set commands
// of its settings ("get -sn", "set -sn <text>", ...), its calibration list and record lists
// ("get -eqn" the count, "get -eqn <i>", "set -eqn <i> <value>"), "yes" (erase the stored
// data) and the clock commands where the type has them. Types that need the access code refuse
// everything but "get -ver", "login", "logout" and "boot" until "login *4738"; closing the port
// ends the login. Comm devices relay SDI-12 to a digital sensor. Reprogramming erases the
// settings memory.
//
// Faults: battery=N, no-sn, reject-sn, and those of the sensor (sim/sdi12_sensor.h).

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "sim/instrument_clock.h"
#include "sim/instrument_models.h"
#include "sim/instrument_settings.h"
#include "sim/sdi12_relay.h"
#include "sim/sim_device.h"

class InstrumentInterpreter : public SimInterpreter {
 public:
  InstrumentInterpreter(const SimOptions& options, const InstrumentModel& model);
  ~InstrumentInterpreter() override;

  void OnLine(const std::string& line, SimDevice& dev, SimLink& link) override;
  bool OnRawBytes(std::string_view bytes, SimDevice& dev, SimLink& link) override;
  void OnSessionEnd(SimDevice& dev) override;
  void OnRestart(SimDevice& dev) override;

  bool loggedIn() const { return loggedIn_; }
  InstrumentSettings& settings() { return settings_; }
  Sdi12Relay* relay() { return relay_.get(); }

 private:
  // One command split at its first two blanks: "set -cal 3 1.0 2.0" is set, -cal, "3 1.0 2.0".
  struct Command {
    std::string_view verb, option, rest;
    bool hasRest = false;
  };

  void Dispatch(const Command& c, SimDevice& dev, SimLink& link);
  bool Login(const Command& c, SimDevice& dev, SimLink& link);
  bool Records(const Command& c, SimDevice& dev, SimLink& link);
  bool Calibration(const Command& c, SimDevice& dev, SimLink& link);
  bool Clock(const Command& c, SimDevice& dev, SimLink& link);
  void GetSetting(std::string_view word, SimDevice& dev, SimLink& link);
  void SetSetting(std::string_view word, std::string_view value, SimDevice& dev, SimLink& link);
  uint32_t Think(uint32_t fastMs, uint32_t realMs) const;

  const InstrumentModel& model_;
  SimOptions options_;
  InstrumentSettings settings_;
  std::unique_ptr<Sdi12Relay> relay_;
  bool needsLogin_;
  bool loggedIn_ = false;
  bool hasEqn_, hasUser_;
  InstrumentClock clock_;
};
