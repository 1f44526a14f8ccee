#pragma once
// An instrument protocol object against a simulated device on a pseudo-terminal.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "protocol/quil_protocol.h"
#include "tests/support/sim_fixture.h"

class ProtocolOnSim : public ::testing::Test {
 protected:
  // Starts the device and connects qp to it; the QPConnect result.
  int32_t Connect(const std::string& type, const std::string& version,
                  std::vector<std::string> faults = {}) {
    SimOptions o = MakeTestOptions(type, version);
    o.faults = std::move(faults);
    server = StartSim(std::move(o));
    if (server == nullptr) return -9999;
    return QPConnect(qp, server->slavePath().c_str(), kBaudIndex9600, 3, &identity);
  }
  // Reconnects another protocol object to the same device.
  int32_t Reconnect(Quil_protocol& other) {
    DeviceInfo info;
    return QPConnect(other, server->slavePath().c_str(), kBaudIndex9600, 3, &info);
  }

  // One command to the device; its answer ("" on failure).
  std::string Send(Quil_protocol& p, const std::string& command) {
    char answer[256] = {};
    uint32_t room = sizeof answer;
    int32_t elapsed = 0;
    int32_t r = DeviceCommand(*p.link, command.c_str(), '>', 2000, answer, room, elapsed);
    return r > 0 ? std::string(answer) : std::string();
  }
  std::string Value(Quil_protocol& p, const std::string& command) {
    char value[256] = {};
    return GetValueString(p, command.c_str(), 2000, value, 200) == 1 ? std::string(value) : "";
  }

  std::string Log() const { return ReadWholeFile(dir.File("protocol.log")); }
  bool Logged(const std::string& line) const {
    return Log().find("Quil_protocol: " + line + "\r\n") != std::string::npos;
  }
  std::string SettingsPath() const { return dir.File("device.settings.txt"); }

  TempDir dir;
  QuilLog log{dir.File("protocol.log"), 40};
  std::unique_ptr<PtyServer> server;
  // Declared after the server: the link lets go of the port before the device goes away.
  Quil_protocol qp{&log};
  DeviceInfo identity;
};
