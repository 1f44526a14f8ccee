// Values read out of answers, and the clock's device seconds.

#include <gtest/gtest.h>

#include <string>

#include "protocol/answer_values.h"
#include "protocol/quil_protocol.h"

namespace {

struct StringCase {
  const char* answer;
  uint32_t maxChars;
  ValueVerdict verdict;
  const char* value;
};

class StringValues : public ::testing::TestWithParam<StringCase> {};

TEST_P(StringValues, FirstLineOfTheAnswer) {
  std::string value;
  EXPECT_EQ(ValueFromAnswer(GetParam().answer, GetParam().maxChars, value), GetParam().verdict);
  if (GetParam().verdict == ValueVerdict::Found) {
    EXPECT_EQ(value, GetParam().value);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Answers, StringValues,
    ::testing::Values(StringCase{"\rMTQ104826\r>", 15, ValueVerdict::Found, "MTQ104826"},
                      StringCase{"\r\nMTQ104826\r\n>", 15, ValueVerdict::Found, "MTQ104826"},
                      StringCase{"\rMTQ104826\r>", 4, ValueVerdict::Found, "MTQ1"},
                      StringCase{"4 1 0 300 2\r>", 64, ValueVerdict::Found, "4 1 0 300 2"},
                      StringCase{"\r>", 15, ValueVerdict::LeadingPrompt, ""},
                      StringCase{"\r\r>", 15, ValueVerdict::Empty, ""},
                      StringCase{"\rError: no such value\r>", 15, ValueVerdict::ErrorText, ""},
                      StringCase{"", 15, ValueVerdict::Empty, ""}));

struct LongCase {
  const char* answer;
  std::optional<int32_t> value;
};

class LongValues : public ::testing::TestWithParam<LongCase> {};

TEST_P(LongValues, NumberAfterTheFirstCarriageReturn) {
  EXPECT_EQ(LongFromAnswer(GetParam().answer), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, LongValues,
    ::testing::Values(LongCase{"\r42\r>", 42}, LongCase{"\r\n-7\r\n>", -7}, LongCase{"42\r>", std::nullopt},
                      LongCase{"42", 42}, LongCase{"\r  +15 rest\r>", 15}, LongCase{"\rword\r>", std::nullopt},
                      LongCase{"\r99999999999\r>", std::nullopt}, LongCase{"\r-2147483648\r>", INT32_MIN}));

TEST(LeadingNumber, ReadsLikeAPercentD) {
  EXPECT_EQ(ReadLeadingNumber("\r87\r>"), 87);
  EXPECT_EQ(ReadLeadingNumber("\rLow\r>"), std::nullopt);
  EXPECT_EQ(ReadLeadingNumber("-"), std::nullopt);
}

TEST(DeviceSeconds, CountLocalTimeFrom2000) {
  EXPECT_EQ(QPDeviceSeconds(1356998400, 0), 410313600);  // 2013-01-01 00:00:00 UTC
  EXPECT_EQ(QPDeviceSeconds(1356998400, -7 * 3600), 410313600 - 7 * 3600);
}

}  // namespace
