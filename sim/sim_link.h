#pragma once
// What a device model may do to its side of the wire.

#include <cstdint>
#include <string_view>

#include "sim/sim_options.h"

class SimLink {
 public:
  virtual ~SimLink() = default;
  // Queues bytes for the host after everything queued before, no earlier than delayMs from
  // now (the device's think time). With --realtime each byte also takes its wire time.
  virtual void Send(std::string_view bytes, uint32_t delayMs = 0) = 0;
  // Drops output that has been queued but not yet sent (a device that resets).
  virtual void DropPendingOutput() = 0;
  // The rate the host has set on its side of the port, and the device's own rate.
  virtual uint32_t HostBaud() const = 0;
  virtual uint32_t DeviceBaud() const = 0;
  virtual void SetDeviceBaud(uint32_t baud) = 0;
  // Monotonic milliseconds.
  virtual uint64_t NowMs() const = 0;
  // Calls the model's OnTick once, no earlier than ms from now.
  virtual void WakeAfter(uint32_t ms) = 0;
  virtual bool HostConnected() const = 0;
  virtual const SimOptions& Options() const = 0;
};

// A device: turns bytes from the host into answers.
class DeviceModel {
 public:
  virtual ~DeviceModel() = default;
  virtual void OnHostOpen(SimLink&) {}
  // The host closed the port: the session ends, as with an unplugged cable.
  virtual void OnHostClose(SimLink&) {}
  virtual void OnBytes(std::string_view bytes, SimLink& link) = 0;
  virtual void OnTick(SimLink&) {}
};
