// SDISendCommand on a real pseudo-terminal: the wake-up, the recovery with the attention
// command and its alternation, and answers longer than the caller's room.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "sdi12/quil_sdi12.h"
#include "serial/quil_serial.h"
#include "tests/sdi12/sdi_bus_peer.h"
#include "tests/support/sim_fixture.h"

namespace {

class SdiOnPeer : public ::testing::Test {
 protected:
  void Open(SdiBusPeer& peer) {
    ASSERT_TRUE(peer.ok());
    ASSERT_EQ(QSOpen(port, peer.path().c_str(), 9600), 1);
    sdi.answerTimeoutMs = 250;
  }
  std::string Log() const { return ReadWholeFile(dir.File("sdi.log")); }

  TempDir dir;
  QuilLog log{dir.File("sdi.log"), 40};
  QuilSerial port;
  QuilSDI12 sdi{&log, &port};
};

// What one silent attempt puts on the wire, and the recovery that follows it.
void AppendAttempt(std::vector<std::string>& wire, bool wake, const std::string& command) {
  if (wake) wire.push_back("|");
  wire.push_back(command);
  wire.insert(wire.end(), {"|", "|", "|", "?!"});
}

TEST_F(SdiOnPeer, SilentSensorIsAskedAgainAlternatelyWithAndWithoutTheWakeUp) {
  SdiBusPeer peer([](const std::string& c) -> std::optional<std::string> {
    if (c == "?!") return "0\r\n";
    return std::nullopt;
  });
  Open(peer);
  char answer[32] = "stale";
  uint32_t length = sizeof answer;
  int32_t elapsed = -1;
  EXPECT_EQ(SDISendCommand(sdi, "?I!", answer, length, elapsed), -22);
  EXPECT_EQ(length, 0u);
  EXPECT_STREQ(answer, "");
  EXPECT_GE(elapsed, 0);

  std::vector<std::string> expected;
  for (int attempt = 0; attempt < 5; ++attempt) AppendAttempt(expected, attempt % 2 == 0, "?I!");
  EXPECT_EQ(peer.Traffic(), expected);
}

TEST_F(SdiOnPeer, SensorThatIgnoresTheAttentionCommandFailsAfterTheFirstAttempt) {
  SdiBusPeer peer([](const std::string&) { return std::optional<std::string>(); });
  Open(peer);
  uint32_t length = 0;
  int32_t elapsed = 0;
  EXPECT_EQ(SDISendCommand(sdi, "?X4!", nullptr, length, elapsed), -21);
  std::vector<std::string> expected;
  AppendAttempt(expected, true, "?X4!");
  EXPECT_EQ(peer.Traffic(), expected);
}

TEST_F(SdiOnPeer, SingleSilentAttemptGivesAnEmptyAnswer) {
  SdiBusPeer peer([](const std::string& c) -> std::optional<std::string> {
    if (c == "?!") return "0\r\n";
    return std::nullopt;
  });
  Open(peer);
  sdi.attempts = 1;
  char answer[8] = "x";
  uint32_t length = sizeof answer;
  int32_t elapsed = 0;
  EXPECT_EQ(SDISendCommand(sdi, "?I!", answer, length, elapsed), 0);
  EXPECT_EQ(length, 0u);
}

TEST_F(SdiOnPeer, SensorAnsweringAfterRecoveryIsHeardWithoutTheAttentionAnswer) {
  int asked = 0;
  SdiBusPeer peer([&asked](const std::string& c) -> std::optional<std::string> {
    if (c == "?!") return "0\r\n";
    if (++asked == 1) return std::nullopt;
    return "0X4cal\r\n";
  });
  Open(peer);
  char answer[64] = {};
  uint32_t length = sizeof answer;
  int32_t elapsed = 0;
  ASSERT_GT(SDISendCommand(sdi, "?X4!", answer, length, elapsed), 0);
  // The second attempt goes without the wake-up; the attention answer's line end is not part
  // of the command's answer.
  EXPECT_EQ(std::string(answer, 7), "0X4cal\r");
  std::vector<std::string> expected;
  AppendAttempt(expected, true, "?X4!");
  expected.push_back("?X4!");
  EXPECT_EQ(peer.Traffic(), expected);
}

TEST_F(SdiOnPeer, AnswerLongerThanTheRoomIsCutAndItsFullLengthReturned) {
  const std::string body = "0123456789abcdefghijklmn";  // 24 characters, 25 with the "\r"
  SdiBusPeer peer([&body](const std::string&) { return std::optional<std::string>(body + "\r"); });
  Open(peer);
  char answer[10] = {};
  uint32_t length = sizeof answer;
  int32_t elapsed = 0;
  EXPECT_EQ(SDISendCommand(sdi, "?I!", answer, length, elapsed), 25);
  EXPECT_EQ(length, 9u);
  EXPECT_EQ(std::string(answer), body.substr(0, 9));
  EXPECT_NE(Log().find("QuilSDI12: DeviceCommand got 16 more bytes than expected (?I!)\r\n"),
            std::string::npos);
}

TEST_F(SdiOnPeer, IdentificationGivesAddressIdentAndVersion) {
  SdiBusPeer peer([](const std::string& c) -> std::optional<std::string> {
    if (c == "?I!") return "513QUILLON 5TE   331001\r\n";
    return std::nullopt;
  });
  Open(peer);
  EXPECT_EQ(SDIGetSensorVersion(sdi), 331);
  EXPECT_EQ(sdi.sensorAddress, '5');
  EXPECT_STREQ(sdi.sensorIdent.data(), "QUILLON 5TE   331001");
  EXPECT_NE(Log().find("QuilSDI12: SDIGetSensorVersion found sensor info: QUILLON 5TE   331001\r\n"),
            std::string::npos);
}

TEST_F(SdiOnPeer, ShortIdentificationReadsNoPastItsEnd) {
  SdiBusPeer peer([](const std::string& c) -> std::optional<std::string> {
    if (c == "?I!") return "51\r\n";
    return std::nullopt;
  });
  Open(peer);
  EXPECT_EQ(SDIGetSensorVersion(sdi), 0);
  EXPECT_STREQ(sdi.sensorIdent.data(), "");
}

TEST_F(SdiOnPeer, AddressChangeGoesToAddressZeroAndChecksTheAnswer) {
  SdiBusPeer peer([](const std::string& c) -> std::optional<std::string> {
    if (c == "0A7!") return "7\r\n";
    if (c == "0A8!") return "0\r\n";
    return std::nullopt;
  });
  Open(peer);
  EXPECT_EQ(SDISetSensorAddress(sdi, '7'), 1);
  EXPECT_EQ(SDISetSensorAddress(sdi, '8'), -30);
  EXPECT_NE(Log().find("SDISetSensorAddress could not set sensor address to '8'"),
            std::string::npos);
}

struct WriteCase {
  const char* name;
  const char* reply;  // to every write command; nullptr: neither OK nor ERROR
  int32_t expected;
};

class SdiWrites : public SdiOnPeer, public ::testing::WithParamInterface<WriteCase> {};

TEST_P(SdiWrites, CalibrationAndSerialNumberResultFollowTheSensorsReply) {
  const WriteCase& w = GetParam();
  SdiBusPeer peer([&w](const std::string& c) -> std::optional<std::string> {
    if (c == "?!") return "0\r\n";
    return std::string("0") + (w.reply != nullptr ? w.reply : "what") + "\r\n";
  });
  Open(peer);
  sdi.attempts = 2;
  std::snprintf(sdi.calibration.data(), sdi.calibration.size(), "1.0 2.0");
  std::snprintf(sdi.serialNumber.data(), sdi.serialNumber.size(), "SN1");
  EXPECT_EQ(SDISetSensorCalibration(sdi, nullptr), w.expected);
  EXPECT_EQ(SDISetSensorSN(sdi), w.expected);
}

TEST_F(SdiOnPeer, NothingToWriteSendsNothing) {
  SdiBusPeer peer([](const std::string&) { return std::optional<std::string>("0OK\r\n"); });
  Open(peer);
  EXPECT_EQ(SDISetSensorCalibration(sdi, nullptr), 0);
  EXPECT_EQ(SDISetSensorSN(sdi), 0);
  EXPECT_TRUE(peer.Traffic().empty());
  EXPECT_NE(Log().find("SDISetSensorCalibration doesn't have a valid X5 calibration string"),
            std::string::npos);
  EXPECT_NE(Log().find("SDISetSensorSN didn't find a valid serial number"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Replies, SdiWrites,
                         ::testing::Values(WriteCase{"ok", "OK", 1}, WriteCase{"error", "ERROR", -34},
                                           WriteCase{"neither", nullptr, -22}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
