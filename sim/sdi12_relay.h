#pragma once
// The comm device's relay to its SDI-12 bus. Bytes from the host that form SDI-12 traffic ("|"
// wakes the bus; a command such as "?I!" ends at its '!') go to the sensor, whose answer comes
// back with "\r\n"; lines of the command interpreter pass through untouched. SDI-12 traffic is
// recognised at the start of a line: '|', or an address followed by '!' or a capital letter.

#include <string>
#include <string_view>

#include "sim/sdi12_sensor.h"
#include "sim/sim_link.h"

class Sdi12Relay {
 public:
  Sdi12Relay(const SimOptions& options, std::string_view sensorVersion);

  // True when the bytes were SDI-12 traffic and are dealt with.
  bool Take(std::string_view bytes, SimLink& link);
  // The host went away or the device restarted: half-received text is dropped.
  void Reset();

  Sdi12Sensor& sensor() { return sensor_; }

 private:
  bool StartsTraffic(std::string_view bytes) const;
  void Relay(SimLink& link);

  Sdi12Sensor sensor_;
  bool realtime_;
  std::string command_;  // SDI-12 command being received
  bool inCommand_ = false;
  bool lineStarted_ = false;  // the interpreter holds part of a line
};
