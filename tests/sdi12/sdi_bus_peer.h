#pragma once
// A comm device with a scripted sensor, on a real pseudo-terminal pair: every "|" and every
// command up to its "!" is recorded in order, and each command gets the bytes the script gives,
// or silence.

#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/pty_peer.h"

class SdiBusPeer {
 public:
  using Script = std::function<std::optional<std::string>(const std::string& command)>;

  explicit SdiBusPeer(Script script);

  bool ok() const { return peer_.ok(); }
  const std::string& path() const { return peer_.path(); }
  // "|" and the commands, in the order they arrived.
  std::vector<std::string> Traffic() const;

 private:
  void OnBytes(std::string_view bytes);

  Script script_;
  mutable std::mutex mutex_;
  std::vector<std::string> traffic_;
  std::string command_;  // the peer's thread only
  // Last: its thread starts at once and stops first, while the members above still live.
  PtyPeer peer_;
};
