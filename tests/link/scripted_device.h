#pragma once
// A device driven by hand on a real pseudo-terminal pair: each command line the host sends
// (ended by "\r", or a "+++" on its own) gets the next scripted answer, or silence.

#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/pty_peer.h"

class ScriptedDevice {
 public:
  ScriptedDevice();

  bool ok() const { return peer_.ok(); }
  // The host's end, for QSOpen.
  const std::string& path() const { return peer_.path(); }

  // Answers in order; nullopt stays silent for that command. When the script is used up,
  // every further command is answered with fallback (silence when nullopt).
  void Script(std::vector<std::optional<std::string>> answers,
              std::optional<std::string> fallback = std::nullopt);
  // Lets the host open its end again after closing it.
  void AllowReopen() { peer_.AllowReopen(); }
  // Every command received so far, each with its "\r".
  std::vector<std::string> Received() const;

 private:
  void OnBytes(std::string_view bytes);
  void Dispatch(const std::string& command);

  mutable std::mutex mutex_;
  std::deque<std::optional<std::string>> script_;
  std::optional<std::string> fallback_;
  std::vector<std::string> received_;
  std::string line_;  // the peer's thread only
  // Last: its thread starts at once and stops first, while the members above still live.
  PtyPeer peer_;
};
