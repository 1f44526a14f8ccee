#include "tests/link/scripted_device.h"

#include <array>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

ScriptedDevice::ScriptedDevice() {
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

ScriptedDevice::~ScriptedDevice() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  if (slave_ >= 0) close(slave_);
  if (master_ >= 0) close(master_);
}

void ScriptedDevice::Script(std::vector<std::optional<std::string>> answers,
                            std::optional<std::string> fallback) {
  std::lock_guard<std::mutex> lock(mutex_);
  script_.assign(answers.begin(), answers.end());
  fallback_ = std::move(fallback);
}

void ScriptedDevice::AllowReopen() {
  if (slave_ >= 0) ioctl(slave_, TIOCNXCL);
}

std::vector<std::string> ScriptedDevice::Received() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return received_;
}

void ScriptedDevice::Dispatch(const std::string& command) {
  std::optional<std::string> answer;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    received_.push_back(command);
    if (!script_.empty()) {
      answer = script_.front();
      script_.pop_front();
    } else {
      answer = fallback_;
    }
  }
  if (answer && !answer->empty()) {
    ssize_t n = write(master_, answer->data(), answer->size());
    (void)n;
  }
}

void ScriptedDevice::Run() {
  std::string line;
  while (!stop_) {
    pollfd pf{master_, POLLIN, 0};
    if (poll(&pf, 1, 10) <= 0 || (pf.revents & POLLIN) == 0) continue;
    std::array<char, 256> buf{};
    ssize_t n = read(master_, buf.data(), buf.size());
    if (n <= 0) continue;
    for (ssize_t i = 0; i < n; ++i) {
      line += buf[static_cast<size_t>(i)];
      if (buf[static_cast<size_t>(i)] == '\r' || line == "+++") {
        Dispatch(line);
        line.clear();
      }
    }
  }
}
