// The conversion of an old nine-number calibration to the newer firmware's six numbers.

#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "sdi12/quil_sdi12.h"

namespace {

std::array<char, 257> Cal(const std::string& text) {
  std::array<char, 257> a{};
  text.copy(a.data(), a.size() - 1);
  return a;
}

struct ConversionCase {
  const char* in;
  const char* out;
};

class Conversion : public ::testing::TestWithParam<ConversionCase> {};

TEST_P(Conversion, RewritesTheNineNumbers) {
  EXPECT_STREQ(SDIConvertCalibration(Cal(GetParam().in)).data(), GetParam().out);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Conversion,
    ::testing::Values(
        ConversionCase{"1 2 4 0 10 20 0 0 7", "1.000 -1.000000e+03 5.000000e+02 0.000000e+00 15.0 7.0"},
        // Fewer than nine numbers: the scale is unknown, missing numbers count as 0.
        ConversionCase{"2.5 1 3", "2.500 0.000000e+00 0.000000e+00 0.000000e+00 0.0 0.0"},
        ConversionCase{"", "0.000 0.000000e+00 0.000000e+00 0.000000e+00 0.0 0.0"},
        // a1 equal to a2 has no defined result: the calibration stays as it is.
        ConversionCase{"1 3 3 0 10 20 0 0 7", "1 3 3 0 10 20 0 0 7"}));

TEST(Conversion, IgnoresTheLocalesDecimalComma) {
  const char* previous = std::setlocale(LC_NUMERIC, nullptr);
  std::string saved = previous != nullptr ? previous : "C";
  if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr) GTEST_SKIP() << "no de_DE locale";
  std::string out = SDIConvertCalibration(Cal("1.5 2 4 0 10 20 0 0 7")).data();
  std::setlocale(LC_NUMERIC, saved.c_str());
  EXPECT_EQ(out, "1.500 -1.000000e+03 5.000000e+02 0.000000e+00 15.0 7.0");
}

}  // namespace
