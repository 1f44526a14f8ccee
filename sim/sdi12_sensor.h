#pragma once
// A digital sensor on an SDI-12 bus, as the comm device in front of it relays its commands:
// "?!" attention, "?I!" identification, "0A<c>!" new address, "?X4!"/"?X5<cal>!" calibration,
// "?Xa!"/"?Xb<cal>!" the second calibration (type 121 only), "?X#!"/"?X#<sn>!" serial number,
// "?X8!" sensor type. Unknown commands and commands for another address get no answer, as on
// a real bus.

#include <optional>
#include <string>
#include <string_view>

#include "sim/sim_options.h"

struct Sdi12SensorKind;

class Sdi12Sensor {
 public:
  // version: the sensor firmware as "M.DD" (3.61); its three digits go into the identification.
  // Options: sensor-type=N picks the kind (default 120), sensor-address=C the starting address,
  // sensor-needs-attention makes it answer only after an attention command.
  Sdi12Sensor(const SimOptions& options, std::string_view version);

  // The comm device's "|": a break on the bus.
  void Wake();
  // One command, up to and including its '!'. The answer without its line end, or nullopt when
  // the sensor stays silent.
  std::optional<std::string> Command(std::string_view command);
  // New firmware: the address, calibrations and serial number of a new sensor.
  void FactoryReset();

  char address() const { return address_; }
  const std::string& calibration() const { return calibration_; }
  const std::string& calibration2() const { return calibration2_; }
  const std::string& serialNumber() const { return serialNumber_; }

 private:
  std::optional<std::string> Extended(std::string_view body);

  const Sdi12SensorKind* kind_;
  std::string versionDigits_;
  bool needsAttention_;
  bool attentive_ = false;
  char address_ = '0';
  std::string calibration_, calibration2_, serialNumber_;
};
