// End to end against the simulated device: a whole programming session, then the restarted
// device checks its new code; the same with the faults a real line and device show.

#include <gtest/gtest.h>

#include <string>

#include "bsl/quil_bsl_host.h"
#include "serial/timing.h"
#include "tests/support/sim_fixture.h"

namespace {

struct Outcome {
  int32_t connect = 0, eraseInfo = 0, eraseFlash = 0, firmware = 0, vectors = 0;
};

// The update's bootloader steps, as the update sequence runs them for the image's device type.
Outcome Program(QuilBSLHost& host, const std::string& port) {
  DeviceInfo info;
  FillDeviceInfo(host.imageType, 999, 0, &info);
  Outcome o;
  o.connect = BSLConnect(host, port.c_str(), info.bootBaud, true, 3);
  if (o.connect >= 0) {
    o.eraseInfo = BSLEraseINFO(host, info.infoStart, info.infoSegments, info.infoSegmentSize,
                               info.wideAddresses);
  }
  if (o.eraseInfo > 0) o.eraseFlash = BSLEraseFlash(host, info.flashStart, info.flashEnd, info.wideAddresses);
  if (o.eraseFlash > 0) o.firmware = BSLSendFirmware(host, info.wideAddresses);
  if (o.firmware > 0) o.vectors = BSLSendVectors(host);
  BSLDisconnect(host);
  return o;
}

void ExpectComplete(const Outcome& o) {
  EXPECT_EQ(o.connect, 12);
  EXPECT_EQ(o.eraseInfo, 1);
  EXPECT_EQ(o.eraseFlash, 1);
  EXPECT_EQ(o.firmware, 1);
  EXPECT_EQ(o.vectors, 1);
}

// One command to the device's command interpreter; the answer's body without "\r" and ">".
std::string Ask(QuilSerial& port, const std::string& command) {
  QSPurge(port, 1);
  const std::string line = command + "\r";
  uint32_t written = 0;
  if (QSWrite(port, line.data(), static_cast<uint32_t>(line.size()), written) < 0) return "<write>";
  const bool prompt = QSWait(port, 1000, '>') > 0;
  char buffer[128];
  uint32_t count = 0;
  if (QSRead(port, buffer, sizeof buffer, count) < 0) return "<read>";
  std::string body;
  for (char c : std::string(buffer, count)) {
    if (c == '\r') c = '|';
    if (c != '>') body += c;
  }
  if (!prompt) return "<no prompt: " + body + ">";  // a bootloader answers without one
  body.erase(0, body.find_first_not_of('|'));
  body.erase(body.find_last_not_of('|') + 1);
  return body;
}

struct Restarted {
  std::string identity, post;
};

// After the bootloader session the device restarts into what was programmed.
Restarted AskRestartedDevice(const std::string& path) {
  QuilSerial port;
  Restarted r;
  if (QSOpen(port, path.c_str(), 9600) < 0) return r;
  r.identity = Ask(port, "get -ver");
  Ask(port, "login *4738");
  r.post = Ask(port, "post");
  QSClose(port);
  return r;
}

class SimProgramTest : public ::testing::Test {
 protected:
  SimProgramTest() : log(dir.File("bsl.errors.txt"), 10), host(&log) {}
  bool Logged(const std::string& line) {
    return ReadWholeFile(log.fileName).find(line) != std::string::npos;
  }

  TempDir dir;
  QuilLog log;
  QuilBSLHost host;
};

TEST_F(SimProgramTest, EmbeddedImageProgramsAndPasses) {
  auto sim = StartSim(MakeTestOptions("MTQ", "3.50"));
  ASSERT_TRUE(sim);
  EXPECT_EQ(AskRestartedDevice(sim->slavePath()).identity, "MTQ 3.50");
  ExpectComplete(Program(host, sim->slavePath()));
  const Restarted after = AskRestartedDevice(sim->slavePath());
  EXPECT_EQ(after.identity, "MTQ 3.61");
  EXPECT_EQ(after.post, "Code Good!");
  EXPECT_TRUE(Logged("QuilBSL: BSLSendVectors successful\r\n"));
}

TEST_F(SimProgramTest, RecoversFromRefusedBlocksAndLostAnswers) {
  SimOptions options = MakeTestOptions("MTQ", "3.50");
  // Block 7 refused twice; the answer to the 30th framed command (an erase) never comes.
  options.faults = {"refuse-block=7:2", "lose-answer=30"};
  auto sim = StartSim(options);
  ASSERT_TRUE(sim);
  ExpectComplete(Program(host, sim->slavePath()));
  EXPECT_EQ(AskRestartedDevice(sim->slavePath()).post, "Code Good!");
}

TEST_F(SimProgramTest, PowerLostDuringProgrammingThenResumed) {
  SimOptions options = MakeTestOptions("MTQ", "3.50");
  options.faults = {"power-loss=10"};
  auto sim = StartSim(options);
  ASSERT_TRUE(sim);
  const Outcome first = Program(host, sim->slavePath());
  EXPECT_EQ(first.connect, 12);
  EXPECT_EQ(first.eraseFlash, 1);
  EXPECT_EQ(first.firmware, kBSLNoAnswer);
  EXPECT_TRUE(Logged("QuilBSL: BSLSendFirmware failed with error -21"));

  // The next run finds the bootloader listening and programs the device from the start.
  EXPECT_EQ(BSLCheck(host, sim->slavePath().c_str(), 9600), kBSLWaiting);
  BSLDisconnect(host);
  ExpectComplete(Program(host, sim->slavePath()));
  const Restarted after = AskRestartedDevice(sim->slavePath());
  EXPECT_EQ(after.identity, "MTQ 3.61");
  EXPECT_EQ(after.post, "Code Good!");
}

TEST_F(SimProgramTest, BootloaderLeftAttachedIsUsedAsItIs) {
  SimOptions options = MakeTestOptions("MTQ", "3.50");
  options.bootloader = "attached";
  auto sim = StartSim(options);
  ASSERT_TRUE(sim);
  ExpectComplete(Program(host, sim->slavePath()));
  EXPECT_TRUE(Logged("QuilBSL: BSLInvocation found the QuilBSL already active\r\n"));
  EXPECT_EQ(AskRestartedDevice(sim->slavePath()).post, "Code Good!");
}

TEST_F(SimProgramTest, DeviceWithoutBootloader) {
  SimOptions options = MakeTestOptions("MTQ", "3.50");
  options.faults = {"no-bootloader"};
  auto sim = StartSim(options);
  ASSERT_TRUE(sim);
  EXPECT_EQ(Program(host, sim->slavePath()).connect, kBSLNoBootloader);
  EXPECT_FALSE(host.sessionOpen);
  EXPECT_EQ(AskRestartedDevice(sim->slavePath()).identity, "MTQ 3.50");
}

}  // namespace
