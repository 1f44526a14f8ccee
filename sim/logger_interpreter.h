#pragma once
// The command interpreter of a simulated data logger (Kt3, Kt3b, Kt30, HubVault, GridNode,
// rL9, ZLG2): the current command set, and the old Kt3 firmware's ("show", "time", "hertz",
// "set -p", settings confirmed by a bare prompt, the radio module reached through "term").
//
// Faults (options.faults): "silent-after=N" answers N commands after each login ("get -ver"
// on a serial line, "login" over the radio), then nothing until the next login, having
// dropped back to 9600 baud; "error-answers=N" refuses each command N times before it
// answers it ("error-answers" alone: refuses everything); "echo-relay" repeats every byte;
// "no-radio" (the radio does not answer), "radio-version-0000"; "dataflash-fail" (the core's).

#include <string>

#include "sim/logger_clock.h"
#include "sim/logger_defaults.h"
#include "sim/logger_families.h"
#include "sim/logger_settings.h"
#include "sim/radio_modem.h"
#include "sim/sim_device.h"

class LoggerInterpreter : public SimInterpreter {
 public:
  LoggerInterpreter(const LoggerFamily& family, const SimOptions& options);

  void OnLine(const std::string& line, SimDevice& dev, SimLink& link) override;
  bool OnRawBytes(std::string_view bytes, SimDevice& dev, SimLink& link) override;
  void OnSessionEnd(SimDevice& dev) override;
  // After an update that erased the INFO memory the settings are the factory's again.
  void OnRestart(SimDevice& dev) override;

  // From the logger's device model: its tick (a rate change due), the host closing the port.
  void OnTick(SimLink& link);
  void OnHostClosed(SimLink& link);
  // Behind the radio: a "login" addressed this logger.
  void OnRadioLogin();

  const std::string& name() const { return settings_.name; }
  const RadioValues& radio() const { return settings_.radio; }
  const LoggerSettingsMemory& settings() const { return settings_; }
  const LoggerHardware& hardware() const { return hardware_; }

 private:
  struct Timing {
    uint32_t answerMs, settingMs, eraseMs, postMs;
  };

  void NewFirmwareLine(const std::string& line, SimDevice& dev, SimLink& link);
  void OldFirmwareLine(const std::string& line, SimDevice& dev, SimLink& link);
  bool TermBytes(std::string_view bytes, SimDevice& dev, SimLink& link);
  void SetBaud(std::string_view value, SimDevice& dev, SimLink& link);
  void Erase(SimDevice& dev, SimLink& link, bool oldFirmware);
  void Post(SimDevice& dev, SimLink& link);
  void Reply(const SettingReply& r, uint32_t delayMs, SimDevice& dev, SimLink& link);
  // True when the line is not to be answered (silence or a refusal sent).
  bool Withheld(const std::string& line, SimDevice& dev, SimLink& link);
  SettingContext Context(const SimDevice& dev, SimLink& link);
  int RunningVersion(const SimDevice& dev) const;

  const LoggerFamily& family_;
  SimOptions options_;
  bool behindRadio_;
  Timing timing_;
  LoggerDefaults factory_;
  LoggerHardware hardware_;
  LoggerSettingsMemory settings_;
  LoggerClock clock_;
  bool clockStarted_ = false;
  int resets_ = 0;

  long silentAfter_ = 0;
  long exchanges_ = 0;
  bool silent_ = false;
  std::string refusedLine_;
  long refusals_ = 0;

  uint32_t pendingBaud_ = 0;  // "set -baud": the new rate, once the answer is out
  uint64_t pendingAtMs_ = 0;

  bool term_ = false;  // old Kt3: the line goes to the radio module
  RadioModem termModem_{settings_.radio};
  std::string termLine_;
};
