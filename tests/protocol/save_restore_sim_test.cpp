// End to end: save a device's settings to the settings file, change them in the simulated
// device, restore them (from memory, and from the file in a later run), and compare every value.

#include <algorithm>
#include <sstream>

#include "protocol/settings_file.h"
#include "tests/protocol/protocol_sim_fixture.h"

namespace {

// The file's lines with the record lists' numbers taken off and the lists sorted: a restore
// writes the records back in name order.
std::string Normalized(const std::string& file) {
  std::istringstream in(file);
  std::string line, out;
  std::vector<std::string> records;
  while (std::getline(in, line)) {
    size_t digits = line.find_first_of("0123456789");
    bool record = (line.rfind("user", 0) == 0 || line.rfind("eqn", 0) == 0) && digits != std::string::npos &&
                  line.find('=') == digits + 2;
    if (record) {
      records.push_back(line.substr(0, digits) + line.substr(digits + 2));
    } else {
      out += line + "\n";
    }
  }
  std::sort(records.begin(), records.end());
  for (const std::string& r : records) out += r + "\n";
  return out;
}

struct DeviceCase {
  const char* type;
  const char* version;
  // Commands that change saved settings in the device.
  std::vector<std::string> changes;
  // Lines the saved file must hold (the device's values were collected).
  std::vector<std::string> saved;
};

void PrintTo(const DeviceCase& c, std::ostream* os) { *os << c.type << " " << c.version; }

class SaveRestore : public ProtocolOnSim, public ::testing::WithParamInterface<DeviceCase> {
 protected:
  void Change(Quil_protocol& p) {
    for (const std::string& c : GetParam().changes) ASSERT_NE(Send(p, c), "") << c;
  }
  // Saves the device's settings as they are now with a fresh object; the file's text.
  std::string SaveAgain(const std::string& name) {
    Quil_protocol probe{&log};
    EXPECT_GE(Reconnect(probe), 0);
    EXPECT_EQ(QPSaveInfo(probe, dir.File(name).c_str()), 1);
    QPLogout(probe, true);
    return ReadWholeFile(dir.File(name));
  }
};

TEST_P(SaveRestore, EverySavedValueComesBack) {
  const DeviceCase& c = GetParam();
  ASSERT_GE(Connect(c.type, c.version), 0);
  ASSERT_EQ(QPSaveInfo(qp, SettingsPath().c_str()), 1);
  EXPECT_TRUE(qp.settingsHeld);
  EXPECT_TRUE(Logged("QPSaveInfo successfully retreived and saved device settings to a temp file"));
  const std::string saved = ReadWholeFile(SettingsPath());
  for (const std::string& line : c.saved) {
    EXPECT_NE(saved.find(line + "\r\n"), std::string::npos) << line << " in\n" << saved;
  }

  // The same run: the settings held in memory go back after the device's restart.
  Change(qp);
  QPLogout(qp, true);
  EXPECT_NE(Normalized(SaveAgain("changed.txt")), Normalized(saved));
  ASSERT_GE(Reconnect(qp), 0);
  EXPECT_EQ(QPRestoreInfo(qp, SettingsPath().c_str(), nullptr), 1);
  QPLogout(qp, true);
  EXPECT_EQ(Normalized(SaveAgain("restored.txt")), Normalized(saved));

  // A later run that found the device in its bootloader: the file supplies the settings.
  Quil_protocol later{&log};
  ASSERT_GE(Reconnect(later), 0);
  Change(later);
  EXPECT_FALSE(later.settingsHeld);
  EXPECT_EQ(QPRestoreInfo(later, SettingsPath().c_str(), nullptr), 1);
  EXPECT_TRUE(later.settingsHeld);
  QPLogout(later, true);
  EXPECT_EQ(Normalized(SaveAgain("restored-from-file.txt")), Normalized(saved));
}

INSTANTIATE_TEST_SUITE_P(
    Devices, SaveRestore,
    ::testing::Values(
        DeviceCase{"MTQ", "3.50",
                   {"set -sn MTQ999999\r", "set -config 9 9 9\r"},
                   {"type=\"MTQ\"", "sn=\"MTQ104826\"", "config=\"4 1 0 300 2\""}},
        DeviceCase{"V8X", "2.10",
                   {"set -config 1234\r", "set -tadj 0.5 0.5\r", "set -pvuser 9 9 9 9\r",
                    "set -user 0 QUFBQUFBQUFBQUFB\r", "set -eqn 2 Sand 1 2 3 4\r"},
                   {"type=\"V8X\"", "config=\"4821\"", "tadj=\"1.0020 -0.0350\"",
                    "uvals=\"0.0 100.0 0.0 1.0\"",
                    "user00=\"MgkxCTAJU2lsdCBMb2FtCTAuNDEyCTAuMDUxCTEuMzI=\"",
                    "eqn01=\"Clay`_heavy 0.000291 -0.0530 1.0 0.0\""}},
        DeviceCase{"KT30", "2.02",
                   {"set -site Elsewhere\r", "set -w 60\r"},
                   {"type=\"Kt30\"", "name=\"K30-1187\"", "site=\"North Field Station 2\"",
                    "lat=\"+46.73210\"", "wake=\"900\""}}),
    [](const auto& info) { return std::string(info.param.type); });

}  // namespace

namespace {

using SensorSaveRestore = ProtocolOnSim;

// The digital sensor is reached over the same port as the comm device's command interpreter.
TEST_F(SensorSaveRestore, DigitalSensorThroughItsCommDevice) {
  ASSERT_GE(Connect("SOLIX-KA", "3.61", {"sensor-address=4"}), 0);
  EXPECT_EQ(qp.deviceType, DT_SOLIX_KA);
  ASSERT_EQ(QPSaveInfo(qp, SettingsPath().c_str()), 1);
  const std::string saved = ReadWholeFile(SettingsPath());
  EXPECT_NE(saved.find("\r\naddress=\"4\"\r\naddressInt=\"52\"\r\n"), std::string::npos) << saved;
  EXPECT_NE(saved.find("\r\nsn=\"KX4410372\"\r\n"), std::string::npos) << saved;

  // A later run restores from the file. This sensor was not updated and is still at its
  // address, so the address change (always sent to address 0) goes unanswered: -22, while the
  // serial number and the calibration are written back.
  Quil_protocol later{&log};
  QPLogout(qp, false);
  ASSERT_GE(Reconnect(later), 0);
  later.sensor->answerTimeoutMs = 250;
  later.sensor->attempts = 2;
  EXPECT_EQ(QPRestoreInfo(later, SettingsPath().c_str(), nullptr), -22);
  EXPECT_EQ(later.sensor->sensorAddress, '4');
  EXPECT_NE(Log().find("SDISetSensorCalibration successfully set sensor X5 calibration to"),
            std::string::npos);
  EXPECT_NE(Log().find("SDISetSensorSN successfully set sensor serial number to \"KX4410372\""),
            std::string::npos);
}

}  // namespace
