#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "serial/quil_serial.h"
#include "serial/timing.h"
#include "tests/support/sim_fixture.h"

namespace {

// A real pseudo-terminal pair: the port opens the slave, the test plays the device on the master.
class PtyPair {
 public:
  PtyPair() {
    char name[128] = {};
    int slave = -1;
    if (openpty(&master_, &slave, name, nullptr, nullptr) == 0) {
      path_ = name;
      close(slave);  // the port under test opens its own
    }
  }
  ~PtyPair() {
    if (master_ >= 0) close(master_);
  }
  const std::string& path() const { return path_; }
  void Send(const std::string& s) { ASSERT_EQ(write(master_, s.data(), s.size()), static_cast<ssize_t>(s.size())); }
  std::string Receive() {
    std::string out;
    char buf[256];
    for (int i = 0; i < 20; ++i) {
      pollfd p{master_, POLLIN, 0};
      if (poll(&p, 1, 50) <= 0) {
        if (!out.empty()) break;
        continue;
      }
      ssize_t n = read(master_, buf, sizeof buf);
      if (n <= 0) break;
      out.append(buf, static_cast<size_t>(n));
    }
    return out;
  }
  uint32_t SlaveBaud() {
    termios t{};
    tcgetattr(master_, &t);
    return cfgetospeed(&t) == B115200 ? 115200 : cfgetospeed(&t) == B9600 ? 9600 : 0;
  }

 private:
  int master_ = -1;
  std::string path_;
};

class SerialTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(pty.path().empty());
    port.log = &log;
  }
  void TearDown() override { SetMessagePump(nullptr); }
  std::string LogText() { return ReadWholeFile(log.fileName); }

  TempDir dir;
  QuilLog log{dir.File("serial.errors.txt"), 40};
  PtyPair pty;
  QuilSerial port;
};

TEST_F(SerialTest, OpenWithBaudZeroConfiguresNineSixHundred) {
  ASSERT_EQ(QSOpen(port, pty.path().c_str(), 0), 1);
  EXPECT_EQ(port.baudRate, 9600u);
  EXPECT_EQ(pty.SlaveBaud(), 9600u);
  EXPECT_NE(LogText().find(pty.path() + ": QSOpen successfully opened and configured comm port at 9600 baud\r\n"),
            std::string::npos);
  EXPECT_TRUE(port.ownsReadBuffer);
  EXPECT_EQ(QSClose(port), 1);
  EXPECT_EQ(port.readBuffer, nullptr);
  EXPECT_EQ(QSClose(port), 0);
}

TEST_F(SerialTest, SuppliedBufferOutlivesClose) {
  char own[kQSBufferSize];
  port.readBuffer = own;
  ASSERT_EQ(QSOpen(port, pty.path().c_str(), 9600), 1);
  EXPECT_FALSE(port.ownsReadBuffer);
  QSClose(port);
  EXPECT_EQ(port.readBuffer, own);
}

TEST_F(SerialTest, WaitStopsAtTheCharacterAndReadHandsOutExactlyTheBuffer) {
  ASSERT_EQ(QSOpen(port, pty.path().c_str(), 9600), 1);
  pty.Send("\rMTQ 3.50\r>");
  ASSERT_EQ(QSWait(port, 1000, '>'), '>');
  // Bytes that arrive after the hit stay in the driver: QSRead must not touch the port.
  pty.Send("later");
  usleep(20000);
  char dest[64];
  uint32_t count = 0;
  EXPECT_EQ(QSRead(port, dest, sizeof dest, count), 11);
  EXPECT_EQ(std::string(dest, count), "\rMTQ 3.50\r>");
  // The next read reads the port.
  EXPECT_EQ(QSRead(port, dest, sizeof dest, count), 5);
  EXPECT_EQ(std::string(dest, count), "later");
}

TEST_F(SerialTest, ReadIntoSmallCapacityDropsTheRest) {
  ASSERT_EQ(QSOpen(port, pty.path().c_str(), 9600), 1);
  pty.Send("0123456789>");
  ASSERT_EQ(QSWait(port, 1000, '>'), '>');
  char dest[4];
  uint32_t count = 0;
  EXPECT_EQ(QSRead(port, dest, sizeof dest, count), 4);
  EXPECT_EQ(std::string(dest, count), "0123");
  EXPECT_EQ(port.readBuffer[0], '\0');
}

TEST_F(SerialTest, TimedOutWaitKeepsPartialTextForTheNextRead) {
  ASSERT_EQ(QSOpen(port, pty.path().c_str(), 9600), 1);
  pty.Send("partial");
  EXPECT_EQ(QSWait(port, 150, '>'), 0);
  pty.Send(" more");
  char dest[64];
  uint32_t count = 0;
  EXPECT_EQ(QSRead(port, dest, sizeof dest, count), 12);
  EXPECT_EQ(std::string(dest, count), "partial more");
  EXPECT_NE(LogText().find("QSWait read 7 bytes, but never found '>' in "), std::string::npos);
}

