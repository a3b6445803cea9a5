#include "core/numeric_text.h"

#include <gtest/gtest.h>

#include <cmath>

#include "core/number_text.h"
#include "core/random_source.h"
#include "core/rounding.h"

namespace quarnby {
namespace {

TEST(NumericText, TakesTheLeadingNumber) {
  EXPECT_EQ(numericValue("1.5"), 1.5);
  EXPECT_EQ(numericValue(" 307"), 307);
  EXPECT_EQ(numericValue("12abc"), 12);
  EXPECT_EQ(numericValue("abc"), 0);
  EXPECT_EQ(numericValue(""), 0);
  EXPECT_EQ(numericValue("-"), 0);
  EXPECT_EQ(numericValue("-2.5"), -2.5);
  EXPECT_EQ(numericValue("+7"), 7);
  EXPECT_EQ(numericValue(".5"), 0.5);
  EXPECT_EQ(numericValue("5."), 5);
}

TEST(NumericText, IgnoresBlanksTabsAndLineFeedsAnywhere) {
  EXPECT_EQ(numericValue("1 000"), 1000);
  EXPECT_EQ(numericValue("8 00"), 800);
  EXPECT_EQ(numericValue("\t1\n2"), 12);
  EXPECT_EQ(numericValue("- 4"), -4);
}

TEST(NumericText, CommasAndCurrencyEndTheNumber) {
  EXPECT_EQ(numericValue("2,5"), 2);
  EXPECT_EQ(numericValue("3$"), 3);
}

TEST(NumericText, ExponentsWithEOrD) {
  EXPECT_EQ(numericValue("1D2"), 100);
  EXPECT_EQ(numericValue("1E2"), 100);
  EXPECT_EQ(numericValue("2.5e-1"), 0.25);
  EXPECT_EQ(numericValue("1E"), 1);  // an exponent without digits is not part of the number
  EXPECT_EQ(numericValue("1E+"), 1);
  EXPECT_TRUE(std::isinf(numericValue("1e400")));
  EXPECT_EQ(numericValue("1e-400"), 0);
}

TEST(NumericText, HexadecimalAndOctal) {
  EXPECT_EQ(numericValue("&H10"), 16);
  EXPECT_EQ(numericValue("&hff"), 255);
  EXPECT_EQ(numericValue("&O17"), 15);
  EXPECT_EQ(numericValue("&H"), 0);
  EXPECT_EQ(numericValue("&X1"), 0);
}

TEST(NumericText, WholeDecimalNumbersOnly) {
  double v = 0;
  EXPECT_TRUE(isWholeDecimalNumber(" -12.5e1 ", &v));
  EXPECT_EQ(v, -125);
  EXPECT_FALSE(isWholeDecimalNumber("12abc"));
  EXPECT_FALSE(isWholeDecimalNumber(""));
  EXPECT_FALSE(isWholeDecimalNumber("  "));
  EXPECT_FALSE(isWholeDecimalNumber("1D2"));
  EXPECT_FALSE(isWholeDecimalNumber("nan"));
  EXPECT_FALSE(isWholeDecimalNumber("1 2"));
}

TEST(Rounding, HalvesGoToEven) {
  EXPECT_EQ(roundHalfEven(2.5), 2);
  EXPECT_EQ(roundHalfEven(3.5), 4);
  EXPECT_EQ(roundHalfEven(-2.5), -2);
  EXPECT_EQ(roundHalfEven(-3.5), -4);
  EXPECT_EQ(roundHalfEven(2.4999), 2);
  EXPECT_EQ(toInt16(32767.4), 32767);
  EXPECT_FALSE(toInt16(32767.5).has_value());
  EXPECT_FALSE(toInt16(NAN).has_value());
  EXPECT_EQ(toByte(254.5), 254);
  EXPECT_EQ(wrap16(32768), -32768);
  EXPECT_EQ(wrap16(-32769), 32767);
}

TEST(NumberText, PlainAndSignPosition) {
  EXPECT_EQ(signedNumberText(307), " 307");
  EXPECT_EQ(signedNumberText(-5), "-5");
  EXPECT_EQ(signedNumberText(0), " 0");
  EXPECT_EQ(numberText(1234.5678, 7), "1234.568");
  EXPECT_EQ(numberText(-3.2, 7), "-3.2");
  EXPECT_EQ(numberText(20.48, 15), "20.48");
  EXPECT_EQ(numberText(0.04, 15), "0.04");
  EXPECT_EQ(numberText(1e16, 15), "1E+16");
  EXPECT_EQ(plainInteger(-1320), "-1320");
}

TEST(RandomSource, FirstDrawsAfterStartUp) {
  RandomSource random;
  EXPECT_DOUBLE_EQ(static_cast<double>(random.next()), 0.7055475115776062);
  EXPECT_DOUBLE_EQ(static_cast<double>(random.next()), 0.5334240198135376);
  EXPECT_DOUBLE_EQ(static_cast<double>(random.next()), 0.5795186161994934);
}

TEST(RandomSource, StaysInTheUnitIntervalAndReseeds) {
  RandomSource random;
  for (int i = 0; i < 100000; ++i) {
    const float u = random.next();
    ASSERT_GE(u, 0.0f);
    ASSERT_LT(u, 1.0f);
  }
  random.reseedFromClock();
  EXPECT_LT(random.state(), 1u << 24);
}

}  // namespace
}  // namespace quarnby
