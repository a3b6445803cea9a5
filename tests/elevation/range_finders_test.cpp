#include "elevation/range_finders.h"

#include <gtest/gtest.h>

#include <tuple>

#include "support/terrain_fixture.h"
#include "terrain/greyscale_bitmap.h"

namespace quarnby {
namespace {

struct RangeFinders : testing::TerrainFixture {
  testing::TerragenBuilder field;
  std::vector<std::uint8_t> pixels = std::vector<std::uint8_t>(kGreyscalePixelCount, 0);

  Outcome findTerragen() {
    writeTerragen(field);
    return FindMaxMinUnits_Click(h.cx);
  }
  Outcome findGreyscale() {
    writeGreyscale(pixels);
    return FindMaxMinUnitsBmp_Click(h.cx);
  }
  std::uint8_t& pixel(int r, int c) { return pixels[static_cast<std::size_t>(r) * 1024 + c]; }
};

// Units are the base height plus raw samples times the scale over 65536, rounded to three
// decimals in the sign-position format; the cases run in turn on one terrain.
TEST_F(RangeFinders, TerragenUnitsAreTheFieldsExtremesInTheSignPositionFormat) {
  struct Case {
    const char* where;
    bool map512;
    std::int16_t baseHeight;
    std::int16_t heightScale;
    std::vector<std::tuple<int, int, std::int16_t>> samples;
    std::string maxUnits, minUnits;
  };
  const std::vector<std::tuple<int, int, std::int16_t>> lowestHighest = {
      {700, 3, -20000}, {5, 900, 32767}, {1024, 1024, -32768}};
  const std::vector<Case> cases = {
      {"1234.5678 units", true, 1234, 2, {{1023, 1023, 18605}}, " 1234.568", " 1234"},
      {"-3.19999695 units", true, -3, 13107, {{0, 0, -1}}, "-3", "-3.2"},
      // The lowest raw sample is the highest height; the sample at 1024 lies outside the scan.
      {"negative scale", true, 20, -3000, lowestHighest, " 935.527", "-1479.954"},
      // The starting values take part in the comparison.
      {"all above the starting minimum", false, 12000, 16384, {}, " 12000", " 10000"},
      {"all below the starting maximum", false, -12000, 16384, {}, "-10000", "-12000"},
  };
  for (const Case& c : cases) {
    h.host = {};
    h.params.setOption(c.map512 ? "MapSize512" : "MapSize256", true);
    field = {};
    field.baseHeight = c.baseHeight;
    field.heightScale = c.heightScale;
    for (const auto& [r, col, raw] : c.samples) field.at(r, col) = raw;
    EXPECT_EQ(findTerragen(), Outcome::Completed) << c.where;
    EXPECT_EQ(h.params.text("MaxUnits"), c.maxUnits) << c.where;
    EXPECT_EQ(h.params.text("MinUnits"), c.minUnits) << c.where;
    EXPECT_EQ(h.host.onlyMessage(), "Done") << c.where;
    EXPECT_EQ(h.host.progressOf(ProgressBar::Bar1).front(), 0) << c.where;
    EXPECT_EQ(h.host.progressOf(ProgressBar::Bar1).back(), 100) << c.where;
  }
}

TEST_F(RangeFinders, The256MileSizeScansOnlyRowsAndColumns256To768) {
  ASSERT_TRUE(h.params.option("MapSize256"));
  field.heightScale = 16384;
  for (int i : {236, 255, 769, 788}) {
    field.at(i, 500) = 4000;
    field.at(500, i) = -4000;
  }
  field.at(256, 768) = 40;
  field.at(768, 256) = -40;
  findTerragen();
  EXPECT_EQ(h.params.text("MaxUnits"), " 10");
  EXPECT_EQ(h.params.text("MinUnits"), "-10");

  for (int i : {255, 769}) pixel(i, 500) = 255;
  pixel(256, 256) = 200;
  pixel(768, 768) = 3;
  for (int r = 257; r < 768; ++r)
    for (int c = 257; c < 768; ++c) pixel(r, c) = 100;
  findGreyscale();
  EXPECT_EQ(h.params.text("maxUbmp"), " 200");
  EXPECT_EQ(h.params.text("minUbmp"), " 0");  // the rest of row 256 is black
  pixel(256, 256) = 255;
  h.params.setOption("MapSize512", true);
  findGreyscale();
  EXPECT_EQ(h.params.text("maxUbmp"), " 255");
}

TEST_F(RangeFinders, AnAllBlackBitmapGivesZeroInBothFields) {
  EXPECT_EQ(findGreyscale(), Outcome::Completed);
  EXPECT_EQ(h.params.text("maxUbmp"), " 0");
  EXPECT_EQ(h.params.text("minUbmp"), " 0");
  EXPECT_EQ(h.host.onlyMessage(), "Done");
}

}  // namespace
}  // namespace quarnby
