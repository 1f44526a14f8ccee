// The loggers' own readers of command arguments, and their calendar.
#include <gtest/gtest.h>

#include <clocale>
#include <string>
#include <vector>

#include "sim/logger_clock.h"
#include "sim/logger_families.h"
#include "sim/logger_parse.h"

namespace {

TEST(LoggerParse, DecimalsOnlyWholeAndInRange) {
  EXPECT_EQ(ParseDecimal("42", 0, 100), 42);
  EXPECT_EQ(ParseDecimal(" +7 ", 0, 100), 7);
  EXPECT_EQ(ParseDecimal("-32", -48, 56), -32);
  for (const char* bad : {"", " ", "4 2", "42x", "0x10", "101", "-1", "+", "--1", "99999999999999999999"})
    EXPECT_EQ(ParseDecimal(bad, 0, 100), std::nullopt) << bad;
}

TEST(LoggerParse, HexNumbers) {
  EXPECT_EQ(ParseHex("1a2B", 0xFFFF), 0x1A2Bu);
  EXPECT_EQ(ParseHex("0", 6), 0u);
  for (const char* bad : {"", "G", "7", "-1", "1 2", "123456789"}) EXPECT_EQ(ParseHex(bad, 6), std::nullopt) << bad;
}

TEST(LoggerParse, FiveNumbersExactly) {
  long v[5] = {};
  EXPECT_TRUE(ParseNumbers("1 2  3 4 5", v, 0, 255));
  EXPECT_EQ(v[4], 5);
  EXPECT_FALSE(ParseNumbers("1 2 3 4", v, 0, 255));
  EXPECT_FALSE(ParseNumbers("1 2 3 4 5 6", v, 0, 255));
  EXPECT_FALSE(ParseNumbers("1 2 3 4 256", v, 0, 255));
  EXPECT_FALSE(ParseNumbers("", v, 0, 255));
}

TEST(LoggerParse, FixedPointWhateverTheLocale) {
  // A comma-decimal locale must change neither reading nor writing.
  const char* before = std::setlocale(LC_NUMERIC, nullptr);
  std::string saved = before ? before : "C";
  bool german = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
  EXPECT_EQ(FormatFixed5(46.7321), "+46.73210");
  EXPECT_EQ(FormatFixed5(-117.1794), "-117.17940");
  EXPECT_EQ(FormatFixed5(-0.0), "+0.00000");
  EXPECT_EQ(ParseReal("+46.73210"), 46.7321);
  EXPECT_EQ(ParseReal("-5"), -5.0);
  EXPECT_EQ(ParseReal("4,5"), std::nullopt);
  EXPECT_EQ(ParseReal("1e3"), std::nullopt);
  EXPECT_EQ(ParseReal("nan"), std::nullopt);
  std::setlocale(LC_NUMERIC, saved.c_str());
  if (!german) GTEST_LOG_(INFO) << "de_DE.UTF-8 not installed: checked in the C locale only";
}

TEST(LoggerCalendar, SecondsSince2000) {
  struct Case {
    CivilTime t;
    int64_t seconds;
  };
  for (const Case& c : std::vector<Case>{{{2000, 1, 1, 0, 0, 0}, 0},
                                         {{2013, 1, 1, 0, 0, 0}, 410313600},
                                         {{2013, 2, 22, 9, 5, 7}, 414839107},
                                         {{2000, 3, 1, 0, 0, 0}, 60 * 86400},
                                         {{2068, 1, 19, 3, 14, 7}, 2147483647}}) {
    EXPECT_EQ(SecondsSince2000(c.t), c.seconds);
    CivilTime back = CivilFromSeconds(c.seconds);
    EXPECT_EQ(SecondsSince2000(back), c.seconds);
    EXPECT_EQ(back.year, c.t.year);
    EXPECT_EQ(back.month, c.t.month);
    EXPECT_EQ(back.day, c.t.day);
  }
}

TEST(LoggerCalendar, TheSecondsFormKeepsTo31Bits) {
  LoggerClock clock;
  EXPECT_TRUE(clock.Set(414839107, 1000));
  EXPECT_EQ(clock.Seconds(3999), 414839109);
  EXPECT_EQ(clock.DateTimeText(1000), "Date\\Time: 2013-2-22 9:05:07");
  EXPECT_FALSE(clock.Set(-1, 1000));
  EXPECT_FALSE(clock.Set(2147483648LL, 1000));
  EXPECT_EQ(clock.Seconds(1000), 414839107);
}

TEST(LoggerFamilies, VersionNumbers) {
  EXPECT_EQ(VersionNumber("2.02"), 202);
  EXPECT_EQ(VersionNumber("1.5"), 150);
  EXPECT_EQ(VersionNumber("10.00"), 1000);
  for (const char* bad : {"", "2", "2.", ".5", "2.003", "a.01", "2.0x"}) EXPECT_EQ(VersionNumber(bad), -1) << bad;
}

TEST(LoggerFamilies, Kt30FeaturesArriveWithTheirVersions) {
  const LoggerFamily* kt30 = FindLoggerFamily("kt30");
  ASSERT_NE(kt30, nullptr);
  struct Case {
    int version;
    uint32_t has, lacks;
  };
  for (const Case& c : std::vector<Case>{{105, kFeatBaud | kFeatRadio | kFeatClock, kFeatTraitGet},
                                         {108, kFeatTraitGet, kFeatAdc},
                                         {114, kFeatAdc | kFeatData | kFeatBuild, kFeatCellular},
                                         {118, kFeatCellular, kFeatSite | kFeatAuthKeyName},
                                         {200, kFeatSite | kFeatAuthKeyName, kFeatLatLon},
                                         {202, kFeatLatLon, kFeatClockSeconds | kFeatAdcShort}}) {
    uint32_t f = LoggerFeatures(*kt30, c.version);
    EXPECT_EQ(f & c.has, c.has) << c.version;
    EXPECT_EQ(f & c.lacks, 0u) << c.version;
  }
  EXPECT_FALSE(IsOldFirmware(*kt30, 100));
  const LoggerFamily* kt3 = FindLoggerFamily("KT3");
  ASSERT_NE(kt3, nullptr);
  EXPECT_TRUE(IsOldFirmware(*kt3, 199));
  EXPECT_FALSE(IsOldFirmware(*kt3, 200));
  EXPECT_EQ(FindLoggerFamily("MTQ"), nullptr);
  EXPECT_EQ(FindLoggerFamily("RV"), nullptr);
}

}  // namespace
