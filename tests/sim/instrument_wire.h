#pragma once
// A test's own end of a simulated instrument's pseudo-terminal: raw bytes out, the answer back
// up to the interpreter's prompt or the SDI-12 line end. It knows nothing of the host layers.

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "tests/support/raw_wire.h"
#include "tests/support/sim_fixture.h"

namespace instrument_wire {

// Bounds a wait for an answer that should come; never a measure of speed.
inline constexpr int kAnswerMs = 3000;
// How long an answer that should not come is waited for.
inline constexpr int kSilenceMs = 250;

// The shared raw end, with the instrument's own exchanges on top.
class Wire {
 public:
  explicit Wire(std::string path) : path_(std::move(path)) {}

  bool Open() { return raw_.Open(path_); }
  void Close() { raw_.Close(); }
  bool Send(std::string_view bytes) { return raw_.Send(bytes); }

  // What arrives until the text ends with `end`, or until timeoutMs has passed.
  std::string ReadUntil(std::string_view end, int timeoutMs = kAnswerMs) {
    return raw_.ReadUntilSuffix(end, timeoutMs);
  }

  // One interpreter command; the whole answer as it came ("\rOK\r>").
  std::string Ask(std::string_view command) {
    Send(std::string(command) + "\r");
    return ReadUntil("\r>");
  }

  // The access code typed one character at a time, as the updater types it, then "\n\r".
  std::string TypeLogin(std::string_view line = "login *4738") {
    for (char c : line) {
      Send(std::string_view(&c, 1));
      std::this_thread::sleep_for(std::chrono::milliseconds(3));
    }
    Send("\n\r");
    return ReadUntil("\r>");
  }

  // One SDI-12 command through the comm device, after the "|" wake-up unless wake is false;
  // the sensor's line with its "\r\n", or "" when the sensor stays silent.
  std::string Sdi(std::string_view command, bool wake = true) {
    if (wake) {
      Send("|");
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    Send(command);
    return ReadUntil("\r\n");
  }

  // Nothing arrives within kSilenceMs.
  std::string Silence() { return ReadUntil("\x01never", kSilenceMs); }

 private:
  std::string path_;
  raw_wire::RawWire raw_;
};

// "\r" + body + "\r>"
inline std::string Answer(std::string_view body) {
  return "\r" + std::string(body) + "\r>";
}
inline const std::string kPromptAlone = "\r\r>";

// A simulated device of a type, started for one test, with the test's end of its wire open.
struct Device {
  std::unique_ptr<PtyServer> server;
  std::unique_ptr<Wire> wire;

  static Device Start(const std::string& type, const std::string& version = "3.50",
                      std::vector<std::string> faults = {}) {
    SimOptions o = MakeTestOptions(type, version);
    o.faults = std::move(faults);
    Device d;
    d.server = StartSim(o);
    if (!d.server) return d;
    d.wire = std::make_unique<Wire>(d.server->slavePath());
    EXPECT_TRUE(d.wire->Open()) << d.server->slavePath();
    return d;
  }
  bool ok() const { return server && wire; }
  // Closes the port and opens it again: a new session. Bytes that reach the server before it
  // has seen the close still belong to the old session, so empty lines are sent until one is
  // answered with the prompt: from then on everything belongs to the new session.
  void Reopen() {
    wire->Close();
    ASSERT_TRUE(wire->Open());
    for (int i = 0; i < 20; ++i) {
      wire->Send("\r");
      if (wire->ReadUntil("\r>", 200) == kPromptAlone) return;
    }
    ADD_FAILURE() << "no prompt after reopening the port";
  }
};

}  // namespace instrument_wire
