#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <ctime>
#include <fstream>

#include "serial/quil_log.h"
#include "tests/support/sim_fixture.h"

namespace {

// 22 Feb 2013 9:05:07 in the zone the test sets (UTC).
std::time_t FixedTime() {
  std::tm tm{};
  tm.tm_year = 113;
  tm.tm_mon = 1;
  tm.tm_mday = 22;
  tm.tm_hour = 9;
  tm.tm_min = 5;
  tm.tm_sec = 7;
  return timegm(&tm);
}

class LogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("TZ", "UTC", 1);
    tzset();
  }
  QuilLog MakeLog(uint32_t level) {
    QuilLog log(dir.File("Vapora MTQ Firmware Updater.errors.txt"), level);
    log.clock = FixedTime;
    return log;
  }
  TempDir dir;
};

TEST_F(LogTest, LineFormatHasUnpaddedHourAndPaddedMinutesAndSeconds) {
  QuilLog log = MakeLog(40);
  int n = LogMessage(&log, 40, "COM3", "QSWrite wrote %d bytes", 5);
  const std::string expected = "22 Feb 2013 9:05:07 - COM3: QSWrite wrote 5 bytes\r\n";
  EXPECT_EQ(n, static_cast<int>(expected.size()));
  EXPECT_EQ(ReadWholeFile(log.fileName), expected);
}

TEST_F(LogTest, MonthNamesAreEnglishWhateverTheLocale) {
  setenv("LC_ALL", "de_DE.UTF-8", 1);
  std::setlocale(LC_ALL, "");
  for (int m = 0; m < 12; ++m) {
    std::tm tm{};
    tm.tm_year = 126;
    tm.tm_mon = m;
    tm.tm_mday = 3;
    tm.tm_hour = 14;
    std::string stamp = LogTimeStamp(timegm(&tm));
    static const char* names[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                  "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    EXPECT_EQ(stamp, std::string("3 ") + names[m] + " 2026 14:00:00");
  }
  std::setlocale(LC_ALL, "C");
  unsetenv("LC_ALL");
}

TEST_F(LogTest, LevelFilter) {
  struct Case {
    uint32_t logLevel, messageLevel;
    bool written;
  } cases[] = {
      {1, 30, false}, {1, 1, true},   {0, 1, false},  {0, 0, true},
      {30, 30, true}, {30, 40, false}, {40, 40, true}, {10, 10, true},
  };
  for (const Case& c : cases) {
    QuilLog log = MakeLog(c.logLevel);
    std::remove(log.fileName.c_str());
    int n = LogMessage(&log, c.messageLevel, "QuilBSL", "line");
    EXPECT_EQ(n > 0, c.written) << "log " << c.logLevel << " message " << c.messageLevel;
    EXPECT_EQ(ReadWholeFile(log.fileName).empty(), !c.written);
  }
}

TEST_F(LogTest, InvalidLevelBecomesOne) {
  EXPECT_EQ(QuilLog("x", 20).level, 1u);
  EXPECT_EQ(QuilLog("x", 30).level, 30u);
  EXPECT_EQ(QuilLog("x", 0).level, 0u);
}

TEST_F(LogTest, FileIsReadableByItsOwnerOnly) {
  QuilLog log = MakeLog(1);
  ASSERT_GT(LogMessage(&log, 1, "QuilBSL", "x"), 0);
  struct stat st {};
  ASSERT_EQ(stat(log.fileName.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(LogTest, UnwritableLogReturnsZeroAndSizeIsNegative) {
  QuilLog log(dir.File("missing-folder/log.txt"), 40);
  EXPECT_EQ(LogMessage(&log, 1, "QuilBSL", "x"), 0);
  EXPECT_LT(LogFileSize(&log), 0);
  EXPECT_EQ(LogMessage(nullptr, 1, "QuilBSL", "x"), 0);
}

void WriteLines(const std::string& path, int lines, int width) {
  std::ofstream out(path, std::ios::binary);
  for (int i = 0; i < lines; ++i) {
    std::string body = std::to_string(i);
    body.resize(static_cast<size_t>(width - 2), '.');
    out << body << "\r\n";
  }
}

TEST_F(LogTest, KeepTailLeavesShortFileAlone) {
  QuilLog log = MakeLog(1);
  WriteLines(log.fileName, 100, 100);  // 10000 bytes
  std::string before = ReadWholeFile(log.fileName);
  EXPECT_TRUE(KeepTail(&log, 32768));
  EXPECT_EQ(ReadWholeFile(log.fileName), before);
  EXPECT_EQ(LogFileSize(&log), 10000);
}

TEST_F(LogTest, KeepTailKeepsWholeLinesOfTheLastPart) {
  QuilLog log = MakeLog(1);
  WriteLines(log.fileName, 983, 100);  // 98300 bytes, three times the limit
  std::string before = ReadWholeFile(log.fileName);
  EXPECT_TRUE(KeepTail(&log, 32768));
  std::string after = ReadWholeFile(log.fileName);
  ASSERT_LE(after.size(), 32768u);
  // The lines that begin within the last 32768 bytes, whole.
  size_t cut = before.find('\n', before.size() - 32768) + 1;
  EXPECT_EQ(after, before.substr(cut));
  EXPECT_EQ(after.substr(0, 3), "656");
}

TEST_F(LogTest, KeepTailWithoutLineFeedInTailLeavesEmptyFile) {
  QuilLog log = MakeLog(1);
  std::ofstream(log.fileName, std::ios::binary) << "x\n" << std::string(5000, 'y');
  EXPECT_TRUE(KeepTail(&log, 1000));
  EXPECT_EQ(ReadWholeFile(log.fileName), "");
}

TEST_F(LogTest, KeepTailReplacesAWorkFileLeftByAFailedCut) {
  QuilLog log = MakeLog(1);
  std::ofstream(log.fileName + ".temp", std::ios::binary) << "stale text of an earlier cut\r\n";
  WriteLines(log.fileName, 50, 100);
  std::string before = ReadWholeFile(log.fileName);
  EXPECT_TRUE(KeepTail(&log, 1000));
  std::string after = ReadWholeFile(log.fileName);
  EXPECT_EQ(after.find("stale"), std::string::npos);
  // The cut starts at 4000, a line start, and drops that line too: the rest begins at 4100.
  EXPECT_EQ(after, before.substr(4100));
  EXPECT_FALSE(std::ifstream(log.fileName + ".temp").good());
}

TEST_F(LogTest, KeepTailOfMissingFileFails) {
  QuilLog log = MakeLog(1);
  EXPECT_FALSE(KeepTail(&log, 100));
}

}  // namespace
