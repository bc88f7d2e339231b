#include "shell/numbers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace vandro {
namespace {

TEST(Numbers, WritesFifteenSignificantDigitsWithAPoint) {
  const std::pair<long double, const char*> cases[] = {
      {0, "0"},
      {12.5, "12.5"},
      {-3, "-3"},
      {0.1L + 0.2L, "0.3"},
      {0.1 + 0.2, "0.3"},
      {1.0 / 3, "0.333333333333333"},
      {2.0 / 3, "0.666666666666667"},
      {123456789012345.0, "123456789012345"},
      {1234567890123456.0, "1.23456789012346E+15"},
      {0.00001, "0.00001"},
      {0.000001234, "1.234E-6"},
      {1e100, "1E+100"},
      {-2.5e-7, "-2.5E-7"},
      {1000, "1000"},
  };
  for (const auto& [value, text] : cases)
    EXPECT_EQ(text, FloatToText(value));
}

TEST(Numbers, NaNAndInfinityHaveNoText) {
  EXPECT_THROW(FloatToText(std::numeric_limits<double>::quiet_NaN()), EConvertError);
  EXPECT_THROW(FloatToText(std::numeric_limits<double>::infinity()), EConvertError);
  EXPECT_THROW(FloatToText(-std::numeric_limits<long double>::infinity()), EConvertError);
}

TEST(Numbers, ShownTextsStandInForNumbersWithoutOne) {
  const long double nan = std::numeric_limits<long double>::quiet_NaN();
  const long double infinity = std::numeric_limits<long double>::infinity();
  EXPECT_EQ("1.5E+20", ShownNumber(1.5e20L));
  EXPECT_EQ("n/a", ShownNumber(nan));
  EXPECT_EQ("n/a", ShownNumber(-infinity));
  EXPECT_EQ("", ShownNumber(infinity, ""));
  EXPECT_EQ("0", ShownNumber(nan, "0"));
  EXPECT_EQ("Yes", ShownYesNo(true));
  EXPECT_EQ("No", ShownYesNo(false));
}

TEST(Numbers, ReadsWhatItWritesAndRefusesTheRest) {
  for (const char* text :
       {"0", "-3", "12.5", "1.23456789012346E+15", "1.234E-6", " 7 ", "+7", "5.", ".5", "1e5"}) {
    double value = 0;
    EXPECT_TRUE(TextToFloat(text, value)) << text;
  }
  for (const char* text : {"", "-", ".", "1,5", "1.2.3", "nan", "inf", "-infinity", "0x10", "1e",
                           "1e+", "1e999", "12 kg", "1 2"}) {
    double value = 0;
    EXPECT_FALSE(TextToFloat(text, value)) << text;
  }
  double value = 0;
  ASSERT_TRUE(TextToFloat(FloatToText(0.1L), value));
  EXPECT_EQ(0.1, value);
}

TEST(Numbers, WholeNumbers) {
  int64_t value = 0;
  EXPECT_TRUE(TextToInt("-7", value));
  EXPECT_EQ(-7, value);
  EXPECT_TRUE(TextToInt("+7", value));
  for (const char* text : {"", "7.0", "1e3", "99999999999999999999", "--1", "+-1", "7a"})
    EXPECT_FALSE(TextToInt(text, value)) << text;
  EXPECT_THROW(StrToInt("x"), EConvertError);
  EXPECT_THROW(StrToFloat("x"), EConvertError);
}

} // namespace
} // namespace vandro
