#include "link/answer_parsing.h"

#include <gtest/gtest.h>

#include <array>
#include <clocale>
#include <string>

#include "link/wire_format.h"

namespace {

TEST(AnswerParsing, NumbersStopAtTheEndOfTheView) {
  // The view ends inside "123456": nothing past it may be read.
  const std::string buffer = "\r123456\r>";
  std::string_view view(buffer.data(), 4);
  EXPECT_EQ(ReadInt(view), 123);
  EXPECT_TRUE(view.empty());

  std::string_view text = "  -42 rest";
  EXPECT_EQ(ReadInt(text), -42);
  EXPECT_EQ(text, " rest");
  std::string_view none = "\r\r>";
  EXPECT_FALSE(ReadInt(none).has_value());
  EXPECT_EQ(none, "\r\r>");
}

TEST(AnswerParsing, NumbersThatDoNotFitAreNotRead) {
  std::string_view big = "99999999999";
  EXPECT_FALSE(ReadInt(big).has_value());
  std::string_view min = "-2147483648";
  EXPECT_EQ(ReadInt(min), INT32_MIN);
  std::string_view huge = "99999999999";
  EXPECT_EQ(ReadUnsigned(huge), UINT32_MAX);
  std::string_view negative = "-5";
  EXPECT_FALSE(ReadUnsigned(negative).has_value());
  std::string_view hexBig = "1FFFFFFFF";
  EXPECT_FALSE(ReadHex(hexBig).has_value());
}

TEST(AnswerParsing, HexWithAndWithoutPrefix) {
  struct {
    const char* text;
    std::optional<uint32_t> value;
  } cases[] = {{"A\r", 10}, {"0x1F", 31}, {" ffff\r", 0xFFFF}, {"OK", std::nullopt},
               {"0x", 0}, {"-1", std::nullopt}};
  for (const auto& c : cases) {
    std::string_view t = c.text;
    EXPECT_EQ(ReadHex(t), c.value) << c.text;
  }
}

TEST(AnswerParsing, WordsAndLinesKeepTheirLimits) {
  std::string_view text = "\r  LONGNAMEXYZ\r>";
  EXPECT_EQ(ReadWord(text, 8), "LONGNAME");
  EXPECT_EQ(text, "XYZ\r>");
  EXPECT_EQ(TextLine("North Lake Station 1\r>", 10), "North Lake");
  EXPECT_EQ(TextLine("site\r>", 25), "site");
  EXPECT_EQ(AfterFirstCR("\rvalue\r>"), "value\r>");
  EXPECT_EQ(AfterFirstCR("value"), "value");
  EXPECT_EQ(AfterLabel("ID: K30", "ID:"), "K30");
  EXPECT_EQ(AfterLabel("ID:", "ID:"), "");
  EXPECT_FALSE(AfterLabel("Name: K30", "ID:").has_value());
}

TEST(AnswerParsing, CommaLocaleChangesNoNumberOnTheWire) {
  const char* previous = std::setlocale(LC_NUMERIC, nullptr);
  std::string saved = previous != nullptr ? previous : "C";
  if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr) {
    GTEST_SKIP() << "de_DE.UTF-8 not installed";
  }
  EXPECT_EQ(FormatSignedDegrees(46.7321), "+46.73210");
  EXPECT_EQ(FormatSignedDegrees(-122.5), "-122.50000");
  std::string_view text = "\r46.73210\r>";
  EXPECT_DOUBLE_EQ(ReadDouble(text).value_or(0), 46.7321);
  std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(WireFormat, SecretsAreMaskedInCommands) {
  EXPECT_EQ(MaskSecrets("set -passwd hunter2\r"), "set -passwd ********\r");
  EXPECT_EQ(MaskSecrets("set -authkey 0123456789abcdef0123456789abcdef\r"),
            "set -authkey ********\r");
  EXPECT_EQ(MaskSecrets("set -apn internet\r"), "set -apn internet\r");
  EXPECT_EQ(MaskSecrets("get -passwd\r"), "get -passwd\r");
}

}  // namespace
