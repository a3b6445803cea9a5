#include "dem/feet_field.h"

#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <vector>

namespace quarnby::dem {
namespace {

constexpr float kNone = std::numeric_limits<float>::quiet_NaN();

// A handful of imported heights in metres and the feet the field gives them back as.
TEST(FeetField, TheLandIsKeptWholeAndOnlyTheSeaFloorIsRaised) {
  struct Case {
    const char* name;
    std::vector<float> metres;
    std::vector<double> feet;  // as the samples decode, within a quarter of a foot
    std::optional<double> seaFloor;
    std::size_t uncovered, beyondEarth;
  };
  const std::vector<Case> cases = {
      {"land, sea floor and no height", {100.0f, -50.0f, kNone}, {328.084, -164.042, 0.0}, std::nullopt, 1, 0},
      // 42,651 ft from top to bottom: the field holds 32,000 below the summit.
      {"a deep sea under high land", {8000.0f, -5000.0f, 0.0f}, {26246.72, -5753.28, 0.0}, -5753.28, 0, 0},
      {"a trench deeper than the field holds at all", {-10500.0f, -100.0f}, {-32000.0, -328.084}, -32000.0, 0, 0},
      // Taken as a height, 1e38 would lift the whole sea to 767 ft.
      {"a glitch far above the Earth", {1.0e38f, 200.0f, -3000.0f}, {0.0, 656.168, -9842.52}, std::nullopt, 1, 1},
      {"a glitch far below the Earth", {-13000.0f, 100.0f, -100.0f}, {0.0, 328.084, -328.084}, std::nullopt, 1, 1},
      {"no height anywhere", {kNone, std::numeric_limits<float>::infinity()}, {0.0, 0.0}, std::nullopt, 2, 1},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    const FeetField field = feetField(k.metres);
    ASSERT_EQ(field.samples.size(), k.feet.size());
    for (std::size_t i = 0; i < k.feet.size(); ++i)
      EXPECT_NEAR(field.encoding.units(field.samples[i]), k.feet[i], 0.25) << "sample " << i;
    EXPECT_EQ(field.seaFloor.has_value(), k.seaFloor.has_value());
    if (field.seaFloor && k.seaFloor) EXPECT_NEAR(*field.seaFloor, *k.seaFloor, 0.01);
    EXPECT_EQ(field.uncovered, k.uncovered);
    EXPECT_EQ(field.beyondEarth, k.beyondEarth);
  }
}

}  // namespace
}  // namespace quarnby::dem
