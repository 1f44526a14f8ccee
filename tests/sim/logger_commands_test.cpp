// What each simulated logger family answers, as the computer sees it on the line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/sim/logger_wire.h"

namespace {

using logger_wire::Logger;

struct Exchange {
  const char* command;  // without its "\r"
  const char* answer;   // the whole answer
};

struct FamilyScript {
  const char* name;  // the test's name
  const char* type;
  const char* version;
  std::vector<Exchange> exchanges;
};

const std::vector<FamilyScript> kScripts = {
    {"Kt30_202", "KT30", "2.02",
     {{"get -ver", "\rKT30 2.02\r>"},
      {"get -i", "\rK30-1187\r>"},
      {"get -sn", "\r30A1187\r>"},
      {"get -devid", "\rD1187\r>"},
      {"get -report", "\r1\r>"},
      {"get -depth", "\r10 30 60 90 255\r>"},
      {"get -site", "\rNorth Field Station 2\r>"},
      {"get -lat", "\r+46.73210\r>"},
      {"get -long", "\r-117.17940\r>"},
      {"get -tz", "\r-32\r>"},
      {"get -w", "\r900\r>"},
      {"get -padc", "\r10\r>"},
      {"get -ports", "\r3 5 5 5 0\r>"},
      {"get -data", "\r2\r>"},
      {"get -build", "\rB2014-0412-1\r>"},
      {"get -r", "\r1\r>"},
      // Radio and cellular modem fitted: 255 - (1 + 8).
      {"get -trait", "\r246\r>"},
      {"get -rver", "\r1046\r>"},
      {"get -rch", "\r2\r>"},
      {"get -rsch", "\r520\r>"},
      {"get -apn", "\riot.example.net\r>"},
      {"get -user", "\rquillon\r>"},
      {"get -passwd", "\rfieldlog\r>"},
      {"get -authkey", "\r8F3A61C2D94B07E5A1C3F0B2D6E48A97\r>"},
      {"get -teakey", "\rERROR\r>"},
      {"get -host", "\rupload.example.com\r>"},
      {"get -ipport", "\r9420\r>"},
      // Five pairs, then (sum of all ten) modulo 256.
      {"get -adc30", "\r131 98 127 102 129 100 126 97 130 101 117\r>"},
      {"get -adc15", "\r64 50 66 49 63 51 65 50 64 48 58\r>"},
      {"get -batt", "\r87\r>"},
      {"get -sec", "\rERROR\r>"},
      {"query", "\rK30-1187\r>"},
      {"post", "\rCode Good!\r>"},
      {"post -init", "\rCode Good!\r>"},
      {"yes", "\rOK\r>"},
      {"show", "\rERROR\r>"},
      {"hertz", "\rERROR\r>"},
      {"get -nonsense", "\rERROR\r>"},
      {"", "\r\r>"}}},
    {"Kt30_200_NoLocation", "KT30", "2.00",
     {{"get -site", "\rNorth Field Station 2\r>"}, {"get -lat", "\rERROR\r>"}, {"get -long", "\rERROR\r>"}}},
    {"Kt30_118_KeyIsTeakey", "KT30", "1.18",
     {{"get -teakey", "\r8F3A61C2D94B07E5A1C3F0B2D6E48A97\r>"},
      {"get -authkey", "\rERROR\r>"},
      {"get -devid", "\rERROR\r>"},
      {"get -site", "\rERROR\r>"},
      {"set -trait 254", "\rERROR\r>"}}},
    {"Kt30_112_BeforeCalibration", "KT30", "1.12",
     {{"get -ver", "\rKT30 1.12\r>"},
      // No modem firmware yet: the radio alone.
      {"get -trait", "\r254\r>"},
      {"get -adc30", "\rERROR\r>"},
      {"get -data", "\rERROR\r>"},
      {"get -build", "\rERROR\r>"},
      {"get -apn", "\rERROR\r>"},
      {"get -depth", "\rERROR\r>"}}},
    {"Kt30_105_NoTrait", "KT30", "1.05", {{"get -trait", "\rERROR\r>"}, {"get -rch", "\r2\r>"}}},
    {"Kt3b_204", "KT3B", "2.04",
     {{"get -ver", "\rkt3b 2.04\r>"},
      {"get -build", "\rB2014-0412-1\r>"},
      {"get -ports", "\r1 3 3 0 0\r>"},
      {"get -w", "\r900\r>"},
      {"get -rch", "\rERROR\r>"},
      {"get -trait", "\rERROR\r>"},
      {"set -baud 4", "\rERROR\r>"},
      {"get -batt", "\r88\r>"}}},
    {"Kt3b_203_NoBuild", "KT3B", "2.03", {{"get -build", "\rERROR\r>"}}},
    {"Kt3_204_NewFirmware", "KT3", "2.04",
     {{"get -ver", "\rKT3 2.04\r>"},
      // The Kt3 passes its radio module's "OK" lines on.
      {"get -rch", "\rOK\r2\r>"},
      {"get -rver", "\rOK\r1046\r>"},
      {"set -rsch 1A2B", "\rOK\r\rOK\r>"},
      {"get -rsch", "\rOK\r1A2B\r>"},
      {"get -r", "\r1\r>"},
      {"get -padc", "\r10\r>"},
      {"get -ports", "\rERROR\r>"},
      {"show", "\rERROR\r>"}}},
    {"Kt3_165_OldFirmware", "KT3", "1.65",
     {{"get -ver", "\r?\r>"},
      {"show", "\rID: KT3-0412\rVersion: 1.65\rRadio: 1\rWake: 600\rResets: 2\r>"},
      {"hertz", "\r10\r>"},
      {"get -i", "\r?\r>"},
      {"set -baud 4", "\r?\r>"},
      {"yes", "\rData erased OK!\r>"},
      {"post", "\rCode Good!\r>"},
      {"", "\r\r>"}}},
    {"Kt3_150_NoHertz", "KT3", "1.50",
     {{"hertz", "\r?\r>"}, {"set -p 20", "\r?\r>"}, {"show", "\rID: KT3-0412\rVersion: 1.50\rRadio: 1\rWake: 600\rResets: 2\r>"}}},
    {"Kt3_105_TooOld", "KT3", "1.05",
     {{"show", "\rID: KT3-0412\rVersion: 1.05\rRadio: 1\rWake: 600\rResets: 2\r>"}}},
    {"HubVault_109", "HV", "1.09",
     {{"get -ver", "\rHV 1.09\r>"},
      {"get -i", "\rHV-0093\r>"},
      {"get -data", "\r1\r>"},
      {"get -rch", "\r2\r>"},
      {"get -rver", "\r1046\r>"},
      {"get -trait", "\rERROR\r>"},
      {"get -t", "\rERROR\r>"},
      {"get -w", "\rERROR\r>"},
      {"get -batt", "\r79\r>"}}},
    {"HubVault_105_NoData", "HV", "1.05", {{"get -data", "\rERROR\r>"}}},
    {"GridNode", "GN", "1.10",
     {{"get -ver", "\rGN 1.10\r>"},
      {"get -i", "\rGN-0021\r>"},
      {"get -sn", "\rGN0021\r>"},
      {"get -rch", "\rERROR\r>"},
      {"get -w", "\rERROR\r>"},
      {"set -baud 0", "\rOK\r>"}}},
    {"rL9", "RL9", "1.02",
     {{"get -ver", "\rRL9 1.02\r>"},
      {"get -r", "\r16\r>"},
      {"get -trait", "\r246\r>"},
      {"get -build", "\rERROR\r>"},
      {"get -lat", "\r+44.05210\r>"},
      {"get -authkey", "\r8F3A61C2D94B07E5A1C3F0B2D6E48A97\r>"}}},
    {"ZLG2", "ZLG", "2.10",
     {{"get -ver", "\rZLG 2.10\r>"},
      // A cellular modem and no radio: 255 - 8.
      {"get -trait", "\r247\r>"},
      {"get -rch", "\rERROR\r>"},
      {"get -rver", "\rERROR\r>"},
      {"get -apn", "\riot.example.net\r>"},
      {"get -tz", "\r-28\r>"},
      {"get -batt", "\rERROR\r>"}}},
};

class LoggerCommands : public ::testing::TestWithParam<FamilyScript> {};

TEST_P(LoggerCommands, AnswersAsTheFamilyDoes) {
  const FamilyScript& s = GetParam();
  Logger logger(MakeTestOptions(s.type, s.version));
  ASSERT_TRUE(logger.ok());
  for (const Exchange& e : s.exchanges) EXPECT_EQ(logger.wire.Ask(e.command), e.answer) << e.command;
}

std::string ScriptName(const ::testing::TestParamInfo<FamilyScript>& info) { return info.param.name; }

INSTANTIATE_TEST_SUITE_P(Families, LoggerCommands, ::testing::ValuesIn(kScripts), ScriptName);

TEST(LoggerIdentity, NameAndSerialNumberFromTheOptions) {
  SimOptions o = MakeTestOptions("KT30", "2.02");
  o.deviceName = "WEST01";
  o.serialNumber = "30B0007";
  Logger logger(o);
  ASSERT_TRUE(logger.ok());
  EXPECT_EQ(logger.wire.Ask("get -i"), "\rWEST01\r>");
  EXPECT_EQ(logger.wire.Ask("get -sn"), "\r30B0007\r>");
}

TEST(LoggerIdentity, AnswersWhatTheRunningFirmwareSays) {
  // A version with one digit after the point is answered as it stands.
  Logger logger(MakeTestOptions("KT3", "2.1"));
  ASSERT_TRUE(logger.ok());
  EXPECT_EQ(logger.wire.Ask("get -ver"), "\rKT3 2.1\r>");
}

TEST(LoggerIdentity, LinesEndAtTheCarriageReturnAndLineFeedsAreIgnored) {
  Logger logger(MakeTestOptions("KT30", "2.02"));
  ASSERT_TRUE(logger.ok());
  logger.wire.Send("get -i\r\nget -sn\r");
  EXPECT_EQ(logger.wire.ReadUntil("\r30A1187\r>"), "\rK30-1187\r>\r30A1187\r>");
}

}  // namespace
