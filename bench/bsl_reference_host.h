#pragma once
// The least a host can do for a bootloader session: the same commands, the same fixed waits,
// raw POSIX calls that block until the awaited character arrives and nothing else. Programming
// with it shows what the simulated device and the machine take, so that the bootloader host's
// own share can be told apart.

#include <array>
#include <cstdint>
#include <string>

struct ReferenceSession {
  std::string port;
  uint32_t bootBaud = 9600;
  bool wide = false;
  uint32_t infoStart = 0, infoSegments = 0, infoSegmentSize = 0;
  uint32_t flashStart = 0, flashEnd = 0;
  std::string imageText;
  std::array<uint32_t, 16> vectors{};
};

// Runs the whole session; false when the device refused or did not answer something.
bool RunReferenceSession(const ReferenceSession& s);
