// DeviceCommand and DeviceOptions against a device driven by hand on a pseudo-terminal.

#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "tests/link/link_fixture.h"

namespace {

constexpr uint32_t kTimeoutMs = 150;

struct ExchangeCase {
  const char* name;
  std::vector<std::optional<std::string>> script;
  uint32_t capacity;
  int32_t result;
  std::string answer;
  size_t sends;
  const char* logLine;  // "" for none expected
};

class Exchange : public LinkOnPty, public ::testing::WithParamInterface<ExchangeCase> {};

TEST_P(Exchange, Outcome) {
  const ExchangeCase& c = GetParam();
  device.Script(c.script);
  std::array<char, 64> answer;
  answer.fill('#');
  uint32_t capacity = c.capacity;
  int32_t elapsed = -1;
  int32_t r = DeviceCommand(link, "get -ver\r", '>', kTimeoutMs, answer.data(), capacity, elapsed);
  EXPECT_EQ(r, c.result);
  EXPECT_EQ(std::string(answer.data()), c.answer);
  EXPECT_EQ(capacity, c.answer.size());
  EXPECT_GE(elapsed, 0);
  EXPECT_EQ(Sent().size(), c.sends);
  for (const std::string& sent : Sent()) EXPECT_EQ(sent, "get -ver\r");
  if (c.logLine[0] != '\0') {
    EXPECT_NE(Log().find(c.logLine), std::string::npos) << Log();
  }
}

INSTANTIATE_TEST_SUITE_P(
    DeviceCommand, Exchange,
    ::testing::Values(
        ExchangeCase{"Answer", {"\rKT30 2.02\r>"}, 64, 12, "\rKT30 2.02\r>", 1, ""},
        ExchangeCase{"Echo",
                     {"get -ver\r\rKT30 2.02\r>"},
                     64,
                     -32,
                     "",
                     1,
                     "DeviceCommand is hearing echoed commands -- device is broken? Relay active?"},
        ExchangeCase{"ErrorThenAnswer", {"\rERROR\r>", "\rKT30 2.02\r>"}, 64, 12,
                     "\rKT30 2.02\r>", 2, ""},
        ExchangeCase{"QuestionMarkEveryTime", {"\r?\r>", "\r?\r>", "\r?\r>"}, 64, -34, "", 3, ""},
        ExchangeCase{"UnsupportedEveryTime",
                     {"\rUnsupported\r>", "\rUnsupported\r>", "\rUnsupported\r>"}, 64, -34, "", 3,
                     ""},
        ExchangeCase{"SilentEveryTime", {std::nullopt, std::nullopt, std::nullopt}, 64, -21, "", 3,
                     ""},
        ExchangeCase{"ErrorThenSilence", {"\rERROR\r>", std::nullopt, std::nullopt}, 64, -22, "", 3,
                     ""},
        ExchangeCase{"SilenceThenAnswer", {std::nullopt, "\rKT30 2.02\r>"}, 64, 12,
                     "\rKT30 2.02\r>", 2, ""},
        ExchangeCase{"PromptAlone", {"\r\r>"}, 64, -31, "\r\r>", 1,
                     "DeviceCommand: device returned empty answer"},
        ExchangeCase{"PromptAloneIntoNoRoom", {"\r\r>"}, 1, -31, "", 1, ""},
        ExchangeCase{"Truncated", {"\r0123456789ABCDEFG\r>"}, 10, 20, "\r01234567", 1,
                     "DeviceCommand got 11 more bytes than expected (get -ver\r)"},
        ExchangeCase{"NoTerminator", {"\rpartial"}, 64, 8, "\rpartial", 1, ""}),
    [](const ::testing::TestParamInfo<ExchangeCase>& info) { return std::string(info.param.name); });

TEST_F(LinkOnPty, NullAnswerStillReportsTheCount) {
  device.Script({"\rOK\r>"});
  uint32_t capacity = 0;
  int32_t elapsed = 0;
  EXPECT_EQ(DeviceCommand(link, "set -w 60\r", '>', kTimeoutMs, nullptr, capacity, elapsed), 5);
  EXPECT_STREQ(link.answer.data(), "\rOK\r>");
}

TEST_F(LinkOnPty, TruncationLineNeverShowsASecret) {
  device.Script({"\rOK\r>"});
  std::array<char, 3> answer{};
  uint32_t capacity = answer.size();
  int32_t elapsed = 0;
  EXPECT_EQ(DeviceCommand(link, "set -passwd hunter2\r", '>', kTimeoutMs, answer.data(), capacity,
                          elapsed),
            5);
  EXPECT_EQ(capacity, 2u);
  EXPECT_NE(Log().find("more bytes than expected (set -passwd ********"), std::string::npos);
  EXPECT_EQ(Log().find("hunter2"), std::string::npos);
}

TEST_F(LinkOnPty, TraceSeesCommandsAndAnswers) {
  std::vector<std::string> traced;
  link.traceHook = [&](const char* text) { traced.emplace_back(text); };
  SolixOptions options;
  options.traceMode = 3;
  ASSERT_EQ(DeviceOptions(link, options, 1), 1);
  device.Script({"\rOK\r>"});
  uint32_t capacity = 0;
  int32_t elapsed = 0;
  DeviceCommand(link, "set -w 60\r", '>', kTimeoutMs, nullptr, capacity, elapsed);
  EXPECT_EQ(traced, (std::vector<std::string>{"set -w 60\r", "\rOK\r>"}));
}

TEST_F(LinkOnPty, ClosedPortEndsAtOnce) {
  QSClose(link.port);
  std::array<char, 32> answer{};
  uint32_t capacity = answer.size();
  int32_t elapsed = 0;
  EXPECT_EQ(DeviceCommand(link, "get -ver\r", '>', kTimeoutMs, answer.data(), capacity, elapsed),
            -21);
  EXPECT_EQ(capacity, 0u);
  EXPECT_NE(Log().find("DeviceCommand got unexpected response (-21) from QCommWrite"),
            std::string::npos);
}

TEST(DeviceOptions, ValidatesAndDefaults) {
  SOLIX_Protocol link(nullptr);
  struct {
    uint32_t serialTries, radioTries;
    int8_t traceMode;
    uint32_t extraWaitMs;
    int32_t result;
  } cases[] = {
      {13, 5, 0, 0, -11}, {3, 13, 0, 0, -11},  {3, 5, 4, 0, -11},  {3, 5, -1, 0, -11},
      {3, 5, 0, 30001, -11}, {12, 12, 3, 30000, 1}, {0, 0, 0, 0, 1},
  };
  for (const auto& c : cases) {
    SolixOptions o;
    o.serialTries = c.serialTries;
    o.radioTries = c.radioTries;
    o.traceMode = c.traceMode;
    o.extraWaitMs = c.extraWaitMs;
    EXPECT_EQ(DeviceOptions(link, o, 1), c.result);
  }
  SolixOptions zero;
  zero.serialTries = 0;
  zero.radioTries = 0;
  ASSERT_EQ(DeviceOptions(link, zero, 1), 1);
  EXPECT_EQ(zero.serialTries, 3u);
  EXPECT_EQ(zero.radioTries, 5u);
  EXPECT_EQ(link.tries, 3u);

  SolixOptions out;
  out.serialTries = 99;
  EXPECT_EQ(DeviceOptions(link, out, 0), 1);
  EXPECT_EQ(out.serialTries, 3u);

  link.connection.kind = kConnRadio;
  SolixOptions radio;
  radio.radioTries = 7;
  ASSERT_EQ(DeviceOptions(link, radio, 1), 1);
  EXPECT_EQ(link.tries, 7u);
  link.connection.kind = 0;
}

}  // namespace
