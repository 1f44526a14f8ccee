// Frames and answers of the bootloader protocol as byte strings.

#include <gtest/gtest.h>

#include <array>
#include <string>

#include "bsl/bsl_codes.h"
#include "bsl/bsl_frame.h"

namespace {

std::string Frame(char command, const std::string& payload) {
  std::array<char, 544> out{};
  const uint32_t n = BSLBuildFrame(command, payload, out);
  return std::string(out.data(), n);
}

std::string Numbers(std::initializer_list<uint32_t> numbers, bool wide) {
  std::array<char, 512> out{};
  const uint32_t n = BSLFormatNumbers(numbers.begin(), static_cast<uint32_t>(numbers.size()), wide, out);
  return std::string(out.data(), n);
}

struct FrameCase {
  char command;
  const char* payload;
  const char* frame;
};

TEST(BSLFrame, ChecksumExamples) {
  const FrameCase cases[] = {
      {'g', "", "g.0095\r"},
      {'X', "1100", "X1100.0148\r"},
      {'@', "01100", "@01100.0160\r"},
      {'@', "1100", "@1100.0130\r"},
      {'V', "FFFF", "VFFFF.019C\r"},
  };
  for (const FrameCase& c : cases) EXPECT_EQ(Frame(c.command, c.payload), c.frame) << c.frame;
}

TEST(BSLFrame, ChecksumIsModulo65535) {
  EXPECT_EQ(BSLChecksum(std::string(257, '\xFF')), 0u);  // 65535
  EXPECT_EQ(BSLChecksum(std::string(257, '\xFF') + "\x01"), 1u);
  EXPECT_EQ(BSLChecksum(std::string(256, '\xFF') + "\xFE"), 65534u);
}

TEST(BSLFrame, FrameThatDoesNotFitIsRefused) {
  std::array<char, 10> small{};
  EXPECT_EQ(BSLBuildFrame('X', "1100", small), 0u);  // needs 11
  std::array<char, 11> exact{};
  EXPECT_EQ(BSLBuildFrame('X', "1100", exact), 11u);
}

TEST(BSLFrame, NumbersAreFourOrFiveUpperCaseDigits) {
  EXPECT_EQ(Numbers({0x1100}, false), "1100");
  EXPECT_EQ(Numbers({0x1100}, true), "01100");
  EXPECT_EQ(Numbers({0xabc, 0xFFFF, 0}, false), "0ABCFFFF0000");
  EXPECT_EQ(Numbers({0x1FE00}, true), "1FE00");
}

TEST(BSLFrame, NumbersThatWouldShiftTheFieldsAreRefused) {
  EXPECT_EQ(Numbers({0x10000}, false), "");   // five digits where four are read
  EXPECT_EQ(Numbers({0x100000}, true), "");
  std::array<uint32_t, 128> many{};
  std::array<char, 512> out{};
  EXPECT_EQ(BSLFormatNumbers(many.data(), 128, false, out), 512u);
  EXPECT_EQ(BSLFormatNumbers(many.data(), 102, true, out), 510u);
  EXPECT_EQ(BSLFormatNumbers(many.data(), 103, true, out), 0u);  // 515 characters
}

struct AnswerCase {
  const char* answer;
  int32_t result;
};

TEST(BSLFrame, AnswerMeaning) {
  const AnswerCase cases[] = {
      {"+\r", 2},         {"+", 1},   {"+12+\r", 5}, {"\r+\r", 3},  // "+" second: acknowledged
      {"-\r", kBSLRefused}, {"?\r", kBSLRefused}, {"$", kBSLRefused},
      {"ERROR\r>", kBSLRefused}, {"", kBSLNoAnswer},
  };
  for (const AnswerCase& c : cases) EXPECT_EQ(BSLClassifyAnswer(c.answer), c.result) << c.answer;
}

TEST(BSLFrame, VersionAnswer) {
  int32_t v = -1;
  EXPECT_TRUE(BSLParseVersion("+12+\r", v));
  EXPECT_EQ(v, 12);
  EXPECT_TRUE(BSLParseVersion("+7", v));
  EXPECT_EQ(v, 7);
  EXPECT_FALSE(BSLParseVersion("+\r", v));
  EXPECT_FALSE(BSLParseVersion("-\r", v));
  EXPECT_FALSE(BSLParseVersion("", v));
  EXPECT_TRUE(BSLParseVersion("+99999999999999+", v));  // digits beyond nine are not read
  EXPECT_EQ(v, 999999999);
}

}  // namespace
