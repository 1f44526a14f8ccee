#include "sim/sdi12_relay.h"

#include <cctype>

namespace {

constexpr size_t kMaxCommand = 300;
// SDI-12 runs at 1200 baud: 8.33 ms a character on the bus, after the sensor's own think time.
constexpr uint32_t kSensorThinkMs = 15;
constexpr double kBusMsPerChar = 8.33;

bool IsAddress(char c) {
  return c == '?' || std::isalnum(static_cast<unsigned char>(c)) != 0;
}

}  // namespace

Sdi12Relay::Sdi12Relay(const SimOptions& options, std::string_view sensorVersion)
    : sensor_(options, sensorVersion), realtime_(options.realtime) {}

void Sdi12Relay::Reset() {
  command_.clear();
  inCommand_ = false;
  lineStarted_ = false;
}

bool Sdi12Relay::StartsTraffic(std::string_view bytes) const {
  if (bytes.empty()) return false;
  if (bytes[0] == '|') return true;
  if (lineStarted_ || !IsAddress(bytes[0])) return false;
  if (bytes.size() < 2)
    return bytes[0] == '?' || std::isdigit(static_cast<unsigned char>(bytes[0]));
  return bytes[1] == '!' || std::isupper(static_cast<unsigned char>(bytes[1]));
}

bool Sdi12Relay::Take(std::string_view bytes, SimLink& link) {
  if (!inCommand_ && !StartsTraffic(bytes)) {
    for (char c : bytes) {
      if (c == '\r') {
        lineStarted_ = false;
      } else if (c != '\n') {
        lineStarted_ = true;
      }
    }
    return false;
  }
  for (char c : bytes) {
    if (c == '|') {
      sensor_.Wake();
      command_.clear();
      inCommand_ = false;
      continue;
    }
    if (c == '\r' || c == '\n') {
      // A line end abandons a command that never got its '!'.
      command_.clear();
      inCommand_ = false;
      continue;
    }
    inCommand_ = true;
    if (command_.size() < kMaxCommand) command_.push_back(c);
    if (c == '!') {
      Relay(link);
      command_.clear();
      inCommand_ = false;
    }
  }
  return true;
}

void Sdi12Relay::Relay(SimLink& link) {
  auto answer = sensor_.Command(command_);
  if (!answer) return;
  std::string wire = *answer + "\r\n";
  uint32_t delay =
      realtime_ ? kSensorThinkMs + static_cast<uint32_t>(wire.size() * kBusMsPerChar) : 0;
  link.Send(wire, delay);
}
