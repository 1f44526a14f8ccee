#include <gtest/gtest.h>

#include "link/logger_settings.h"
#include "link/logger_types.h"

namespace {

struct CapabilityCase {
  LoggerType type;
  bool newFirmware;
  int32_t version;
  uint32_t word;
  int32_t typeSize;
};

class CapabilityWord : public ::testing::TestWithParam<CapabilityCase> {};

TEST_P(CapabilityWord, FollowsTypeAndVersion) {
  const CapabilityCase& c = GetParam();
  LoggerSettings s;
  s.loggerType = c.type;
  s.newFirmware = c.newFirmware ? 1 : 0;
  s.versionNumber = c.version;
  s.capabilities = 0xDEADBEEF;
  s.typeSize = -5;
  EXPECT_EQ(UpdateCapabilities(s), 1);
  EXPECT_EQ(s.capabilities, c.word) << std::hex << s.capabilities;
  EXPECT_EQ(s.typeSize, c.typeSize);
}

INSTANTIATE_TEST_SUITE_P(
    Table, CapabilityWord,
    ::testing::Values(
        CapabilityCase{LT_KT30, true, 202, 0x5E7FFF7, 36864},
        CapabilityCase{LT_KT30, true, 201, 0x1E7FFF7, 36864},   // before the location bits
        CapabilityCase{LT_KT30, true, 199, 0xE7FFF7, 36864},    // before identity (2.00)
        CapabilityCase{LT_KT30, true, 104, 0x7737, 36864},
        CapabilityCase{LT_KT30, true, 105, 0x77B7, 36864},
        CapabilityCase{LT_KT30, true, 112, 0xFFF7, 36864},
        CapabilityCase{LT_KT3B, true, 204, 0x474BE, 3348},
        CapabilityCase{LT_KT3B, true, 203, 0x74BE, 3348},
        CapabilityCase{LT_KT3, true, 300, 0x371F, 3384},
        CapabilityCase{LT_KT3, false, 165, 0x331C, 3384},
        CapabilityCase{LT_HV, true, 109, 0x24583, 28672},
        CapabilityCase{LT_HV, true, 104, 0x4503, 28672},
        CapabilityCase{LT_KCB, true, 100, 0x3007, 0},
        CapabilityCase{LT_SOLIX_CAL, true, 100, 0x10026, 0},
        CapabilityCase{LT_RV, true, 100, 0x1D3083, 5000},
        CapabilityCase{LT_RL9, true, 100, 0x5E3FFF7, 36864},
        CapabilityCase{LT_ZLG, true, 100, 0x7C3F6F7, 36864},
        CapabilityCase{LT_GN, true, 999, 0x1005, 0},
        CapabilityCase{LT_GN, false, 0, 0x1005, 0},
        CapabilityCase{LT_UNKNOWN, true, 500, 0x1005, 0},
        CapabilityCase{LT_UNKNOWN_LOGGER, true, 500, 0x1005, 0},
        CapabilityCase{LT_GENERIC, true, 500, 0x1005, 0}));

TEST(LoggerTypeTable, CodeWordsAreMatchedInUpperCase) {
  struct {
    const char* word;
    LoggerType type;
    const char* name;
  } cases[] = {
      {"KT30", LT_KT30, "Kt30"},       {"kt3b", LT_KT3B, "Kt3b"},
      {"Kt3", LT_KT3, "Kt3"},          {"HV", LT_HV, "HubVault"},
      {"gn", LT_GN, "GridNode"},       {"KCB", LT_KCB, "SOLIX Comm Dev"},
      {"solix_cal", LT_SOLIX_CAL, "SOLIX Calibrator"},
      {"RV", LT_RV, "ReadVue"},        {"rl9", LT_RL9, "rL9"},
      {"ZLG", LT_ZLG, "ZLG2"},         {"KT300", LT_UNKNOWN, "Unknown"},
      {"", LT_UNKNOWN, "Unknown"},     {"MTQ", LT_UNKNOWN, "Unknown"},
  };
  for (const auto& c : cases) {
    LoggerType t = LoggerTypeFromCode(c.word);
    EXPECT_EQ(t, c.type) << c.word;
    EXPECT_STREQ(LoggerTypeName(t), c.name) << c.word;
  }
}

TEST(LoggerTypeTable, KindsWithoutCodeAreNeverFound) {
  EXPECT_STREQ(LoggerTypeName(LT_UNKNOWN_LOGGER), "Unknown Logger");
  EXPECT_STREQ(LoggerTypeName(LT_GENERIC), "Generic");
  EXPECT_STREQ(LoggerTypeName(LT_END), "END of List");
  EXPECT_STREQ(LoggerTypeName(200), "Unknown");
  EXPECT_STREQ(LoggerTypeName(-1), "Unknown");
  EXPECT_EQ(LoggerTypeCode(LT_GENERIC), nullptr);
  EXPECT_EQ(LoggerTypeFromCode("Generic"), LT_UNKNOWN);
  EXPECT_EQ(LoggerTypeFromCode("Unknown Logger"), LT_UNKNOWN);
}

TEST(Trait, RadioAndCellularNeedTheValidBit) {
  struct {
    int32_t trait;
    int32_t radio;
    int32_t cellular;
  } cases[] = {
      {0x0009, -1, -1}, {0x4000, 0, 0}, {0x4001, 1, 0}, {0x4008, 0, 1}, {0x4009, 1, 1},
      {0x40F6, 0, 0},  // 255 - 9: bits 0 and 3 clear
  };
  for (const auto& c : cases) {
    LoggerSettings s;
    s.trait = c.trait;
    EXPECT_EQ(HasRadio(s), c.radio) << std::hex << c.trait;
    EXPECT_EQ(HasCellular(s), c.cellular) << std::hex << c.trait;
  }
}

TEST(FixedText, KeepsItsLimitAndZeroFills) {
  FixedText<9> name;
  name.fill('x');
  SetText(name, "ABCDEFGHIJKL");
  EXPECT_EQ(TextOf(name), "ABCDEFGH");
  EXPECT_EQ(name[8], '\0');
  SetText(name, "AB");
  EXPECT_EQ(TextOf(name), "AB");
  for (size_t i = 2; i < name.size(); ++i) EXPECT_EQ(name[i], '\0');
  SetText(name, std::string_view("A\0B", 3));
  EXPECT_EQ(TextOf(name), "A");
}

}  // namespace
