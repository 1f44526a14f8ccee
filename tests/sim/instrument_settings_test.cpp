// Each instrument type answers every value that the updater reads from it before an update,
// and takes it back: set and get round trips at the field's limit, and the value one character
// too long is refused without changing what the device holds.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/sim/instrument_wire.h"

namespace {

using instrument_wire::Answer;
using instrument_wire::Device;

// A value the updater reads: its option word, and the most characters its field holds
// (0 for a signed 32-bit number).
struct Value {
  const char* word;
  int limit;
};

struct TypeValues {
  const char* type;
  const char* version;
  std::vector<Value> values;
};

// The values behind each type's request mask of the settings save.
const TypeValues kTypes[] = {
    {"RV",
     "1.23",
     {{"i", 8}, {"sn", 15}, {"contr", 0}, {"adc15", 128}, {"adc30", 128}, {"units", 128}}},
    {"KCB", "1.02", {{"i", 8}, {"sn", 15}}},
    {"VMINI",
     "1.20",
     {{"sn", 15},
      {"lang", 0},
      {"contr", 0},
      {"fvals", 128},
      {"uvals", 128},
      {"hadj", 128},
      {"tau", 0}}},
    {"SG", "1.40", {{"sn", 15}, {"contr", 0}, {"fvals", 128}, {"units", 0}}},
    {"TQ", "2.10", {{"sn", 15}, {"contr", 0}, {"units", 0}, {"adc", 16}, {"sample", 128}}},
    {"HSRB",
     "1.05",
     {{"sn", 15},
      {"adccal", 63},
      {"wtoffset", 63},
      {"p1offset", 63},
      {"auto", 63},
      {"wtfactory", 63},
      {"sys", 128}}},
    {"V7X", "3.51", {{"adccal", 63}, {"config", 64}}},
    {"RD60",
     "2.00",
     {{"adccal", 63},
      {"loc", 128},
      {"x", 16},
      {"ext", 16},
      {"sn", 15},
      {"contr", 0},
      {"config", 64}}},
    {"QHM", "1.00", {{"sn", 15}, {"config", 64}, {"p", 128}, {"pv", 128}, {"tadj", 128}}},
    {"PTM7", "1.10", {{"sn", 15}, {"config", 64}}},
    {"MTQ", "3.50", {{"sn", 15}, {"config", 64}}},
    {"TRNK6", "1.00", {{"sn", 15}}},
    {"V8X", "2.05", {{"sn", 15}, {"config", 64}, {"tadj", 128}, {"pvuser", 128}, {"sensor", 0}}},
};

// Printable text of n characters, different from any default.
std::string TextOf(size_t n) {
  std::string s;
  for (size_t i = 0; i < n; ++i) s += static_cast<char>('A' + i % 26);
  return s;
}

class InstrumentSettingsRoundTrip : public ::testing::TestWithParam<TypeValues> {};

TEST_P(InstrumentSettingsRoundTrip, EveryValueReadsBackWhatWasSet) {
  const TypeValues& t = GetParam();
  Device d = Device::Start(t.type, t.version);
  ASSERT_TRUE(d.ok());
  auto& w = *d.wire;
  w.TypeLogin();  // "?" from the types without an access code
  for (const Value& v : t.values) {
    std::string get = std::string("get -") + v.word;
    std::string set = std::string("set -") + v.word + " ";
    std::string before = w.Ask(get);
    EXPECT_GT(before.size(), 3u) << get << ": a device in use holds a value";
    EXPECT_NE(before, Answer("?")) << get;
    EXPECT_NE(before, Answer("ERROR")) << get;
    if (v.limit == 0) {
      EXPECT_EQ(w.Ask(set + "-7"), Answer("OK")) << set;
      EXPECT_EQ(w.Ask(get), Answer("-7"));
      EXPECT_EQ(w.Ask(set + "+2147483647"), Answer("OK")) << set;
      EXPECT_EQ(w.Ask(get), Answer("2147483647"));
      for (const char* bad : {"12abc", "2147483648", "", "0x10"}) {
        EXPECT_EQ(w.Ask(set + bad), Answer("ERROR")) << set << bad;
      }
      EXPECT_EQ(w.Ask(get), Answer("2147483647")) << get;
      continue;
    }
    std::string full = TextOf(static_cast<size_t>(v.limit));
    EXPECT_EQ(w.Ask(set + full), Answer("OK")) << set;
    EXPECT_EQ(w.Ask(get), Answer(full)) << get;
    EXPECT_EQ(w.Ask(set + full + "X"), Answer("ERROR")) << set << "(one too long)";
    EXPECT_EQ(w.Ask(set), Answer("ERROR")) << set << "(empty)";
    EXPECT_EQ(w.Ask(get), Answer(full)) << get;
    // Values with blanks are kept whole.
    std::string spaced = std::string("1 ") + TextOf(static_cast<size_t>(std::min(v.limit, 6)) - 2);
    EXPECT_EQ(w.Ask(set + spaced), Answer("OK")) << set;
    EXPECT_EQ(w.Ask(get), Answer(spaced)) << get;
  }
}

std::string TypeName(const ::testing::TestParamInfo<TypeValues>& info) {
  return info.param.type;
}

INSTANTIATE_TEST_SUITE_P(Types, InstrumentSettingsRoundTrip, ::testing::ValuesIn(kTypes), TypeName);

TEST(InstrumentSettings, NamesAndSerialNumbersComeFromTheCommandLine) {
  SimOptions o = MakeTestOptions("RV", "1.23");
  o.deviceName = "BENCH2";
  o.serialNumber = "RV0999";
  auto server = StartSim(o);
  ASSERT_TRUE(server);
  instrument_wire::Wire w(server->slavePath());
  ASSERT_TRUE(w.Open());
  EXPECT_EQ(w.Ask("get -i"), Answer("BENCH2"));
  EXPECT_EQ(w.Ask("get -sn"), Answer("RV0999"));
}

// Settings of one session are still there in the next: only an update erases them.
TEST(InstrumentSettings, SurviveAClosedPort) {
  Device d = Device::Start("V8X", "2.05");
  ASSERT_TRUE(d.ok());
  d.wire->TypeLogin();
  ASSERT_EQ(d.wire->Ask("set -sn AB"), Answer("OK"));
  ASSERT_EQ(d.wire->Ask("set -config 1000"), Answer("OK"));
  d.Reopen();
  d.wire->TypeLogin();
  EXPECT_EQ(d.wire->Ask("get -sn"), Answer("AB"));
  EXPECT_EQ(d.wire->Ask("get -config"), Answer("1000"));
}

}  // namespace
