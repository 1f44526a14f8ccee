#include "cli/signal_guard.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <ctime>

namespace {

// Everything the handler touches: written before the handlers go in, read-only afterwards,
// apart from the atomics.
std::string gGuardText;
std::string gHint;
std::atomic<int> gPhase{static_cast<int>(GuardPhase::Idle)};
std::atomic<bool> gCancelled{false};
std::atomic<long long> gLastInterruptMs{-1};

constexpr const char kCancelText[] = "\nCancelling the update...\n";

long long NowMs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<long long>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

void Say(const char* text, size_t length) {
  while (length > 0) {
    ssize_t n = write(STDERR_FILENO, text, length);
    if (n <= 0) return;
    text += n;
    length -= static_cast<size_t>(n);
  }
}

void OnSignal(int sig) {
  const int savedErrno = errno;
  const auto phase = static_cast<GuardPhase>(gPhase.load());
  if (phase == GuardPhase::Idle) {
    // Nothing that must not be interrupted: end as the signal says.
    signal(sig, SIG_DFL);
    raise(sig);
    errno = savedErrno;
    return;
  }
  const long long now = NowMs();
  const long long last = sig == SIGINT ? gLastInterruptMs.exchange(now) : -1;
  if (phase == GuardPhase::Bootloader && last >= 0 && now - last <= kCancelWindowMs) {
    gCancelled = true;
    Say(kCancelText, sizeof kCancelText - 1);
  } else {
    Say("\n", 1);
    Say(gGuardText.data(), gGuardText.size());
    if (phase == GuardPhase::Bootloader) Say(gHint.data(), gHint.size());
  }
  errno = savedErrno;
}

}  // namespace

void InstallSignalGuard(const std::string& guardText) {
  gGuardText = guardText;
  gHint = "(Press Ctrl+C again within 3 seconds to cancel the update; running it again resumes it.)\n";
  struct sigaction sa {};
  sa.sa_handler = OnSignal;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = SA_RESTART;
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) sigaction(sig, &sa, nullptr);
}

void SetGuardPhase(GuardPhase phase) {
  if (phase == GuardPhase::Bootloader) gLastInterruptMs = -1;
  gPhase = static_cast<int>(phase);
}

bool GuardCancelled() { return gCancelled.load(); }
