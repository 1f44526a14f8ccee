#pragma once
// A test's own end of a device's pseudo-terminal in plain POSIX calls: raw bytes out, what comes
// back gathered until a test-given end or a time limit. It knows nothing of the host layers, so a
// misreading there cannot hide here.

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <string_view>

namespace raw_wire {

class RawWire {
 public:
  RawWire() = default;
  ~RawWire() { Close(); }
  RawWire(const RawWire&) = delete;
  RawWire& operator=(const RawWire&) = delete;

  // Opens path raw at speed (a termios B-constant); closes what was open before.
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

  // Drops what has arrived and not been read.
  void Purge() { tcflush(fd_, TCIFLUSH); }

  // All of bytes, or false when a write fails.
  bool Send(std::string_view bytes) {
    while (!bytes.empty()) {
      ssize_t n = write(fd_, bytes.data(), bytes.size());
      if (n <= 0) return false;
      bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
  }

  // What arrives until done(text so far) holds, or until timeoutMs has passed.
  template <typename Done>
  std::string ReadWhileNot(Done done, int timeoutMs) {
    using Clock = std::chrono::steady_clock;
    std::string got;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done(std::string_view(got))) {
      auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
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

  // Until the text ends with end; an empty end waits out the whole time (for silence).
  std::string ReadUntilSuffix(std::string_view end, int timeoutMs) {
    return ReadWhileNot(
        [end](std::string_view got) { return !end.empty() && got.ends_with(end); }, timeoutMs);
  }

  // Until end has come anywhere in the text.
  std::string ReadUntilChar(char end, int timeoutMs) {
    return ReadWhileNot(
        [end](std::string_view got) { return got.find(end) != std::string_view::npos; },
        timeoutMs);
  }

 private:
  int fd_ = -1;
};

}  // namespace raw_wire
