#pragma once
// What the simulated device is and which faults it has, as given on quilbsl-sim's command line.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct SimOptions {
  std::string type = "MTQ";      // a short code of the device type table
  std::string version = "3.50";  // X.YY
  bool realtime = false;         // wire time per character and realistic device times
  // Each fault is "name" or "name=value" (for example "silence", "drop-every=7").
  std::vector<std::string> faults;
  // "" runs the command interpreter; "waiting" starts in the bootloader waiting for a host,
  // "attached" starts it attached (a host died in the middle of a transfer).
  std::string bootloader;
  // Radio link: names of the loggers behind the radio module; empty = no radio.
  std::vector<std::string> radioLoggers;
  std::string deviceName;        // the device's name ("" = a default of the family)
  std::string serialNumber;      // "" = a default of the family
  std::string announceDir;       // "" = ${XDG_RUNTIME_DIR:-/tmp}/quilbsl/ports
  std::string friendlyName;      // "" = "Simulated " + display name of the type
  bool announce = true;

  bool HasFault(const std::string& name) const;
  // The value of "name=value"; nullopt when the fault is absent or has no value.
  std::optional<std::string> FaultValue(const std::string& name) const;
  // The value as a number; fallback when absent or not a number.
  long FaultNumber(const std::string& name, long fallback) const;
};
