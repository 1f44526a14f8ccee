#pragma once
// The computer's end of a simulated logger's pseudo-terminal, in plain POSIX calls: bytes out,
// the answer back up to the prompt (or another end). It knows nothing of the host layers.

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <string_view>
#include <thread>

#include "tests/support/sim_fixture.h"

namespace logger_wire {

// Bounds a wait for an answer that should come; never a measure of speed.
inline constexpr int kAnswerMs = 3000;
// How long an answer that should not come is waited for.
inline constexpr int kSilenceMs = 250;

inline void Pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

class Wire {
 public:
  Wire() = default;
  ~Wire() { Close(); }
  Wire(const Wire&) = delete;
  Wire& operator=(const Wire&) = delete;

  bool Open(const std::string& path, speed_t speed = B9600) {
    Close();
    fd_ = open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    return fd_ >= 0 && SetSpeed(speed);
  }

  bool SetSpeed(speed_t speed) {
    termios t{};
    if (tcgetattr(fd_, &t) != 0) return false;
    cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    cfsetispeed(&t, speed);
    cfsetospeed(&t, speed);
    return tcsetattr(fd_, TCSANOW, &t) == 0;
  }

  void Close() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
  }

  void Send(std::string_view bytes) {
    while (!bytes.empty()) {
      ssize_t n = write(fd_, bytes.data(), bytes.size());
      if (n <= 0) {
        ADD_FAILURE() << "write to the simulator failed";
        return;
      }
      bytes.remove_prefix(static_cast<size_t>(n));
    }
  }

  // What arrives until the text ends with end, or until timeoutMs has passed.
  std::string ReadUntil(std::string_view end, int timeoutMs = kAnswerMs) {
    using Clock = std::chrono::steady_clock;
    std::string got;
    auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!end.empty() ? !std::string_view(got).ends_with(end) : true) {
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      if (left <= 0) break;
      pollfd p{fd_, POLLIN, 0};
      if (poll(&p, 1, static_cast<int>(left)) <= 0) break;
      char buf[512];
      ssize_t n = read(fd_, buf, sizeof buf);
      if (n <= 0) break;
      got.append(buf, static_cast<size_t>(n));
    }
    return got;
  }

  // Everything that arrives within ms (for answers that must not come).
  std::string Quiet(int ms = kSilenceMs) { return ReadUntil("", ms); }

  // One command with its "\r"; the whole answer up to the prompt character.
  std::string Ask(std::string_view command) {
    Send(command);
    Send("\r");
    return ReadUntil(">");
  }

 private:
  int fd_ = -1;
};

// A simulated device of the options, with the computer's end of its line opened at 9600.
struct Logger {
  explicit Logger(SimOptions options) : sim(StartSim(std::move(options))) {
    if (sim) {
      EXPECT_TRUE(wire.Open(sim->slavePath())) << "cannot open " << sim->slavePath();
    }
  }
  bool ok() const { return sim != nullptr; }
  // Closes the computer's end and opens it again: a new session.
  void Reopen() {
    wire.Close();
    Pause(50);  // the device notices the close
    EXPECT_TRUE(wire.Open(sim->slavePath()));
  }

  std::unique_ptr<PtyServer> sim;
  Wire wire;
};

inline SimOptions WithFaults(SimOptions o, std::initializer_list<const char*> faults) {
  for (const char* f : faults) o.faults.emplace_back(f);
  return o;
}

}  // namespace logger_wire
