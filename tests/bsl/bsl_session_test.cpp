// The bootloader session on the wire: start, handshake, framed commands, their answers.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bsl/quil_bsl_host.h"
#include "tests/bsl/wire_peer.h"
#include "tests/support/sim_fixture.h"

namespace {

using Units = std::vector<std::string>;

class SessionTest : public ::testing::Test {
 protected:
  SessionTest() : log(dir.File("bsl.errors.txt"), 40), host(&log) {}
  bool Logged(const std::string& line) {
    return ReadWholeFile(log.fileName).find(line) != std::string::npos;
  }

  TempDir dir;
  QuilLog log;
  QuilBSLHost host;
};

// The default bootloader, except that the units named in overrides get the answers given
// there, in turn (the last answer repeats).
WirePeer::Script Overriding(std::string unit, std::vector<std::string> answers) {
  auto count = std::make_shared<size_t>(0);
  return [=](const std::string& u, size_t) {
    if (u != unit) return WirePeer::DefaultAnswer(u);
    const size_t i = std::min((*count)++, answers.size() - 1);
    return answers[i];
  };
}

TEST_F(SessionTest, CommandWithoutSessionSendsNothing) {
  BSLAnswer answer{};
  uint32_t elapsed = 7;
  EXPECT_EQ(BSLCommand(host, 'g', nullptr, 0, '\r', &answer, &elapsed), kBSLNoAnswer);
  EXPECT_EQ(elapsed, 0u);
  const uint32_t n = 0x1100;
  EXPECT_EQ(BSLCommand(host, 'X', &n, 1, '\r', &answer, &elapsed, false), kBSLNoAnswer);
  EXPECT_EQ(BSLDisconnect(host), 0);
}

TEST_F(SessionTest, ConnectStartsAttachesAndAsksTheVersion) {
  WirePeer peer;
  EXPECT_EQ(BSLConnect(host, peer.path().c_str(), 9600, true, 3), 12);
  EXPECT_EQ(host.bslVersion, 12);
  EXPECT_TRUE(host.sessionOpen);
  EXPECT_TRUE(host.showProgress);
  EXPECT_EQ(peer.Units(), (Units{"boot KELP\r", "\r", "P", "g.0095\r"}));
  EXPECT_TRUE(Logged("QuilBSL: BSLInvocation successful (1 tries)\r\n"));
  EXPECT_TRUE(Logged("QuilBSL: BSLConnect connected to device running QuilBSL version 12\r\n"));

  // Each framed command is one attempt, its answer taken as the device gives it.
  struct Case {
    const char* answer;
    int32_t result;
  };
  static const Case cases[] = {
      {"+\r", 2}, {"-\r", kBSLRefused}, {"?\r", kBSLRefused}, {"", kBSLNoAnswer}};
  WirePeer scripted([](const std::string& unit, size_t index) {
    return unit.rfind('@', 0) == 0 ? std::string(cases[index % 4].answer)
                                   : WirePeer::DefaultAnswer(unit);
  });
  EXPECT_EQ(BSLDisconnect(host), 1);
  EXPECT_FALSE(host.sessionOpen);
  EXPECT_EQ(BSLDisconnect(host), 0);

  host.port.log = nullptr;  // BSLCheck opens the session without the start
  ASSERT_EQ(BSLCheck(host, scripted.path().c_str(), 9600), kBSLWaiting);
  scripted.Clear();
  for (const Case& c : cases) {
    BSLAnswer answer{};
    uint32_t elapsed = 0;
    EXPECT_EQ(BSLCommand(host, '@', "1100", 4, '\r', &answer, &elapsed), c.result) << c.answer;
    EXPECT_STREQ(answer.data(), c.answer);
  }
  EXPECT_EQ(scripted.Units(), Units(4, "@1100.0130\r"));
}

TEST_F(SessionTest, CommandArgumentsAreChecked) {
  WirePeer peer;
  ASSERT_EQ(BSLConnect(host, peer.path().c_str(), 9600, false, 3), 12);
  peer.Clear();
  BSLAnswer answer{};
  const std::string big(513, 'A');
  EXPECT_EQ(BSLCommand(host, 'W', big.c_str(), 513, '\r', &answer, nullptr), kBSLInvalidArgument);
  EXPECT_EQ(BSLCommand(host, 'W', nullptr, 0, '\r', &answer, nullptr), kBSLMissingArgument);
  EXPECT_EQ(BSLCommand(host, '@', "1100", 4, '\r', nullptr, nullptr), kBSLMissingArgument);
  std::vector<uint32_t> numbers(129, 1);
  EXPECT_EQ(BSLCommand(host, 'V', numbers.data(), 129, '+', &answer, nullptr, false),
            kBSLInvalidArgument);
  EXPECT_EQ(BSLCommand(host, 'V', numbers.data(), 103, '+', &answer, nullptr, true),
            kBSLInvalidArgument);  // 515 characters would overrun the frame
  const uint32_t wideAddress = 0x10000;
  EXPECT_EQ(BSLCommand(host, 'X', &wideAddress, 1, '\r', &answer, nullptr, false),
            kBSLInvalidArgument);
  EXPECT_TRUE(peer.Units().empty());

  EXPECT_EQ(BSLCommand(host, 'W', big.c_str(), 512, '\r', &answer, nullptr), 2);
  EXPECT_EQ(BSLCommand(host, 'X', &wideAddress, 1, '\r', &answer, nullptr, true), 2);
  EXPECT_EQ(peer.Units().back(), "X10000.0177\r");
}

struct StartCase {
  const char* name;
  const char* unit;                  // the unit whose answers are scripted
  std::vector<std::string> answers;  // in turn
  int32_t result;
  Units units;
  const char* logLine;
};

TEST_F(SessionTest, StartAndHandshake) {
  const StartCase cases[] = {
      {"bootloader already running", "boot KELP\r", {"?\r"}, 12,
       {"boot KELP\r", "g.0095\r"}, "BSLInvocation found the QuilBSL already active\r\n"},
      {"refused once", "boot KELP\r", {"\rERROR\r>", "\rOK\r"}, 12,
       {"boot KELP\r", "boot KELP\r", "\r", "P", "g.0095\r"}, "BSLInvocation successful (1 tries)"},
      {"\"$$\" also starts it", "boot KELP\r", {"$$"}, 12,
       {"boot KELP\r", "\r", "P", "g.0095\r"}, "BSLInvocation successful (1 tries)"},
      {"prompt probe unanswered once", "\r", {"x", "$"}, 12,
       {"boot KELP\r", "\r", "\r", "P", "g.0095\r"}, "BSLInvocation successful (2 tries)"},
      {"handshake refused once", "P", {"-", "#"}, 12,
       {"boot KELP\r", "\r", "P", "\r", "P", "g.0095\r"}, "BSLInvocation successful (2 tries)"},
      {"version refused once", "g.0095\r", {"\rERROR\r", "+7+\r"}, 7,
       {"boot KELP\r", "\r", "P", "g.0095\r", "boot KELP\r", "\r", "P", "g.0095\r"},
       "BSLConnect connected to device running QuilBSL version 7\r\n"},
  };
  for (const StartCase& c : cases) {
    WirePeer peer(Overriding(c.unit, c.answers));
    EXPECT_EQ(BSLConnect(host, peer.path().c_str(), 9600, true, 3), c.result) << c.name;
    EXPECT_EQ(peer.Units(), c.units) << c.name;
    EXPECT_TRUE(Logged(c.logLine)) << c.name;
    BSLDisconnect(host);
  }
}

TEST_F(SessionTest, DeviceWithoutBootloaderFailsAtOnce) {
  WirePeer peer([](const std::string& unit, size_t) {
    return std::string(unit == "boot KELP\r" ? "\rQuilBSL MISSING\r>" : "\r\r>");
  });
  EXPECT_EQ(BSLConnect(host, peer.path().c_str(), 9600, true, 3), kBSLNoBootloader);
  // One boot command, then the probe for a bootloader that might already listen.
  EXPECT_EQ(peer.Units(), (Units{"boot KELP\r", "\r"}));
  EXPECT_FALSE(host.sessionOpen);
  EXPECT_TRUE(Logged("QuilBSL: BSLInvocation failed with error -112\r\n"));
  EXPECT_TRUE(Logged("QuilBSL: BSLCheck didn't get a response from the QuilBSL\r\n"));
  EXPECT_TRUE(Logged("QuilBSL: BSLConnect failed to connect to device (error -112)\r\n"));
}

TEST_F(SessionTest, ConnectArguments) {
  EXPECT_EQ(BSLConnect(host, nullptr, 9600, true, 3), kBSLMissingArgument);
  EXPECT_EQ(BSLConnect(host, "", 9600, true, 3), kBSLMissingArgument);
  const int32_t r = BSLConnect(host, dir.File("no-such-port").c_str(), 9600, true, 3);
  EXPECT_EQ(r, kQSErrNotAvailable);
  EXPECT_TRUE(Logged("BSLConnect received error while opening serial port (-2)\r\n"));
  EXPECT_FALSE(host.sessionOpen);

  WirePeer peer;
  EXPECT_EQ(BSLConnect(host, peer.path().c_str(), 9600, true, 0), kBSLNoAttempt);
  EXPECT_TRUE(peer.Units().empty());
  EXPECT_FALSE(host.sessionOpen);
}

TEST_F(SessionTest, CheckTellsWhetherTheBootloaderListens) {
  struct Case {
    const char* answer;
    int32_t result;
    const char* logLine;
  };
  const Case cases[] = {
      {"?\r", kBSLAlreadyActive, "BSLCheck found the QuilBSL already active\r\n"},
      {"$", kBSLWaiting, "BSLCheck found the QuilBSL waiting for a connection\r\n"},
      {"\r\r>", kBSLNoAnswer, "BSLCheck didn't get a response from the QuilBSL\r\n"},
  };
  for (const Case& c : cases) {
    WirePeer peer(Overriding("\r", {c.answer}));
    EXPECT_EQ(BSLCheck(host, peer.path().c_str(), 9600), c.result) << c.answer;
    EXPECT_TRUE(host.sessionOpen);  // left open for the caller
    EXPECT_EQ(peer.Units(), Units{"\r"});
    EXPECT_TRUE(Logged(c.logLine)) << c.answer;
    BSLDisconnect(host);
  }
}

}  // namespace
