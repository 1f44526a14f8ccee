// The numbered lists of an instrument: "eqn" and "user" records, and the calibration lists of
// the RV ("-cal 0" to "-cal 19") and the TRNK6 ("-cal1" to "-cal7").

#include <gtest/gtest.h>

#include <string>

#include "tests/sim/instrument_wire.h"

namespace {

using instrument_wire::Answer;
using instrument_wire::Device;

class RecordLists : public ::testing::Test {
 protected:
  void SetUp() override {
    d_ = Device::Start("V8X", "2.05");
    ASSERT_TRUE(d_.ok());
    ASSERT_EQ(d_.wire->TypeLogin(), Answer("OK"));
  }
  std::string Ask(const std::string& c) { return d_.wire->Ask(c); }
  Device d_;
};

struct ListCase {
  const char* word;
  size_t count;     // records of a device in use
  size_t capacity;  // most records the list holds
};

TEST_F(RecordLists, ReplaceAppendAndRefuse) {
  for (ListCase l : {ListCase{"eqn", 3, 100}, ListCase{"user", 3, 25}}) {
    std::string w = l.word;
    SCOPED_TRACE(w);
    EXPECT_EQ(Ask("get -" + w), Answer(std::to_string(l.count)));
    // Replacing a record keeps the count.
    EXPECT_EQ(Ask("set -" + w + " 1 Replaced 1.0 2.0"), Answer("OK"));
    EXPECT_EQ(Ask("get -" + w + " 1"), Answer("Replaced 1.0 2.0"));
    EXPECT_EQ(Ask("get -" + w), Answer(std::to_string(l.count)));
    // A record right after the last one is added; one further on would leave a gap.
    EXPECT_EQ(Ask("set -" + w + " " + std::to_string(l.count + 1) + " Gap"), Answer("ERROR"));
    EXPECT_EQ(Ask("set -" + w + " " + std::to_string(l.count) + " Added"), Answer("OK"));
    EXPECT_EQ(Ask("get -" + w), Answer(std::to_string(l.count + 1)));
    EXPECT_EQ(Ask("get -" + w + " " + std::to_string(l.count)), Answer("Added"));
    // A value holds at most 100 characters.
    EXPECT_EQ(Ask("set -" + w + " 0 " + std::string(100, 'v')), Answer("OK"));
    EXPECT_EQ(Ask("get -" + w + " 0"), Answer(std::string(100, 'v')));
    EXPECT_EQ(Ask("set -" + w + " 0 " + std::string(101, 'w')), Answer("ERROR"));
    EXPECT_EQ(Ask("get -" + w + " 0"), Answer(std::string(100, 'v')));
    // Malformed requests.
    for (const char* bad : {" 0", " x Value", " -1 Value", " 1"}) {
      EXPECT_EQ(Ask("set -" + w + bad), Answer("ERROR")) << bad;
    }
    EXPECT_EQ(Ask("get -" + w + " x"), Answer("ERROR"));
    EXPECT_EQ(Ask("get -" + w + " -1"), Answer("ERROR"));
    // Filled up to its capacity, and no further.
    for (size_t i = l.count + 1; i < l.capacity; ++i) {
      ASSERT_EQ(Ask("set -" + w + " " + std::to_string(i) + " R" + std::to_string(i)),
                Answer("OK"));
    }
    EXPECT_EQ(Ask("get -" + w), Answer(std::to_string(l.capacity)));
    EXPECT_EQ(Ask("set -" + w + " " + std::to_string(l.capacity) + " Over"), Answer("ERROR"));
  }
}

TEST(RecordListsQhm, HasUserRecordsButNoEquations) {
  Device d = Device::Start("QHM", "1.00");
  ASSERT_TRUE(d.ok());
  EXPECT_EQ(d.wire->Ask("get -user"), Answer("1"));
  EXPECT_EQ(d.wire->Ask("get -user 0"), Answer("MgkxCTAJU2lsdCBMb2FtCTAuNDEyCTAuMDUxCTEuMzI="));
  EXPECT_EQ(d.wire->Ask("get -eqn"), Answer("?"));
  EXPECT_EQ(d.wire->Ask("set -eqn 0 Loam 1 2"), Answer("?"));
}

struct CalCase {
  const char* type;
  const char* version;
  const char* getFirst;  // the first slot
  const char* getLast;   // the last slot
  const char* setLast;
  const char* getPast;  // one past the last slot
  const char* setPast;
  const char* getUsedEnd;  // the first unused slot of a device in use
};

const CalCase kCalCases[] = {
    {"RV", "1.23", "get -cal 0", "get -cal 19", "set -cal 19 ", "get -cal 20", "set -cal 20 ",
     "get -cal 5"},
    {"TRNK6", "1.00", "get -cal1", "get -cal7", "set -cal7 ", "get -cal8", "set -cal8 ",
     "get -cal5"},
};

class CalibrationLists : public ::testing::TestWithParam<CalCase> {};

TEST_P(CalibrationLists, SlotsReadBackWhatWasSet) {
  const CalCase& c = GetParam();
  Device d = Device::Start(c.type, c.version);
  ASSERT_TRUE(d.ok());
  auto& w = *d.wire;
  EXPECT_NE(w.Ask(c.getFirst), Answer("ERROR"));
  EXPECT_EQ(w.Ask(c.getUsedEnd), Answer("ERROR"));  // an empty slot ends the list
  EXPECT_EQ(w.Ask(c.getLast), Answer("ERROR"));
  std::string entry = "9 X " + std::string(120, '1');  // 124 characters
  EXPECT_EQ(w.Ask(std::string(c.setLast) + entry), Answer("OK"));
  EXPECT_EQ(w.Ask(c.getLast), Answer(entry));
  EXPECT_EQ(w.Ask(std::string(c.setLast) + std::string(129, '2')), Answer("ERROR"));
  EXPECT_EQ(w.Ask(c.getLast), Answer(entry));
  EXPECT_EQ(w.Ask(c.getPast), Answer("ERROR"));
  EXPECT_EQ(w.Ask(std::string(c.setPast) + "1 2"), Answer("ERROR"));
}

std::string CalName(const ::testing::TestParamInfo<CalCase>& info) {
  return info.param.type;
}

INSTANTIATE_TEST_SUITE_P(Types, CalibrationLists, ::testing::ValuesIn(kCalCases), CalName);

}  // namespace
