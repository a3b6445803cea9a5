#include "core/numeric_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/number_text.h"
#include "core/random_source.h"
#include "core/rounding.h"

namespace quarnby {
namespace {

TEST(NumericText, TakesTheLeadingNumber) {
  struct Case {
    std::string_view text;
    double value;
  };
  const std::vector<std::pair<std::string_view, std::vector<Case>>> groups = {
      {"the leading number", {{"1.5", 1.5}, {" 307", 307}, {"12abc", 12}, {"abc", 0}, {"", 0}}},
      {"signs and points", {{"-", 0}, {"-2.5", -2.5}, {"+7", 7}, {".5", 0.5}, {"5.", 5}}},
      {"blanks, tabs and line feeds are ignored anywhere",
       {{"1 000", 1000}, {"8 00", 800}, {"\t1\n2", 12}, {"- 4", -4}}},
      {"commas and currency end the number", {{"2,5", 2}, {"3$", 3}}},
      {"exponents with E or D, and only with digits",
       {{"1D2", 100}, {"1E2", 100}, {"2.5e-1", 0.25}, {"1E", 1}, {"1E+", 1}, {"1e400", INFINITY}, {"1e-400", 0}}},
      {"hexadecimal and octal", {{"&H10", 16}, {"&hff", 255}, {"&O17", 15}, {"&H", 0}, {"&X1", 0}}},
  };
  for (const auto& [group, cases] : groups)
    for (const Case& c : cases) EXPECT_EQ(numericValue(c.text), c.value) << group << ": '" << c.text << "'";
}

// Whether the leading number is all the text: what a number field marks when it is not.
TEST(NumericText, ReadWholeOrNot) {
  const std::vector<std::pair<std::string_view, bool>> cases = {
      {"12000", true}, {" 1 000 ", true}, {"1D2", true},  {"-2.5e-1", true}, {"", true},      {"&HFF", true},
      {"&o17", true},  {"12,000", false}, {"abc", false}, {"1E", false},     {"-", false},    {"&H", false},
      {"&HFG", false}, {"&O18", false},   {"5.", true},   {"3$", false},     {"1e5ft", false}};
  for (const auto& [text, whole] : cases) EXPECT_EQ(isReadWhole(text), whole) << "'" << text << "'";
}

TEST(NumericText, WholeDecimalNumbersOnly) {
  struct Case {
    std::string_view text;
    bool whole;
    double value;
  };
  const std::vector<Case> cases = {
      {" -12.5e1 ", true, -125}, {"12abc", false, 0}, {"", false, 0},    {"  ", false, 0},
      {"1D2", false, 0},         {"nan", false, 0},   {"1 2", false, 0},
  };
  for (const Case& c : cases) {
    double v = 0;
    EXPECT_EQ(isWholeDecimalNumber(c.text, &v), c.whole) << "'" << c.text << "'";
    EXPECT_EQ(isWholeDecimalNumber(c.text), c.whole) << "'" << c.text << "'";
    if (c.whole) {
      EXPECT_EQ(v, c.value) << "'" << c.text << "'";
    }
  }
}

TEST(Rounding, HalvesGoToEven) {
  for (const auto& [v, rounded] :
       std::vector<std::pair<double, double>>{{2.5, 2}, {3.5, 4}, {-2.5, -2}, {-3.5, -4}, {2.4999, 2}})
    EXPECT_EQ(roundHalfEven(v), rounded) << v;
  EXPECT_EQ(toInt16(32767.4), 32767);
  EXPECT_FALSE(toInt16(32767.5).has_value());
  EXPECT_FALSE(toInt16(NAN).has_value());
  EXPECT_EQ(toByte(254.5), 254);
  EXPECT_EQ(wrap16(32768), -32768);
  EXPECT_EQ(wrap16(-32769), 32767);
}

TEST(NumberText, PlainAndSignPosition) {
  for (const auto& [v, text] : std::vector<std::pair<double, std::string>>{{307, " 307"}, {-5, "-5"}, {0, " 0"}})
    EXPECT_EQ(signedNumberText(v), text) << v;
  struct Case {
    double value;
    int digits;
    std::string text;
  };
  const std::vector<Case> cases = {
      {1234.5678, 7, "1234.568"}, {-3.2, 7, "-3.2"}, {20.48, 15, "20.48"}, {0.04, 15, "0.04"}, {1e16, 15, "1E+16"},
  };
  for (const Case& c : cases) EXPECT_EQ(numberText(c.value, c.digits), c.text) << c.value << " to " << c.digits;
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
