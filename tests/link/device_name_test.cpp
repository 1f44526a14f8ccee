#include <gtest/gtest.h>

#include "link/solix_protocol.h"

namespace {

TEST(DeviceNameRule, CodesOfTheRule) {
  struct {
    const char* name;
    int32_t code;
  } cases[] = {
      {"K30A", 1},        {"LOGGER01", 1},     {"a-b_c.d", 1},      {"help", -52},
      {"post", -52},      {"OK", -52},         {"Unsupported", -54}, {"HELP", 1},
      {"my dev", -50},    {"tab\tx", -50},     {"del\x7f", -50},    {"ab\xff", -50},
      {"a/b", -51},       {"a?b", -51},        {"a\\b", -51},       {"a\"b", -51},
      {"<x>", -51},       {"a*b", -51},        {"a|b", -51},        {"a:b", -51},
      {"a;b", -51},       {"a,b", -51},        {"NINELETTR", -54},  {"", -53},
      {"caf\xe9", -56},   {"\xe9/", -56},      {"/\xe9", -51},      {" help", -50},
  };
  for (const auto& c : cases) EXPECT_EQ(CheckDeviceName(c.name), c.code) << c.name;
  EXPECT_EQ(CheckDeviceName(nullptr), -53);
}

}  // namespace
