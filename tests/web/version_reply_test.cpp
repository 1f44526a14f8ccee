// Reading the version-finder file.

#include "web/version_reply.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

namespace {

struct ReplyCase {
  const char* label;
  std::string body;
  int32_t result;
  uint32_t version;
  const char* address;
  bool download;
};

const ReplyCase kReplyCases[] = {
    {"two decimals, download", "3.62 http://www.example.com/MtqUpdater.exe", 1, 362,
     "http://www.example.com/MtqUpdater.exe", true},
    {"whole number", "362 http://www.example.com/mtq.html", 1, 362,
     "http://www.example.com/mtq.html", false},
    {"one digit is a major version", "5 http://www.example.com/", 1, 500, "http://www.example.com/",
     false},
    {"9 is below 10", "9 http://x.example.com/", 1, 900, "http://x.example.com/", false},
    {"10 is taken as it is", "10 http://x.example.com/", 1, 10, "http://x.example.com/", false},
    {"above 100 is not scaled", "361.7 http://x.example.com/", 1, 361, "http://x.example.com/",
     false},
    {"binary rounding does not lose a hundredth", "4.35 http://x.example.com/", 1, 435,
     "http://x.example.com/", false},
    {"three decimals truncate", "3.629 http://x.example.com/", 1, 362, "http://x.example.com/",
     false},
    {"trailing white space and line ends", "3.62\thttp://x.example.com/a.exe \r\n\r\n", 1, 362,
     "http://x.example.com/a.exe", true},
    {"blanks before the separator", "  3.62   http://x.example.com/", 1, 362,
     "http://x.example.com/", false},
    {"a second line is not part of the address", "3.62 http://x.example.com/a.html\nnotes: fixes",
     1, 362, "http://x.example.com/a.html", false},
    {"UTF-8 byte order mark",
     "\xEF\xBB\xBF"
     "3.62 http://x.example.com/",
     1, 362, "http://x.example.com/", false},
    {".exe anywhere makes a download", "3.62 http://x.example.com/get.exe?build=362", 1, 362,
     "http://x.example.com/get.exe?build=362", true},
    {"no separator: the last digit is taken for it", "3.62http://x.example.com/", 1, 360,
     "http://x.example.com/", false},
    {"https", "3.62 https://x.example.com/", 1, 362, "https://x.example.com/", false},
    {"address first", "http://www.example.com/MtqUpdater.exe 3.62", -1002, 0, "", false},
    {"one character before the address", "5http://x.example.com/", -1002, 0, "", false},
    {"no http", "3.62 www.example.com", -1002, 0, "", false},
    {"empty", "", -1002, 0, "", false},
    {"not a number", "new http://x.example.com/", -1002, 0, "", false},
    {"comma decimal", "3,62 http://x.example.com/", -1002, 0, "", false},
    {"negative", "-5 http://x.example.com/", -1002, 0, "", false},
    {"not finite", "inf http://x.example.com/", -1002, 0, "", false},
    {"out of range", "1e12 http://x.example.com/", -1002, 0, "", false},
    {"integer out of range", "99999999999 http://x.example.com/", -1002, 0, "", false},
    {"html page", "<html><body>3.62 http://x.example.com/</body></html>", -1002, 0, "", false},
};

TEST(VersionReply, ReadsTheTable) {
  for (const ReplyCase& c : kReplyCases) {
    SCOPED_TRACE(c.label);
    VersionReply reply;
    reply.version = 7;
    ASSERT_EQ(ParseVersionReply(c.body, &reply), c.result);
    if (c.result < 0) {
      EXPECT_EQ(reply.version, 7u) << "a failed read leaves the record alone";
      continue;
    }
    EXPECT_EQ(reply.version, c.version);
    EXPECT_EQ(reply.webAddress, c.address);
    EXPECT_EQ(reply.download, c.download);
  }
}

TEST(VersionReply, AddressIsCutAt999Characters) {
  const std::string address = "http://x.example.com/" + std::string(2000, 'a');
  VersionReply reply;
  ASSERT_EQ(ParseVersionReply("3.62 " + address, &reply), 1);
  EXPECT_EQ(reply.webAddress, address.substr(0, 999));
}

TEST(VersionReply, ReadsBytesOnlyUpToTheGivenLength) {
  const char text[] = "3.62 http://x.example.com/a.exe";
  VersionReply reply;
  // The view ends before ".exe": nothing after it may be read.
  ASSERT_EQ(ParseVersionReply(std::string_view(text, sizeof(text) - 1 - 4), &reply), 1);
  EXPECT_EQ(reply.webAddress, "http://x.example.com/a");
  EXPECT_FALSE(reply.download);
}

TEST(VersionReply, NumbersAreReadTheSameUnderACommaLocale) {
  const std::string saved = std::setlocale(LC_ALL, nullptr);
  if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) GTEST_SKIP() << "de_DE.UTF-8 not installed";
  VersionReply reply;
  const int32_t result = ParseVersionReply("3.62 http://x.example.com/", &reply);
  std::setlocale(LC_ALL, saved.c_str());
  ASSERT_EQ(result, 1);
  EXPECT_EQ(reply.version, 362u);
}

}  // namespace
