#pragma once
// A link against a simulated logger on a pseudo-terminal.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "link/solix_protocol.h"
#include "serial/quil_log.h"
#include "tests/support/sim_fixture.h"

class LinkOnSim : public ::testing::Test {
 protected:
  bool Start(SimOptions options) {
    server = StartSim(std::move(options));
    return server != nullptr;
  }

  SolixConnection Serial(uint8_t baudIndex = 2) const {
    SolixConnection c;
    c.port = server->slavePath();
    c.kind = kConnSerial;
    c.baudIndex = baudIndex;
    return c;
  }

  SolixConnection Radio(const std::string& name = "") const {
    SolixConnection c;
    c.port = server->slavePath();
    c.kind = kConnRadio;
    SetText(c.deviceName, name);
    return c;
  }

  std::string Log() const { return ReadWholeFile(dir.File("link.log")); }
  size_t Count(const std::string& text) const {
    std::string log = Log();
    size_t n = 0;
    for (size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1)) ++n;
    return n;
  }

  TempDir dir;
  QuilLog log{dir.File("link.log"), 40};
  std::unique_ptr<PtyServer> server;
  // Declared after the server: the link disconnects before the device goes away.
  SOLIX_Protocol link{&log};
};
