#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <vector>

#include "serial/quil_serial.h"
#include "sim/pty_server.h"
#include "tests/support/sim_fixture.h"

namespace {

// Sends one command line and returns what came back up to '>' (or all within the timeout).
std::string Exchange(QuilSerial& port, const std::string& line, uint32_t timeoutMs = 1000) {
  uint32_t written = 0, count = 0;
  QSPurge(port, 1);
  QSWrite(port, line.data(), static_cast<uint32_t>(line.size()), written);
  QSWait(port, timeoutMs, '>');
  char buf[kQSBufferSize];
  QSRead(port, buf, sizeof buf, count);
  return std::string(buf, count);
}

TEST(SimulatorTest, CommandInterpreterAnswersIdentity) {
  auto sim = StartSim(MakeTestOptions("MTQ", "3.50"));
  ASSERT_TRUE(sim);
  QuilSerial port;
  ASSERT_EQ(QSOpen(port, sim->slavePath().c_str(), 9600), 1);
  EXPECT_EQ(Exchange(port, "get -ver\r"), "\rMTQ 3.50\r>");
  EXPECT_EQ(Exchange(port, "what\r"), "\rERROR\r>");
  // A line feed after the carriage return is ignored.
  EXPECT_EQ(Exchange(port, "get -ver\r\n"), "\rMTQ 3.50\r>");
}

// A host that closes the port and opens it again at once (as an update does when it hands the
// port to the bootloader) must be answered in its new session.
TEST(SimulatorTest, ImmediateReopenIsAnsweredInTheNewSession) {
  auto sim = StartSim(MakeTestOptions("MTQ", "3.50"));
  ASSERT_TRUE(sim);
  for (int i = 0; i < 30; ++i) {
    QuilSerial port;
    ASSERT_EQ(QSOpen(port, sim->slavePath().c_str(), 9600), 1);
    ASSERT_EQ(Exchange(port, "get -ver\r"), "\rMTQ 3.50\r>") << "session " << i;
    QSClose(port);
  }
}

// Records what the core tells a model.
class RecordingModel : public DeviceModel {
 public:
  struct Log {
    std::mutex m;
    int opens = 0, closes = 0;
    std::string bytes;
    std::vector<uint32_t> bauds;
  };
  explicit RecordingModel(Log& log) : log_(log) {}
  void OnHostOpen(SimLink&) override {
    std::lock_guard l(log_.m);
    ++log_.opens;
  }
  void OnHostClose(SimLink&) override {
    std::lock_guard l(log_.m);
    ++log_.closes;
  }
  void OnBytes(std::string_view b, SimLink& link) override {
    std::lock_guard l(log_.m);
    log_.bytes.append(b);
    log_.bauds.push_back(link.HostBaud());
    link.Send(">");
  }

