#pragma once
// A link opened on a scripted device, with its log in a temporary folder.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "link/solix_protocol.h"
#include "serial/quil_log.h"
#include "tests/link/scripted_device.h"
#include "tests/support/sim_fixture.h"

class LinkOnPty : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(device.ok());
    ASSERT_EQ(QSOpen(link.port, device.path().c_str(), 9600), 1);
    link.tries = 3;
  }

  // A link that looks logged into a new-firmware logger of this kind and version.
  void Identify(LoggerType type, int32_t version, bool newFirmware = true) {
    link.connection.kind = kConnSerial;
    link.settings.loggerType = type;
    link.settings.newFirmware = newFirmware ? 1 : 0;
    link.settings.versionNumber = version;
    SetText(link.settings.versionText, "X 1.00");
    UpdateCapabilities(link.settings);
  }

  std::string Log() const { return ReadWholeFile(dir.File("link.log")); }
  std::vector<std::string> Sent() const { return device.Received(); }

  ScriptedDevice device;
  TempDir dir;
  QuilLog log{dir.File("link.log"), 30};
  SOLIX_Protocol link{&log};
};
