// Record sets: names from values, the sort order, and the records of a settings file.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "protocol/quil_protocol.h"
#include "protocol/settings_file.h"
#include "tests/support/sim_fixture.h"

namespace {

class Records : public ::testing::Test {
 protected:
  RecordSet Set(std::vector<std::string> values) {
    RecordSet set;
    for (const std::string& v : values) {
      InstRecord r;
      SetText(r.recordValue, v);
      set.records.push_back(r);
    }
    return set;
  }
  static std::vector<std::string> Names(const RecordSet& set) {
    std::vector<std::string> names;
    for (const InstRecord& r : set.records) names.emplace_back(TextOf(r.recordName));
    return names;
  }

  TempDir dir;
  QuilLog log{dir.File("protocol.log"), 40};
  Quil_protocol qp{&log};
};

TEST_F(Records, EqualNamesInAnyCaseKeepTheLaterFirst) {
  RecordSet set = Set({"beta 1.0", "Alpha 2.0", "alpha 3.0"});
  ASSERT_EQ(AlphabetizeRecords(qp, set, kRecordsEqn), 1);
  EXPECT_EQ(Names(set), (std::vector<std::string>{"alpha", "Alpha", "beta"}));
  EXPECT_EQ(TextOf(set.records[0].recordValue), "alpha 3.0");
}

TEST_F(Records, ShorterNameGoesBeforeTheLongerOneItBegins) {
  RecordSet set = Set({"Peat_moss 1", "peat 2", "Clay 3", "clay`x 4"});
  ASSERT_EQ(AlphabetizeRecords(qp, set, kRecordsEqn), 1);
  EXPECT_EQ(Names(set), (std::vector<std::string>{"Clay", "clay,x", "peat", "Peat moss"}));
}

struct UserNameCase {
  const char* decoded;  // fields separated by tabs
  const char* name;
};

class UserNames : public Records, public ::testing::WithParamInterface<UserNameCase> {};

std::string Base64(const std::string& text) {
  static const char* alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (size_t i = 0; i < text.size(); i += 3) {
    uint32_t group = 0;
    size_t n = std::min<size_t>(3, text.size() - i);
    for (size_t k = 0; k < 3; ++k) {
      group = (group << 8) | (k < n ? static_cast<uint8_t>(text[i + k]) : 0);
    }
    for (size_t k = 0; k < 4; ++k) {
      out += k <= n ? alphabet[(group >> (18 - 6 * k)) & 63] : '=';
    }
  }
  return out;
}

TEST_P(UserNames, AreTheFourthFieldCutToNineCharacters) {
  RecordSet set = Set({Base64(GetParam().decoded)});
  ASSERT_EQ(ExtractNames(qp, set, kRecordsUser), 1);
  EXPECT_EQ(Names(set), std::vector<std::string>{GetParam().name});
}

INSTANTIATE_TEST_SUITE_P(
    Values, UserNames,
    ::testing::Values(UserNameCase{"2\t1\t0\tSilt Loam\t0.412\t0.051\t1.32", "Silt Loam"},
                      UserNameCase{"4\t2\t0\tBench Sand\t0.362", "Bench San"},
                      UserNameCase{"1\t3\t1\tPeat", "Peat"},
                      UserNameCase{"1\t3\t1\t", ""},
                      // Fewer than three tabs: no name, and the scan stays inside the text.
                      UserNameCase{"1\t3 Peat", ""}, UserNameCase{"", ""}));

TEST_F(Records, SimulatorsUserRecordsDecodeToTheirNames) {
  RecordSet set = Set({"MgkxCTAJU2lsdCBMb2FtCTAuNDEyCTAuMDUxCTEuMzI=",
                       "NAkyCTAJQmVuY2ggU2FuZAkwLjM2MgkwLjAzMgkxLjYx",
                       "MQkzCTEJUGVhdCBNb3NzCTAuODAzCTAuMTIwCTAuMjQ="});
  ASSERT_EQ(AlphabetizeRecords(qp, set, kRecordsUser), 1);
  EXPECT_EQ(Names(set), (std::vector<std::string>{"Bench San", "Peat Moss", "Silt Loam"}));
}

TEST_F(Records, GarbageValuesGiveNamesWithoutReadingPastThem) {
  RecordSet set = Set({"!!!!", "A", std::string(100, '\t'), "=\t=\t"});
  EXPECT_EQ(ExtractNames(qp, set, kRecordsUser), 1);
}

TEST_F(Records, EqnNamesTurnUnderscoresAndBackquotes) {
  RecordSet set = Set({"Clay`_heavy 0.000291", "ABCDEFGHIJKLMNOPQRSTUVWXYZ 1", "NoNumbers"});
  ASSERT_EQ(ExtractNames(qp, set, kRecordsEqn), 1);
  EXPECT_EQ(Names(set),
            (std::vector<std::string>{"Clay, heavy", "ABCDEFGHIJKLMNOPQRST", "NoNumbers"}));
}

TEST_F(Records, BadTypesAndMissingArrays) {
  RecordSet empty;
  RecordSet one = Set({"a 1"});
  EXPECT_EQ(ExtractNames(qp, empty, kRecordsEqn), -10);
  EXPECT_EQ(ExtractNames(qp, one, 3), -11);
  EXPECT_EQ(AlphabetizeRecords(qp, one, 0), -11);
  EXPECT_EQ(SetRecords_Serial(qp, one, 5), -11);
  EXPECT_EQ(SetRecords_Serial(qp, empty, kRecordsUser), 0);
  EXPECT_EQ(GetRecords_Serial(qp, one, 7), -11);
  EXPECT_EQ(GetRecords_File(qp, one, 0, "eqn00=\"a\"\r\n"), -11);
  std::string logText = ReadWholeFile(dir.File("protocol.log"));
  EXPECT_NE(logText.find("Quil_protocol: ExtractNames found an null record pointer\r\n"),
            std::string::npos);
  EXPECT_NE(logText.find("Quil_protocol: SetRecords_Serial found an empty \"user\" set\r\n"),
            std::string::npos);
}

TEST_F(Records, FromTheFileUpToTheFirstMissingOrEmptyKey) {
  const std::string text = std::string(kSettingsFileHeader) +
                           "type=\"V8X\"\r\nuser00=\"AAA\"\r\nuser01=\"BBB\"\r\nuser03=\"DDD\"\r\n"
                           "eqn00=\"x 1\"\r\neqn01=\"\"\r\neqn02=\"z 3\"\r\n";
  RecordSet user = Set({"old"});
  ASSERT_EQ(GetRecords_File(qp, user, kRecordsUser, text), 1);
  ASSERT_EQ(user.count(), 2);
  EXPECT_EQ(TextOf(user.records[1].recordValue), "BBB");
  RecordSet eqn;
  ASSERT_EQ(GetRecords_File(qp, eqn, kRecordsEqn, text), 1);
  EXPECT_EQ(eqn.count(), 1);
  RecordSet none;
  EXPECT_EQ(GetRecords_File(qp, none, kRecordsUser, "type=\"V8X\"\r\n"), 0);
  std::string logText = ReadWholeFile(dir.File("protocol.log"));
  EXPECT_NE(logText.find("GetRecords_File found a non-null \"user\" set"), std::string::npos);
  EXPECT_NE(logText.find("GetRecords_File retrieved 2 of 2 \"user\" records"), std::string::npos);
  EXPECT_NE(logText.find("GetRecords_File retrieved 1 of 3 \"eqn\" records"), std::string::npos);
}

}  // namespace
