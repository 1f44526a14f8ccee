#include "tests/sdi12/sdi_bus_peer.h"

#include <array>

#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

SdiBusPeer::SdiBusPeer(Script script) : script_(std::move(script)) {
  std::array<char, 256> name{};
  if (openpty(&master_, &slave_, name.data(), nullptr, nullptr) != 0) {
    master_ = slave_ = -1;
    return;
  }
  termios tio{};
  tcgetattr(slave_, &tio);
  cfmakeraw(&tio);
  tcsetattr(slave_, TCSANOW, &tio);
  path_ = name.data();
  thread_ = std::thread([this] { Run(); });
}

SdiBusPeer::~SdiBusPeer() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  if (slave_ >= 0) close(slave_);
  if (master_ >= 0) close(master_);
}

std::vector<std::string> SdiBusPeer::Traffic() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return traffic_;
}

void SdiBusPeer::Run() {
  std::string command;
  while (!stop_) {
    pollfd pf{master_, POLLIN, 0};
    if (poll(&pf, 1, 10) <= 0 || (pf.revents & POLLIN) == 0) continue;
    std::array<char, 256> buf{};
    ssize_t n = read(master_, buf.data(), buf.size());
    if (n <= 0) continue;
    for (ssize_t i = 0; i < n; ++i) {
      char c = buf[static_cast<size_t>(i)];
      if (c == '|') {
        std::lock_guard<std::mutex> lock(mutex_);
        traffic_.push_back("|");
        command.clear();
        continue;
      }
      command += c;
      if (c != '!') continue;
      {
        std::lock_guard<std::mutex> lock(mutex_);
        traffic_.push_back(command);
      }
      std::optional<std::string> answer = script_(command);
      if (answer) {
        ssize_t w = write(master_, answer->data(), answer->size());
        (void)w;
      }
      command.clear();
    }
  }
}
