#pragma once
// A device on a real pseudo-terminal that records every unit the host sends and answers it
// from a script: for tests that must see the exact bytes on the wire (frames, retries, erase
// walks). A unit is a line up to and including its "\r", or a lone "P" at a line start (the
// bootloader handshake). The full behaviour of a device is the simulator's; this only
// answers what a test tells it to.

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "sim/pty_server.h"

class WirePeer {
 public:
  // Answer for the index-th unit (counted from 0); "" answers nothing.
  using Script = std::function<std::string(const std::string& unit, size_t index)>;

  // A bootloader that starts from "boot KELP" and acknowledges every framed command.
  static std::string DefaultAnswer(const std::string& unit);

  explicit WirePeer(Script script = nullptr);
  ~WirePeer();

  const std::string& path() const;
  std::vector<std::string> Units() const;
  // The units that start with command (framed commands such as "W", "X", "@").
  std::vector<std::string> Frames(char command) const;
  void Clear();

  struct Shared {
    std::mutex mutex;
    std::vector<std::string> units;
    Script script;
  };

 private:
  std::shared_ptr<Shared> shared_;
  std::unique_ptr<PtyServer> server_;
};

// The payload between the command character and the ".": "X1100.0148\r" gives "1100".
std::string FramePayload(const std::string& frame);
