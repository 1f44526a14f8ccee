#pragma once
// The computer's end of a simulated logger's pseudo-terminal, in plain POSIX calls: bytes out,
// the answer back up to the prompt (or another end). It knows nothing of the host layers.

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <string_view>
#include <thread>

#include "tests/support/raw_wire.h"
#include "tests/support/sim_fixture.h"

namespace logger_wire {

// Bounds a wait for an answer that should come; never a measure of speed.
inline constexpr int kAnswerMs = 3000;
// How long an answer that should not come is waited for.
inline constexpr int kSilenceMs = 250;

inline void Pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// The shared raw end, with the logger's own exchanges on top; a failed write fails the test.
class Wire {
 public:
  bool Open(const std::string& path, speed_t speed = B9600) { return raw_.Open(path, speed); }
  bool SetSpeed(speed_t speed) { return raw_.SetSpeed(speed); }
  void Close() { raw_.Close(); }

  void Send(std::string_view bytes) {
    if (!raw_.Send(bytes)) ADD_FAILURE() << "write to the simulator failed";
  }

  // What arrives until the text ends with end, or until timeoutMs has passed.
  std::string ReadUntil(std::string_view end, int timeoutMs = kAnswerMs) {
    return raw_.ReadUntilSuffix(end, timeoutMs);
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
  raw_wire::RawWire raw_;
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
