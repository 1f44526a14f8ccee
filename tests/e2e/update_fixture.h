#pragma once
// An updater (the state the window and the CLI share) in a temporary data folder, a scripted
// user, and a simulated device on a pseudo-terminal.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/update_sequence.h"
#include "app/updater_state.h"
#include "tests/e2e/scripted_ui.h"
#include "tests/support/sim_fixture.h"

// Logs into the device as the updater does and asks for values, one answer per command
// ("<error N>" for a command that fails), all in one session.
inline std::vector<std::string> DeviceValues(const std::string& port,
                                             const std::vector<std::string>& commands) {
  Quil_protocol qp(nullptr);
  DeviceInfo info;
  int32_t r = QPConnect(qp, port.c_str(), 2, 3, &info);
  if (r < 0) return std::vector<std::string>(commands.size(), "<connect " + std::to_string(r) + ">");
  std::vector<std::string> values;
  for (const std::string& command : commands) {
    char value[129] = {};
    r = GetValueString(qp, command.c_str(), 2000, value, 128);
    values.push_back(r == 1 ? std::string(value) : "<error " + std::to_string(r) + ">");
  }
  QPLogout(qp, true);
  return values;
}

inline std::string DeviceValue(const std::string& port, const char* command) {
  return DeviceValues(port, {command}).front();
}

class UpdateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(UpdaterStartup(app, dir.path()), 0);
    app.ui = &ui;
    ui.SetLog(app.log.get());
  }

  // Starts the device and chooses its port.
  bool StartDevice(const SimOptions& options) {
    sim = StartSim(options);
    if (!sim) return false;
    port = sim->slavePath();
    app.commPortName = port;
    app.portDisplayText = port;
    return true;
  }

  std::string Log() const { return ReadWholeFile(app.logFileName); }
  bool Logged(const std::string& text) const { return Log().find(text) != std::string::npos; }
  std::string SettingsFile() const { return app.dataFolder + "/" + app.deviceName + ".settings.txt"; }
  static bool Exists(const std::string& path) { return std::filesystem::exists(path); }
  std::string FinishedLine(uint32_t seconds) const {
    return "QuilBSL Host: Finished updating device in " + std::to_string(seconds) + " seconds\r\n";
  }

  TempDir dir;
  std::unique_ptr<PtyServer> sim;
  std::string port;
  ScriptedUI ui;
  UpdaterState app;
};
