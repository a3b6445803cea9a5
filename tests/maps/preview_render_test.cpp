#include "maps/preview_render.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "terrain/cover_bitmap.h"

namespace quarnby::preview {
namespace {

ElevationGrid flatAt(std::int16_t feet) {
  ElevationGrid grid;
  for (int r = 0; r < kElevSize; ++r)
    for (int c = 0; c < kElevSize; ++c) grid.set(r, c, feet);
  return grid;
}

TEST(PreviewColours, BandsStartWhereTheySay) {
  const auto bands = elevationBands();
  for (std::size_t i = 1; i < bands.size(); ++i) {
    EXPECT_LT(bands[i - 1].fromFeet, bands[i].fromFeet);
    EXPECT_NE(bands[i - 1].colour, bands[i].colour) << bands[i].label;
    EXPECT_EQ(elevationColour(bands[i].fromFeet), bands[i].colour) << bands[i].label;
    EXPECT_EQ(elevationColour(bands[i].fromFeet - 1), bands[i - 1].colour) << bands[i].label;
  }
  EXPECT_EQ(elevationColour(-32768), bands.front().colour);
  EXPECT_EQ(elevationColour(32767), bands.back().colour);
  // The sea is blue, the summits nearly white.
  const Rgb sea = elevationColour(0);
  EXPECT_GT(blue(sea), red(sea) + 60);
  EXPECT_GT(blue(sea), green(sea));
  EXPECT_GT(red(elevationColour(11500)), 240);
  EXPECT_NE(elevationColour(0), elevationColour(1));  // the coast shows
}

TEST(PreviewColours, SevenTypesEachTheirOwnAndTheRestFlagged) {
  std::set<Rgb> colours;
  for (int t = 0; t < kTypeCount; ++t) colours.insert(typeColour(t));
  colours.insert(kUnknownTypeColour);
  EXPECT_EQ(colours.size(), 8u);
  EXPECT_EQ(typeColour(7), kUnknownTypeColour);
  EXPECT_EQ(typeColour(255), kUnknownTypeColour);
  EXPECT_EQ(typeName(0), "Water");
  EXPECT_EQ(typeName(2), "Grassy Rock");
  EXPECT_EQ(typeName(6), "Snow");
  EXPECT_EQ(typeName(9), "Type 9");
  // Sub-type 0 (under water) stands apart from every other sub-type.
  for (int s = 1; s <= 255; ++s) EXPECT_NE(subTypeColour(s), subTypeColour(0)) << s;
  EXPECT_NE(subTypeColour(1), subTypeColour(255));
}

TEST(PreviewShading, FlatIsUnchangedSlopesFacingTheLightAreBrighter) {
  ElevationGrid grid = flatAt(1000);
  EXPECT_DOUBLE_EQ(hillShade(grid, 500, 500), 1.0);
  EXPECT_DOUBLE_EQ(hillShade(grid, 0, 0), 1.0);  // edges read no sample off the grid
  EXPECT_DOUBLE_EQ(hillShade(grid, 1023, 1023), 1.0);
  // A ramp rising toward the south-east faces the light from the north-west; one
  // rising toward the north-west lies in its own shade.
  for (int r = 0; r < kElevSize; ++r)
    for (int c = 0; c < kElevSize; ++c) grid.set(r, c, static_cast<std::int16_t>(5 * (c - r)));
  EXPECT_GT(hillShade(grid, 500, 500), 1.0);
  for (int r = 0; r < kElevSize; ++r)
    for (int c = 0; c < kElevSize; ++c) grid.set(r, c, static_cast<std::int16_t>(5 * (r - c)));
  EXPECT_LT(hillShade(grid, 500, 500), 1.0);
  // A slope across the light is lit like the flat.
  for (int r = 0; r < kElevSize; ++r)
    for (int c = 0; c < kElevSize; ++c) grid.set(r, c, static_cast<std::int16_t>(5 * (r + c)));
  EXPECT_NEAR(hillShade(grid, 500, 500), 1.0, 0.01);

  const Rgb grey = rgb(100, 100, 100);
  EXPECT_EQ(shaded(grey, 1.0), grey);
  EXPECT_EQ(shaded(grey, 0.5), rgb(50, 50, 50));
  EXPECT_EQ(shaded(grey, 0.5, 0.0), grey);
  EXPECT_GT(red(shaded(grey, 1.3)), 100);
  EXPECT_EQ(shaded(rgb(255, 255, 255), 9.0), rgb(255, 255, 255));  // no overflow
}

TEST(PreviewImages, NorthUpOnePixelPerSample) {
  ElevationGrid grid = flatAt(0);
  grid.set(0, 5, 5000);     // southern edge
  grid.set(1023, 9, 9500);  // northern edge
  const RgbImage flat = reliefImage(grid, false);
  ASSERT_EQ(flat.width, 1024);
  ASSERT_EQ(flat.height, 1024);
  EXPECT_EQ(flat.at(5, 1023), elevationColour(5000));
  EXPECT_EQ(flat.at(9, 0), elevationColour(9500));
  EXPECT_EQ(flat.at(6, 1023), elevationColour(0));

  // The shaded relief lights the land but leaves water as it is, even beside a cliff.
  const RgbImage lit = reliefImage(grid, true);
  EXPECT_EQ(lit.at(6, 1023), elevationColour(0));
  EXPECT_EQ(lit.at(4, 1022), elevationColour(0));
  EXPECT_EQ(lit.at(5, 1023), shaded(elevationColour(5000), hillShade(grid, 0, 5)));

  // A type cell covers two by two samples.
  CellGrid types;
  types.set(0, 3, 5);
  types.set(511, 0, 6);
  const RgbImage typed = typeImage(types);
  EXPECT_EQ(typed.at(6, 1023), typeColour(5));
  EXPECT_EQ(typed.at(7, 1022), typeColour(5));
  EXPECT_EQ(typed.at(8, 1023), typeColour(0));
  EXPECT_EQ(typed.at(1, 0), typeColour(6));
  EXPECT_EQ(typed.at(1, 2), typeColour(0));
  const RgbImage sub = subTypeImage(types);
  EXPECT_EQ(sub.at(7, 1022), subTypeColour(5));
}

TEST(PreviewImages, TypesLitSoftlyByTheRelief) {
  ElevationGrid grid = flatAt(0);
  for (int r = 0; r < kElevSize; ++r)
    for (int c = 0; c < kElevSize; ++c)
      grid.set(r, c, static_cast<std::int16_t>(r < 512 ? 0 : std::clamp(9000 + 60 * (r - c), 100, 30000)));
  CellGrid types;
  for (int tr = 0; tr < kTypeSize; ++tr)
    for (int tc = 0; tc < kTypeSize; ++tc) types.set(tr, tc, 1);
  const RgbImage image = typeImage(types, &grid);
  const double shade = hillShade(grid, 800, 600);
  ASSERT_LT(shade, 0.95);
  EXPECT_EQ(image.at(600, lineOfRow(800)), shaded(typeColour(1), shade, 0.6));
  EXPECT_NE(image.at(600, lineOfRow(800)), shaded(typeColour(1), shade));
  EXPECT_EQ(image.at(600, lineOfRow(100)), typeColour(1));  // at sea level: unlit
}

// The land cover layer in the type colours, north up; cells without land cover hatched
// in two greys that no entry has.
TEST(PreviewImages, LandCoverInTheTypeColoursWithoutCoverHatched) {
  std::vector<std::uint8_t> cells(kCoverPixelCount, kNoLandCover);
  const std::pair<int, std::uint8_t> placed[] = {{0, kCoverWater}, {1, 5}, {2, kCoverOpen}, {3, kCoverBare}, {4, 42}};
  for (const auto& [tc, entry] : placed) cells[tc] = entry;  // type row 0: the picture's bottom lines
  const RgbImage image = coverImage(cells);
  for (const auto& [tc, entry] : placed) {
    EXPECT_EQ(image.at(2 * tc, 1023), coverColour(entry)) << int(entry);
    EXPECT_EQ(image.at(2 * tc + 1, 1022), coverColour(entry)) << int(entry);
  }
  EXPECT_EQ(coverColour(5), typeColour(5));
  EXPECT_EQ(coverColour(42), kUnknownTypeColour);
  std::set<Rgb> none;
  for (int x = 100; x < 112; ++x) none.insert(image.at(x, 500));
  EXPECT_EQ(none, (std::set<Rgb>{kNoCoverDark, kNoCoverLight}));
  for (int e = 0; e < kNoLandCover; ++e) {
    EXPECT_NE(coverColour(e), kNoCoverDark) << e;
    EXPECT_NE(coverColour(e), kNoCoverLight) << e;
  }
}

}  // namespace
}  // namespace quarnby::preview
