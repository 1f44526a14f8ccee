// The simulated instruments seen from the wire: for each family a script of commands and the
// exact answers that come back ("\r" + body + "\r>", the prompt alone "\r\r>").

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "tests/sim/instrument_wire.h"

namespace {

using instrument_wire::Answer;
using instrument_wire::Device;
using instrument_wire::kPromptAlone;

constexpr const char* kLogin = "\x01login";  // step: type the access code

struct Step {
  std::string command;
  std::string answer;
};

struct Script {
  const char* name;
  const char* type;
  const char* version;
  std::vector<Step> steps;
};

const Script kScripts[] = {
    {"MTQ",
     "MTQ",
     "3.50",
     {
         {"get -ver", Answer("MTQ 3.50")},
         {"get -sn", Answer("ERROR")},  // the access code first
         {"post", Answer("ERROR")},
         {kLogin, Answer("OK")},
         {"get -sn", Answer("MTQ104826")},
         {"get -config", Answer("4 1 0 300 2")},
         {"get -batt", Answer("76")},
         {"post", Answer("Code Good!")},
         {"post -init", Answer("Code Good!")},
         {"set -config 4 1 0 600 2", Answer("OK")},
         {"get -config", Answer("4 1 0 600 2")},
         {"yes", Answer("?")},  // keeps no measurements
         {"set -sec 410313600", Answer("?")},
         {"get -eqn", Answer("?")},
         {"get -uvals", Answer("?")},
         {"frobnicate", Answer("?")},
         {"", kPromptAlone},
         {"logout", Answer("OK")},
         {"get -sn", Answer("ERROR")},
         {"get -ver", Answer("MTQ 3.50")},
     }},
    {"V8X",
     "V8X",
     "2.05",
     {
         {"get -ver", Answer("V8X 2.05")},
         {"get -eqn", Answer("ERROR")},
         {kLogin, Answer("OK")},
         {"get -sn", Answer("V8X204170")},
         {"get -config", Answer("4821")},
         {"get -tadj", Answer("1.0020 -0.0350")},
         {"get -pvuser", Answer("0.0 100.0 0.0 1.0")},
         {"get -uvals", Answer("?")},  // the V8X keeps its user values under -pvuser
         {"get -eqn", Answer("3")},
         {"get -eqn 0", Answer("Loam_Sand 0.000318 -0.0612 1.0 0.0")},
         {"get -eqn 2", Answer("Peat 0.000402 -0.0211 1.0 0.0")},
         {"get -eqn 3", Answer("ERROR")},
         {"get -user", Answer("3")},
         {"get -user 1", Answer("NAkyCTAJQmVuY2ggU2FuZAkwLjM2MgkwLjAzMgkxLjYx")},
         {"set -sensor 0", Answer("OK")},
         {"get -sensor", Answer("0")},
         {"set -sec 410313600", Answer("OK")},
         {"yes", Answer("OK")},
         {"get -batt", Answer("81")},
     }},
    {"V8X before 2.05 has no -pvuser",
     "V8X",
     "2.04",
     {
         {kLogin, Answer("OK")},
         {"get -pvuser", Answer("?")},
         {"get -config", Answer("4821")},
     }},
    {"VMINI",
     "VMINI",
     "1.20",
     {
         {"get -lang", Answer("ERROR")},
         {kLogin, Answer("OK")},
         {"get -lang", Answer("0")},
         {"get -contr", Answer("45")},
         {"get -fvals", Answer("1.0000 0.0000 1.0000 0.0000")},
         {"get -uvals", Answer("1.0021 -0.0150 0.9985 0.0000")},
         {"get -hadj", Answer("0.9820 0.0150")},
         {"get -tau", Answer("12")},
         {"yes", Answer("?")},
     }},
    {"V7X",
     "V7X",
     "3.51",
     {
         {kLogin, Answer("OK")},
         {"get -adccal", Answer("0.99961 0.00210")},
         {"get -config", Answer("3 1 0 12 1")},
     }},
    {"PTM7",
     "PTM7",
     "1.10",
     {
         {"get -config", Answer("ERROR")},
         {kLogin, Answer("OK")},
         {"get -sn", Answer("PTM704421")},
         {"get -config", Answer("0 1 1 600")},
     }},
    {"TQ",
     "TQ",
     "2.10",
     {
         {"login *4738", Answer("?")},  // needs no access code
         {"get -sn", Answer("TQ2056113")},
         {"get -contr", Answer("38")},
         {"get -units", Answer("0")},
         {"get -adc", Answer("12 4096")},
         {"get -sample", Answer("60 5 1")},
         {"get -batt", Answer("64")},
         {"yes", Answer("OK")},
         {"set -t 12:3:9", Answer("OK")},
         {"set -d 2013-1-1", Answer("OK")},
         {"set -t 24:00:00", Answer("ERROR")},
         {"set -d 2013-2-29", Answer("ERROR")},
         {"set -sec 410313600", Answer("?")},
     }},
    {"SG",
     "SG",
     "1.40",
     {
         {"get -sn", Answer("SG0041277")},
         {"get -contr", Answer("40")},
         {"get -fvals", Answer("0.3120 1.0450 -0.0021")},
         {"get -units", Answer("1")},
         {"set -units two", Answer("ERROR")},
         {"set -units 2", Answer("OK")},
         {"get -units", Answer("2")},
         {"yes", Answer("OK")},
     }},
    {"RD60 2.00",
     "RD60",
     "2.00",
     {
         {"get -adccal", Answer("1.00120 -0.00087")},
         {"get -loc", Answer("North plot, row 4")},
         {"get -x", Answer("A1-3")},
         {"get -ext", Answer("0.9987")},
         {"get -sn", Answer("RD6033104")},
         {"get -contr", Answer("50")},
         {"get -config", Answer("2 0 1 60")},
         {"set -sec 0", Answer("OK")},
         {"yes", Answer("OK")},
     }},
    {"RD60 before 2.00 has no serial number, contrast or config",
     "RD60",
     "1.90",
     {
         {"get -sn", Answer("?")},
         {"get -contr", Answer("?")},
         {"get -config", Answer("?")},
         {"get -loc", Answer("North plot, row 4")},
     }},
    {"HSRB",
     "HSRB",
     "1.05",
     {
         {"get -sn", Answer("HS0092351")},
         {"get -adccal", Answer("1.00042 -0.00120")},
         {"get -wtoffset", Answer("0.0125")},
         {"get -p1offset", Answer("-0.0043")},
         {"get -auto", Answer("900")},
         {"get -wtfactory", Answer("1.00000 0.00000")},
         {"get -sys", Answer("2 1 0 1 25.0")},
         {"set -sec 410313600", Answer("OK")},
     }},
    {"KCB",
     "KCB",
     "1.02",
     {
         {"get -i", Answer("KCB-17")},
         {"get -sn", Answer("KCB022190")},
         {"get -batt", Answer("69")},
         {"yes", Answer("?")},
     }},
    {"RV",
     "RV",
     "1.23",
     {
         {"get -ver", Answer("RV 1.23")},
         {"get -i", Answer("RV-LAB1")},
         {"get -sn", Answer("RV0073104")},
         {"get -contr", Answer("12")},
         {"get -adc15", Answer("1.00231 -0.00410")},
         {"get -adc30", Answer("0.99874 0.00127")},
         {"get -units", Answer("kPa C %RH mV")},
         {"get -cal 0", Answer("0 VP4 1.00210 -0.00330")},
         {"get -cal 4", Answer("4 MPS 1.00000 0.05000")},
         {"get -cal 5", Answer("ERROR")},
         {"get -cal1", Answer("?")},
         {"set -sec 410313600", Answer("OK")},
         {"yes", Answer("OK")},
     }},
    {"QHM",
     "QHM",
     "1.00",
     {
         {"get -sn", Answer("QHM011275")},
         {"get -config", Answer("1 2 0 30")},
         {"get -p", Answer("1.0003 0.0000 0.9991")},
         {"get -pv", Answer("0.9978 0.0120 1.0000")},
         {"get -tadj", Answer("0.9950 0.0120")},
         {"get -user", Answer("1")},
         {"get -eqn", Answer("?")},
         {"yes", Answer("OK")},
     }},
    {"TRNK6",
     "TRNK6",
     "1.00",
     {
         {"get -sn", Answer("TRN603187")},
         {"get -cal1", Answer("1 0.99830 0.00210")},
         {"get -cal4", Answer("4 0.99650 0.01100")},
         {"get -cal5", Answer("ERROR")},
         {"get -cal 0", Answer("?")},
         {"get -cal0", Answer("?")},
         {"post -init", Answer("Code Good!")},
         {"set -sec 410313600", Answer("OK")},
         {"get -batt", Answer("62")},
     }},
    {"SOLIX-KA",
     "SOLIX-KA",
     "3.61",
     {
         {"get -ver", Answer("SOLIX-KA 3.61")},
         {"get -sn", Answer("?")},
         {"post", Answer("Code Good!")},
     }},
};

class InstrumentCommands : public ::testing::TestWithParam<Script> {};

TEST_P(InstrumentCommands, AnswersAsScripted) {
  const Script& s = GetParam();
  Device d = Device::Start(s.type, s.version);
  ASSERT_TRUE(d.ok());
  for (const Step& step : s.steps) {
    std::string got = step.command == kLogin ? d.wire->TypeLogin() : d.wire->Ask(step.command);
    EXPECT_EQ(got, step.answer) << s.type << " " << s.version << ": " << step.command;
  }
}

std::string ScriptName(const ::testing::TestParamInfo<Script>& info) {
  std::string n;
  for (const char* p = info.param.name; *p; ++p)
    n += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
  return n;
}

INSTANTIATE_TEST_SUITE_P(Families, InstrumentCommands, ::testing::ValuesIn(kScripts), ScriptName);

// The clock that "set -sec" sets is the one "get -sec" reads, running on from there.
TEST(InstrumentClock, SecondsReadBackWhatWasSet) {
  Device d = Device::Start("HSRB", "1.05");
  ASSERT_TRUE(d.ok());
  ASSERT_EQ(d.wire->Ask("set -sec 410313600"), Answer("OK"));
  std::string got = d.wire->Ask("get -sec");
  ASSERT_GE(got.size(), 3u);
  long seconds = std::stol(got.substr(1));
  EXPECT_GE(seconds, 410313600);
  EXPECT_LT(seconds, 410313600 + 600);  // bounds the reading, not the speed
  EXPECT_EQ(d.wire->Ask("set -sec -5"), Answer("ERROR"));
  EXPECT_EQ(d.wire->Ask("set -sec 12x"), Answer("ERROR"));
}

TEST(InstrumentClock, DateAndTimeReadBackWhatWasSet) {
  Device d = Device::Start("TQ", "2.10");
  ASSERT_TRUE(d.ok());
  ASSERT_EQ(d.wire->Ask("set -t 12:3:9"), Answer("OK"));
  ASSERT_EQ(d.wire->Ask("set -d 2012-2-29"), Answer("OK"));
  std::string got = d.wire->Ask("get -t");
  EXPECT_EQ(got.rfind("\rDate\\Time: 2012-02-29 12:03:", 0), 0u) << got;
}

}  // namespace
