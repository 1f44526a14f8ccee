#pragma once
// The computer's radio module with data loggers out in the field behind it.
//
// The module: transparent, or in AT command mode after "+++" (RadioModem). Over the air, the
// loggers on the module's channel and system ID hear the computer. A logger sleeps until a
// wake sequence (carriage returns without a gap of a second: 540 of them, or 20 when not
// realtime) and then listens for 30 s after the last traffic it heard; a listening logger
// answers "query" with its name and "\r", and "login <name>" (or "login" alone: the first
// listening logger) with its prompt; then every line goes to its command interpreter until
// "logout", which puts it to sleep without an answer. The loggers listen when the computer
// first opens the port, unless the fault "radio-asleep" is given.
//
// Faults: "no-radio" (no module on the port: nothing answers), "echo-relay" (a relay repeats
// everything sent over the air), "radio-version-0000" (the module reports 0000); the others
// reach the loggers' interpreters.

#include <memory>
#include <string>
#include <vector>

#include "sim/radio_modem.h"
#include "sim/sim_device.h"

class RadioModule : public DeviceModel {
 public:
  explicit RadioModule(const SimOptions& options);
  ~RadioModule() override;

  void OnHostOpen(SimLink& link) override;
  void OnHostClose(SimLink& link) override;
  void OnBytes(std::string_view bytes, SimLink& link) override;
  void OnTick(SimLink& link) override;

  // The module's own values (tests look at them).
  const RadioValues& values() const { return values_; }

 private:
  class Station;

  void StartLoggers(uint64_t nowMs);
  void OnAirLine(const std::string& line, uint64_t nowMs);
  bool Hears(Station& s) const;
  Station* FindListening(std::string_view name, uint64_t nowMs);
  void Login(Station& s, uint64_t nowMs);

  SimOptions options_;
  SimLink* link_ = nullptr;  // the port's link, as last handed in
  RadioValues values_;
  RadioModem modem_{values_};
  std::vector<std::unique_ptr<Station>> stations_;
  Station* active_ = nullptr;
  bool started_ = false;
  std::string line_;
  uint32_t wakePackets_;
  uint32_t latencyMs_;
};
