#include "elevation/greyscale_import.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "support/terrain_fixture.h"
#include "terrain/greyscale_bitmap.h"

namespace quarnby {
namespace {

// The worked example: grey 255 is 14000 feet, smoothing below 9000 feet, so g_s = 204.45.
struct GreyscaleImport : testing::TerrainFixture {
  std::vector<std::uint8_t> pixels = std::vector<std::uint8_t>(kGreyscalePixelCount, 0);

  GreyscaleImport() {
    h.params.setText("MaxAlt", "14000");
    h.params.setText("MaxSmothAlt", "9000");
    h.params.setText("unitExp", "2");
    h.params.setText("slUnitsBmp", "0");
    h.params.setText("maxUbmp", " 255");
    h.params.setOption("MapSize512", true);
    h.params.setSwitch("PreserveZeros", 1);
  }
  std::uint8_t& pixel(int r, int c) { return pixels[static_cast<std::size_t>(r) * 1024 + c]; }
  ElevationGrid run(Outcome expected = Outcome::Completed) {
    writeGreyscale(pixels);
    EXPECT_EQ(SetElvGrey_Click(h.cx), expected);
    return readElevation();
  }
};

TEST_F(GreyscaleImport, ConvertsAboveGsAndSmoothsBelowWithACentreWeightedBand) {
  pixel(10, 20) = 255;  // 14000 feet, and the maximum
  pixel(30, 30) = 205;  // above g_s: direct
  pixel(50, 30) = 204;  // above 0.95 g_s: (3 x 204 + 0) / 11
  pixel(70, 30) = 195;
  pixel(90, 30) = 194;  // plain: 194 / 9
  pixel(0, 0) = 100;    // a corner averages four pixels
  pixel(0, 500) = 100;  // an edge six
  for (int r = 199; r <= 201; ++r)
    for (int c = 199; c <= 201; ++c) pixel(r, c) = 200;
  const auto grid = run();
  EXPECT_EQ(grid.at(10, 20), 14000);
  EXPECT_EQ(grid.at(30, 30), 9048);
  EXPECT_EQ(grid.at(50, 30), 666);
  EXPECT_EQ(grid.at(70, 30), 608);
  EXPECT_EQ(grid.at(90, 30), 100);
  EXPECT_EQ(grid.at(0, 0), 134);
  EXPECT_EQ(grid.at(0, 500), 59);
  EXPECT_EQ(grid.at(200, 200), 8612);  // (3 x 200 + 8 x 200) / 11 = 200
  EXPECT_EQ(grid.at(20, 10), 0);       // grey 0 stays water
  EXPECT_EQ(h.host.onlyMessage(), "Max Elevation: 14000\r\nLocated at: 0.4, 0.2\r\nDone.");
}

TEST_F(GreyscaleImport, WithSmoothingAboveMaxAltEveryPixelIsAveragedEvenly) {
  h.params.setText("MaxSmothAlt", "15000");  // g_s = 255, and no weighted band
  pixel(400, 400) = 255;
  for (int r = 600; r <= 602; ++r)
    for (int c = 600; c <= 602; ++c) pixel(r, c) = 255;
  const auto grid = run();
  EXPECT_EQ(grid.at(400, 400), 172);  // 255 / 9
  EXPECT_EQ(grid.at(601, 601), 14000);
  EXPECT_EQ(h.host.onlyMessage(), "Max Elevation: 14000\r\nLocated at: 12.02, 12.02\r\nDone.");
}

TEST_F(GreyscaleImport, PreserveZerosKeepsWaterBelowANegativeSeaLevel) {
  h.params.setText("slUnitsBmp", "-10");
  auto grid = run();
  EXPECT_TRUE(std::all_of(grid.bytes().begin(), grid.bytes().end(), [](std::uint8_t b) { return b == 0; }));
  // Nothing above the starting maximum: the report says so rather than leave 8000 ft unexplained.
  EXPECT_EQ(
      h.host.onlyMessage(),
      "Max Elevation: 8000\r\nLocated at: 0, 0\r\nNo sample is above 8000 ft: the highest is 0 ft at 0, 0.\r\nDone.");

  h.params.setSwitch("PreserveZeros", 0);
  grid = run();
  EXPECT_EQ(grid.at(0, 0), 19);  // F(0) = 14000 x (10 / 265)^2
  EXPECT_EQ(grid.at(512, 512), 19);
}

TEST_F(GreyscaleImport, AWaterPixelAmongLandRisesWhenZerosAreNotPreserved) {
  for (int r = 299; r <= 301; ++r)
    for (int c = 299; c <= 301; ++c) pixel(r, c) = 100;
  pixel(300, 300) = 0;
  EXPECT_EQ(run().at(300, 300), 0);
  h.params.setSwitch("PreserveZeros", 0);
  EXPECT_EQ(run().at(300, 300), 1701);  // 800 / 9
}

TEST_F(GreyscaleImport, The256MileWindowWithoutMirroring) {
  h.params.setOption("MapSize256", true);
  std::fill(pixels.begin(), pixels.end(), 255);
  const auto grid = run();
  EXPECT_EQ(grid.at(236, 500), 0);
  EXPECT_EQ(grid.at(237, 500), 1400);
  EXPECT_EQ(grid.at(786, 500), 2800);
  EXPECT_EQ(grid.at(240, 236), 5600);
  EXPECT_EQ(grid.at(500, 245), 12599);
  EXPECT_EQ(grid.at(500, 789), 0);
  EXPECT_EQ(h.host.onlyMessage(), "Max Elevation: 14000\r\nLocated at: 4.92, 4.92\r\nDone.");
  const auto progress = h.host.progressOf(ProgressBar::Bar1);
  EXPECT_EQ(std::vector<int>(progress.begin(), progress.begin() + 5), (std::vector<int>{0, 5, 10, 20, 25}));
  EXPECT_EQ(progress.back(), 100);
}

TEST_F(GreyscaleImport, MaxEqualToSeaLevelIsRefusedBeforeTheGridIsTouched) {
  testing::writeBytes(file(suffix::kElevation), {1, 2, 3});
  writeGreyscale(pixels);
  h.params.setText("slUnitsBmp", "255");
  const auto before = snapshot();
  EXPECT_EQ(SetElvGrey_Click(h.cx), Outcome::EndedEarly);
  EXPECT_EQ(h.host.onlyMessage(),
            "The SL grey level must differ from the Max grey level (both are 255); run Find Units or change the SL "
            "grey level.\r\nThe Elevation File was not changed.");
  EXPECT_EQ(h.host.focus, std::vector<std::string>{"slUnitsBmp"});
  EXPECT_EQ(snapshot(), before);
}

}  // namespace
}  // namespace quarnby
