#include "tests/sdi12/sdi_bus_peer.h"

SdiBusPeer::SdiBusPeer(Script script)
    : script_(std::move(script)), peer_([this](std::string_view bytes) { OnBytes(bytes); }) {}

std::vector<std::string> SdiBusPeer::Traffic() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return traffic_;
}

void SdiBusPeer::OnBytes(std::string_view bytes) {
  for (char c : bytes) {
    if (c == '|') {
      std::lock_guard<std::mutex> lock(mutex_);
      traffic_.push_back("|");
      command_.clear();
      continue;
    }
    command_ += c;
    if (c != '!') continue;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      traffic_.push_back(command_);
    }
    std::optional<std::string> answer = script_(command_);
    if (answer) peer_.Send(*answer);
    command_.clear();
  }
}