TEST_F(SerialTest, LongWaitPausesWithTheMessagePumpFromTheSixthEmptyRead) {
  std::vector<uint32_t> pumpCalls;
  SetMessagePump([&](uint32_t maxWait) {
    pumpCalls.push_back(maxWait);
    usleep(maxWait * 1000);
  });
  ASSERT_EQ(QSOpen(port, pty.path().c_str(), 9600), 1);

  struct Case {
    uint32_t timeoutMs;
    bool pauses;
  } cases[] = {{1000, true}, {400, false}};
  for (const Case& c : cases) {
    pumpCalls.clear();
    EXPECT_EQ(QSWait(port, c.timeoutMs, '>'), 0);
    size_t pauses = std::count(pumpCalls.begin(), pumpCalls.end(), 200u);
    if (c.pauses) {
      // Six empty reads of 100 ms, then a 200 ms pause after each: about two pauses in 1 s.
      EXPECT_GE(pauses, 1u) << c.timeoutMs;
      EXPECT_LE(pauses, 3u) << c.timeoutMs;
    } else {
      EXPECT_EQ(pauses, 0u) << c.timeoutMs;
    }
  }
}

TEST_F(SerialTest, PumpedSleepDispatchesFrom170Ms) {
  int calls = 0;
  SetMessagePump([&](uint32_t maxWait) {
    ++calls;
    usleep(maxWait * 1000);
  });
  PumpedSleep(169);
  EXPECT_EQ(calls, 0);
  uint32_t start = MillisecondClock();
  PumpedSleep(170);
  EXPECT_GE(calls, 1);
  EXPECT_GE(MillisecondClock() - start, 170u);
}

TEST_F(SerialTest, ClosedPortErrors) {
  char dest[8];
  uint32_t count = 0, written = 0;
  EXPECT_EQ(QSRead(port, dest, sizeof dest, count), kQSErrNoBuffer);
  EXPECT_EQ(QSWait(port, 100, '>'), kQSErrClosed);
  EXPECT_EQ(QSWrite(port, "x", 1, written), kQSErrClosed);
  char own[kQSBufferSize] = {};
  port.readBuffer = own;
  EXPECT_EQ(QSRead(port, dest, sizeof dest, count), kQSErrClosed);
  std::string text = LogText();
  EXPECT_NE(text.find("QuilSerial: QSRead tried to read from a closed port\r\n"), std::string::npos);
  EXPECT_NE(text.find("QuilSerial: QSWrite tried to write to a closed port\r\n"), std::string::npos);
  EXPECT_NE(text.find("QuilSerial: QSWait tried to operate on a closed port\r\n"), std::string::npos);
}

TEST_F(SerialTest, HostBaudResults) {
  EXPECT_EQ(QSHostBaud(port, 9600), kQSErrNeverOpened);
  ASSERT_EQ(QSOpen(port, pty.path().c_str(), 9600), 1);
  EXPECT_EQ(QSHostBaud(port, 9600), 0);
  EXPECT_EQ(QSHostBaud(port, 115200), 1);
  EXPECT_EQ(port.baudRate, 115200u);
  EXPECT_EQ(pty.SlaveBaud(), 115200u);
}

TEST_F(SerialTest, OpenErrors) {
  EXPECT_EQ(QSOpen(port, "/dev/quilbsl-no-such-port", 9600), kQSErrNotAvailable);
  EXPECT_EQ(port.portHandle, kQSInvalidHandle);
  EXPECT_NE(LogText().find("QSOpen failed to open comm port (error 2)"), std::string::npos);
  EXPECT_EQ(QSClose(port), 0);

  QuilSerial holder;
  ASSERT_EQ(QSOpen(holder, pty.path().c_str(), 9600), 1);
  EXPECT_EQ(QSOpen(port, pty.path().c_str(), 9600), kQSErrInUse);
  QSClose(holder);
  EXPECT_EQ(QSOpen(port, pty.path().c_str(), 9600), 1);
}

TEST_F(SerialTest, ReopenClosesFirst) {
  ASSERT_EQ(QSOpen(port, pty.path().c_str(), 9600), 1);
  ASSERT_EQ(QSOpen(port, pty.path().c_str(), 9600), 1);
  EXPECT_NE(LogText().find("QuilSerial: QSOpen found port \""), std::string::npos);
}

TEST_F(SerialTest, WriteReachesTheDeviceAndPurgeEmptiesTheBuffer) {
  ASSERT_EQ(QSOpen(port, pty.path().c_str(), 9600), 1);
  uint32_t written = 0;
  EXPECT_EQ(QSWrite(port, "get -ver\r", 9, written), 9);
  EXPECT_EQ(pty.Receive(), "get -ver\r");
  pty.Send("stale>");
  ASSERT_EQ(QSWait(port, 500, '>'), '>');
  QSPurge(port, 1);
  char dest[16];
  uint32_t count = 0;
  EXPECT_EQ(QSRead(port, dest, sizeof dest, count), 0);
}

TEST(TimeZoneTest, WestOfGreenwichInSummer) {
  const char* old = std::getenv("TZ");
  std::string saved = old ? old : "";
  // Eight hours west, daylight saving time in force all year round.
  setenv("TZ", "XST8XDT,J1/0,J365/25", 1);
  tzset();
  EXPECT_EQ(TimeZoneOffsetSeconds(), -25200);
  setenv("TZ", "UTC", 1);
  tzset();
  EXPECT_EQ(TimeZoneOffsetSeconds(), 0);
  if (old) setenv("TZ", saved.c_str(), 1);
  else unsetenv("TZ");
  tzset();
}

}  // namespace
