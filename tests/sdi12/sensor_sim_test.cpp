// Saving and restoring a digital sensor through the simulated comm device.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "sdi12/quil_sdi12.h"
#include "serial/quil_serial.h"
#include "tests/support/sim_fixture.h"

namespace {

// A sensor object on its own port to one simulated comm device.
struct SensorOnSim {
  SensorOnSim(QuilLog* log, SimOptions options) : server(StartSim(std::move(options))) {
    sdi.log = log;
    if (server != nullptr) opened = QSOpen(port, server->slavePath().c_str(), 9600) == 1;
    // Sensors that never answer a command are part of these tests; keep their silence short.
    sdi.answerTimeoutMs = 250;
  }
  // Declared first, so the device outlives the host's end of the port.
  std::unique_ptr<PtyServer> server;
  bool opened = false;
  QuilSerial port;
  QuilSDI12 sdi{nullptr, &port};
};

SimOptions Sensor(const std::string& version, std::vector<std::string> faults = {}) {
  SimOptions o = MakeTestOptions("SOLIX-KA", version);
  o.faults = std::move(faults);
  return o;
}

std::string Text(const auto& field) { return std::string(field.data()); }

class SensorSim : public ::testing::Test {
 protected:
  TempDir dir;
  QuilLog log{dir.File("sdi.log"), 40};
};

TEST_F(SensorSim, SaveReadsIdentityTypeSerialNumberAndCalibration) {
  SensorOnSim s(&log, Sensor("3.61"));
  ASSERT_TRUE(s.opened);
  ASSERT_EQ(SDISaveInfo(s.sdi), 1);
  EXPECT_EQ(s.sdi.sensorAddress, '0');
  EXPECT_EQ(s.sdi.sensorVersion, 361u);
  EXPECT_EQ(s.sdi.sensorType, 120);
  EXPECT_EQ(Text(s.sdi.sensorIdent), "QUILLON SX-KX 361001");
  EXPECT_EQ(Text(s.sdi.serialNumber), "KX4410372");
  EXPECT_EQ(Text(s.sdi.calibration), "0.000 -1.000000e+01 1.000000e-02 0.000000e+00 20.0 0.0");
  std::string logText = ReadWholeFile(dir.File("sdi.log"));
  EXPECT_NE(logText.find("QuilSDI12: SDIGetSensorType found sensor type as \"x\"\r\n"),
            std::string::npos);
  EXPECT_NE(logText.find("QuilSDI12: SDIGetSensorSN found SN \"KX4410372\"\r\n"), std::string::npos);
}

// The new firmware leaves a sensor at address 0 with a blank calibration and no serial number:
// a second simulated sensor plays the updated one.
TEST_F(SensorSim, RestoreGivesTheUpdatedSensorItsAddressSerialNumberAndCalibrations) {
  SensorOnSim before(&log, Sensor("3.61", {"sensor-type=121", "sensor-address=3"}));
  ASSERT_TRUE(before.opened);
  ASSERT_EQ(SDISaveInfo(before.sdi), 1);
  EXPECT_EQ(before.sdi.sensorAddress, '3');
  EXPECT_EQ(Text(before.sdi.calibration2), "1.0031 -0.0042 0.9987");

  SensorOnSim after(&log, Sensor("3.61", {"sensor-type=121"}));
  ASSERT_TRUE(after.opened);
  after.sdi.sensorAddress = before.sdi.sensorAddress;
  after.sdi.sensorType = before.sdi.sensorType;
  after.sdi.calibration = before.sdi.calibration;
  after.sdi.calibration2 = before.sdi.calibration2;
  after.sdi.serialNumber = before.sdi.serialNumber;
  // The updated sensor's settings are changed first, so that the restore has work to do.
  char answer[64];
  uint32_t room = sizeof answer;
  int32_t elapsed = 0;
  ASSERT_GT(SDISendCommand(after.sdi, "?X5 9 9 9!", answer, room, elapsed), 0);
  room = sizeof answer;
  ASSERT_GT(SDISendCommand(after.sdi, "?X#OTHER1!", answer, room, elapsed), 0);

  EXPECT_EQ(SDIRestoreInfo(after.sdi), 1);

  QuilSDI12 check{nullptr, &after.port};
  ASSERT_EQ(SDISaveInfo(check), 1);
  EXPECT_EQ(check.sensorAddress, '3');
  EXPECT_EQ(check.sensorType, 121);
  EXPECT_EQ(Text(check.serialNumber), Text(before.sdi.serialNumber));
  EXPECT_EQ(Text(check.calibration), Text(before.sdi.calibration));
  EXPECT_EQ(Text(check.calibration2), Text(before.sdi.calibration2));
}

struct OldCalCase {
  const char* type;
  const char* version;
  const char* calibration;
};

class OldCalibration : public SensorSim, public ::testing::WithParamInterface<OldCalCase> {};

TEST_P(OldCalibration, IsConvertedOnlyForOldFirmwareOfTypes116And117) {
  const OldCalCase& c = GetParam();
  SensorOnSim s(&log, Sensor(c.version, {std::string("sensor-type=") + c.type}));
  ASSERT_TRUE(s.opened);
  ASSERT_EQ(SDISaveInfo(s.sdi), 1);
  EXPECT_EQ(Text(s.sdi.calibration), c.calibration);
}

INSTANTIATE_TEST_SUITE_P(
    Sensors, OldCalibration,
    ::testing::Values(
        OldCalCase{"117", "3.31", "1.000 -1.000000e+03 5.000000e+02 0.000000e+00 15.0 7.0"},
        OldCalCase{"116", "3.39", "1.000 -1.000000e+03 5.000000e+02 0.000000e+00 15.0 7.0"},
        OldCalCase{"117", "3.40", "1 2 4 0 10 20 0 0 7"}));

struct TypeCase {
  const char* type;
  int expected;
};

class TypeFromIdentity : public SensorSim, public ::testing::WithParamInterface<TypeCase> {};

// These kinds do not answer "?X8!": their model text in the identification names them.
TEST_P(TypeFromIdentity, SensorsWithoutTypeCommand) {
  SensorOnSim s(&log, Sensor("3.61", {std::string("sensor-type=") + GetParam().type}));
  ASSERT_TRUE(s.opened);
  s.sdi.attempts = 2;
  EXPECT_EQ(SDIGetSensorType(s.sdi), 1);
  EXPECT_EQ(s.sdi.sensorType, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Sensors, TypeFromIdentity,
                         ::testing::Values(TypeCase{"122", 122}, TypeCase{"125", 125},
                                           TypeCase{"127", 127}));

TEST_F(SensorSim, SensorThatAnswersOnlyAfterTheAttentionCommandIsStillSaved) {
  SensorOnSim s(&log, Sensor("3.61", {"sensor-needs-attention"}));
  ASSERT_TRUE(s.opened);
  ASSERT_EQ(SDISaveInfo(s.sdi), 1);
  EXPECT_EQ(s.sdi.sensorVersion, 361u);
  EXPECT_EQ(Text(s.sdi.serialNumber), "KX4410372");
}

}  // namespace
