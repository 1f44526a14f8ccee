#include "tests/support/pty_peer.h"

#include <array>

#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

PtyPeer::PtyPeer(OnBytes onBytes) : onBytes_(std::move(onBytes)) {
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

PtyPeer::~PtyPeer() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  if (slave_ >= 0) close(slave_);
  if (master_ >= 0) close(master_);
}

void PtyPeer::AllowReopen() {
  if (slave_ >= 0) ioctl(slave_, TIOCNXCL);
}

void PtyPeer::Send(std::string_view bytes) {
  ssize_t n = write(master_, bytes.data(), bytes.size());
  (void)n;
}

void PtyPeer::Run() {
  while (!stop_) {
    // The short poll only bounds how long the destructor waits for the thread to see stop_.
    pollfd pf{master_, POLLIN, 0};
    if (poll(&pf, 1, 10) <= 0 || (pf.revents & POLLIN) == 0) continue;
    std::array<char, 256> buf{};
    ssize_t n = read(master_, buf.data(), buf.size());
    if (n <= 0) continue;
    onBytes_(std::string_view(buf.data(), static_cast<size_t>(n)));
  }
}
