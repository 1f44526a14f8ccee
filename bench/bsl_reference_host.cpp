#include "bench/bsl_reference_host.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <thread>

namespace {

void Sleep(uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

speed_t Speed(uint32_t baud) { return baud == 57600 ? B57600 : baud == 115200 ? B115200 : B9600; }

class RawPort {
 public:
  explicit RawPort(const std::string& path) : fd_(open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC)) {}
  ~RawPort() {
    if (fd_ >= 0) close(fd_);
  }
  bool ok() const { return fd_ >= 0; }

  void SetBaud(uint32_t baud) {
    termios t{};
    tcgetattr(fd_, &t);
    cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    cfsetspeed(&t, Speed(baud));
    tcsetattr(fd_, TCSANOW, &t);
  }
  void Write(const std::string& text) {
    size_t off = 0;
    while (off < text.size()) {
      const ssize_t n = write(fd_, text.data() + off, text.size() - off);
      if (n <= 0) return;
      off += static_cast<size_t>(n);
    }
  }
  // Whatever has arrived, without waiting.
  std::string Drain() {
    std::string text;
    char buf[256];
    pollfd p{fd_, POLLIN, 0};
    while (poll(&p, 1, 0) > 0) {
      const ssize_t n = read(fd_, buf, sizeof buf);
      if (n <= 0) break;
      text.append(buf, static_cast<size_t>(n));
    }
    return text;
  }
  // Blocks until end arrives (at most 1000 ms).
  std::string Until(char end) {
    std::string text;
    char buf[64];
    pollfd p{fd_, POLLIN, 0};
    while (text.find(end) == std::string::npos && poll(&p, 1, 1000) > 0) {
      const ssize_t n = read(fd_, buf, sizeof buf);
      if (n <= 0) break;
      text.append(buf, static_cast<size_t>(n));
    }
    return text;
  }

 private:
  int fd_;
};

std::string Frame(char command, const std::string& payload) {
  std::string frame(1, command);
  frame += payload;
  frame += '.';
  uint32_t sum = 0;
  for (unsigned char c : frame) sum += c;
  char check[8];
  std::snprintf(check, sizeof check, "%04X", sum % 0xFFFF);
  return frame + check + "\r";
}

std::string Hex(uint32_t value, bool wide) {
  char text[8];
  std::snprintf(text, sizeof text, wide ? "%05X" : "%04X", value);
  return text;
}

bool Acked(const std::string& answer) { return !answer.empty() && answer[0] == '+'; }

}  // namespace

bool RunReferenceSession(const ReferenceSession& s) {
  RawPort port(s.port);
  if (!port.ok()) return false;
  port.SetBaud(9600);
  Sleep(1000);
  port.Write("boot KELP\r");
  Sleep(750);
  port.Drain();
  if (s.bootBaud != 9600) port.SetBaud(s.bootBaud);
  port.Write("\r");
  Sleep(100);
  port.Drain();
  port.Write("P");
  Sleep(100);
  if (port.Drain().find('#') == std::string::npos) return false;

  auto command = [&](char c, const std::string& payload, char end = '\r') {
    port.Write(Frame(c, payload));
    return Acked(port.Until(end));
  };
  if (!command('g', "")) return false;
  for (uint32_t i = 0; i < s.infoSegments; ++i) {
    if (!command('X', Hex(s.infoStart + i * s.infoSegmentSize, s.wide))) return false;
  }
  for (uint32_t a = s.flashStart; a < s.flashEnd;) {
    if (!command('X', Hex(a, s.wide))) return false;
    a += 512;
    if (a >= 0xFA00 && a <= 0xFFFF) a = 0x10000;
  }
  size_t pos = 0;
  const std::string& text = s.imageText;
  while (pos < text.size()) {
    size_t next = text.find('@', pos + 1);
    if (next == std::string::npos) next = text.size();
    const std::string address = s.wide ? text.substr(pos + 1, 5) : text.substr(pos + 2, 4);
    if (!command('@', address)) return false;
    for (size_t data = pos + 6; data < next; data += 512) {
      if (!command('W', text.substr(data, std::min<size_t>(512, next - data)))) return false;
    }
    pos = next;
  }
  Sleep(50);
  std::string vectors;
  for (uint32_t v : s.vectors) vectors += Hex(v, false);
  if (!command('V', vectors, '+')) return false;
  return true;
}