 private:
  Log& log_;
};

TEST(SimulatorTest, NoticesOpenCloseAndFollowsTheHostBaudRate) {
  RecordingModel::Log rec;
  PtyServer server(MakeTestOptions("MTQ", "3.50"), std::make_unique<RecordingModel>(rec));
  ASSERT_TRUE(server.Start());
  QuilSerial port;
  for (int session = 1; session <= 2; ++session) {
    ASSERT_EQ(QSOpen(port, server.slavePath().c_str(), 9600), 1);
    EXPECT_EQ(Exchange(port, "a"), ">");
    ASSERT_EQ(QSHostBaud(port, 115200), 1);
    EXPECT_EQ(Exchange(port, "b"), ">");
    uint32_t written = 0;
    QSWrite(port, "bye", 3, written);
    QSClose(port);
    usleep(50000);
    std::lock_guard l(rec.m);
    EXPECT_EQ(rec.opens, session);
    EXPECT_EQ(rec.closes, session);
    ASSERT_GE(rec.bauds.size(), 2u);
    EXPECT_EQ(rec.bauds[rec.bauds.size() - 2], 115200u);
  }
  std::lock_guard l(rec.m);
  // What the host wrote just before closing still reached the device.
  EXPECT_EQ(rec.bytes, "abbyeabbye");
  EXPECT_EQ(rec.bauds.front(), 9600u);
}

TEST(SimulatorTest, LineFaults) {
  struct Case {
    const char* fault;
    uint32_t hostBaud;
    std::string expected;
  } cases[] = {
      {"echo", 9600, "get -ver\r\rMTQ 3.50\r>"},
      {"drop-every=3", 9600, "\rMQ .5\r>"},
      {"silence", 9600, ""},
      {"baud-garbage", 9600, "\rMTQ 3.50\r>"},
  };
  for (const Case& c : cases) {
    SimOptions o = MakeTestOptions("MTQ", "3.50");
    o.faults = {c.fault};
    auto sim = StartSim(o);
    ASSERT_TRUE(sim);
    QuilSerial port;
    ASSERT_EQ(QSOpen(port, sim->slavePath().c_str(), c.hostBaud), 1);
    EXPECT_EQ(Exchange(port, "get -ver\r", 300), c.expected) << c.fault;
  }
}

TEST(SimulatorTest, WrongHostBaudRateGivesGarbage) {
  SimOptions o = MakeTestOptions("MTQ", "3.50");
  o.faults = {"baud-garbage"};
  auto sim = StartSim(o);
  ASSERT_TRUE(sim);
  QuilSerial port;
  ASSERT_EQ(QSOpen(port, sim->slavePath().c_str(), 19200), 1);
  std::string answer = Exchange(port, "get -ver\r", 300);
  EXPECT_EQ(answer.find("MTQ"), std::string::npos);
}

TEST(SimulatorTest, BootCommandWithoutBootloader) {
  SimOptions o = MakeTestOptions("MTQ", "3.50");
  o.faults = {"no-bootloader"};
  auto sim = StartSim(o);
  ASSERT_TRUE(sim);
  QuilSerial port;
  ASSERT_EQ(QSOpen(port, sim->slavePath().c_str(), 9600), 1);
  EXPECT_EQ(Exchange(port, "boot KELP\r"), "\rQuilBSL MISSING\r>");
  EXPECT_EQ(Exchange(port, "boot KELPX\r"), "\rERROR\r>");
}

// The program itself: prints its pty, announces it, and removes the announcement on SIGTERM.
TEST(SimulatorProgramTest, AnnouncesServesAndCleansUp) {
  TempDir dir;
  int out[2];
  ASSERT_EQ(pipe(out), 0);
  pid_t pid = fork();
  if (pid == 0) {
    dup2(out[1], 1);
    close(out[0]);
    std::string bin = std::string(QUILBSL_BIN_DIR) + "/quilbsl-sim";
    execl(bin.c_str(), bin.c_str(), "--type", "MTQ", "--version", "3.50", "--announce-dir",
          dir.path().c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  close(out[1]);
  FILE* f = fdopen(out[0], "r");
  char line[256] = {};
  ASSERT_NE(fgets(line, sizeof line, f), nullptr);
  std::string first = line;
  EXPECT_NE(first.find("/dev/pts/"), std::string::npos) << first;
  ASSERT_NE(fgets(line, sizeof line, f), nullptr);
  std::string link = dir.File("Simulated Vapora MTQ");
  EXPECT_EQ(std::string(line), "announced as " + link + "\n");

  QuilSerial port;
  ASSERT_EQ(QSOpen(port, link.c_str(), 9600), 1);
  EXPECT_EQ(Exchange(port, "get -ver\r"), "\rMTQ 3.50\r>");
  QSClose(port);

  kill(pid, SIGTERM);
  int status = 0;
  waitpid(pid, &status, 0);
  fclose(f);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_FALSE(std::filesystem::is_symlink(link));
}

}  // namespace
