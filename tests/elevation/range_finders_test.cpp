#include <cerrno>
#include "elevation/range_finders.h"

#include <gtest/gtest.h>

#include "support/temp_folder.h"
#include "support/terragen_builder.h"
#include "terrain/greyscale_bitmap.h"
#include "support/system_texts.h"

namespace quarnby {
namespace {

using testing::Harness;
using testing::TempFolder;
using testing::TerragenBuilder;

struct RangeFinders : ::testing::Test {
  TempFolder tmp;
  std::filesystem::path folder = tmp.terrain("Europe");
  Harness h{folder};
  TerragenBuilder field;
  std::vector<std::uint8_t> pixels = std::vector<std::uint8_t>(kGreyscalePixelCount, 0);

  Outcome findTerragen() {
    testing::writeBytes(folder / "Europe.ter", field.bytes());
    return FindMaxMinUnits_Click(h.cx);
  }
  Outcome findGreyscale() {
    testing::writeBytes(folder / "Europe_elv.bmp", greyscaleBitmapFile(pixels));
    return FindMaxMinUnitsBmp_Click(h.cx);
  }
  std::uint8_t& pixel(int r, int c) { return pixels[static_cast<std::size_t>(r) * 1024 + c]; }
};

TEST_F(RangeFinders, TerragenUnitsRoundedToThreeDecimalsInTheSignPositionFormat) {
  h.params.setOption("MapSize512", true);
  field.baseHeight = 1234;
  field.heightScale = 2;
  field.at(1023, 1023) = 18605;  // 1234.5678 units
  EXPECT_EQ(findTerragen(), Outcome::Completed);
  EXPECT_EQ(h.params.text("MaxUnits"), " 1234.568");
  EXPECT_EQ(h.params.text("MinUnits"), " 1234");
  EXPECT_EQ(h.host.onlyMessage(), "Done");
  EXPECT_EQ(h.host.progressOf(ProgressBar::Bar1).front(), 0);
  EXPECT_EQ(h.host.progressOf(ProgressBar::Bar1).back(), 100);

  field.baseHeight = -3;
  field.heightScale = 13107;
  field.at(1023, 1023) = 0;
  field.at(0, 0) = -1;  // -3.19999695 units
  findTerragen();
  EXPECT_EQ(h.params.text("MinUnits"), "-3.2");
  EXPECT_EQ(h.params.text("MaxUnits"), "-3");
}

TEST_F(RangeFinders, ANegativeHeightScaleTurnsTheLowestRawSampleIntoTheHighestHeight) {
  h.params.setOption("MapSize512", true);
  field.heightScale = -3000;
  field.baseHeight = 20;
  field.at(700, 3) = -20000;       // 935.52734375 units
  field.at(5, 900) = 32767;        // -1479.954... units
  field.at(1024, 1024) = -32768;  // 1520 units, outside the scan
  findTerragen();
  EXPECT_EQ(h.params.text("MaxUnits"), " 935.527");
  EXPECT_EQ(h.params.text("MinUnits"), "-1479.954");
}

TEST_F(RangeFinders, TheStartingValuesTakePartInTheComparison) {
  field.baseHeight = 12000;
  findTerragen();
  EXPECT_EQ(h.params.text("MaxUnits"), " 12000");
  EXPECT_EQ(h.params.text("MinUnits"), " 10000");
  field.baseHeight = -12000;
  findTerragen();
  EXPECT_EQ(h.params.text("MaxUnits"), "-10000");
  EXPECT_EQ(h.params.text("MinUnits"), "-12000");
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

TEST_F(RangeFinders, AnUnreadableSourceLeavesTheFieldsAsTheyWere) {
  h.params.setText("MaxUnits", "77");
  EXPECT_EQ(FindMaxMinUnits_Click(h.cx), Outcome::EndedEarly);
  EXPECT_EQ(h.host.onlyMessage(), "Can't open the Elevation File:\r\n" + (folder / "Europe.ter").string() +
                                      "\r\n" + testing::systemText(ENOENT));
  EXPECT_EQ(h.params.text("MaxUnits"), "77");

  h.host = {};
  EXPECT_EQ(FindMaxMinUnitsBmp_Click(h.cx), Outcome::EndedEarly);
  EXPECT_EQ(h.host.onlyMessage(), "Can't open the Greyscale File:\r\n" + (folder / "Europe_elv.bmp").string() +
                                      "\r\n" + testing::systemText(ENOENT));
  EXPECT_EQ(h.params.text("maxUbmp"), "255");

  h.host = {};
  field.pointChunks = false;
  field.xPoints = field.yPoints = 1024;
  EXPECT_EQ(findTerragen(), Outcome::EndedEarly);
  EXPECT_NE(h.host.onlyMessage().find("it has 1024 x 1024 points."), std::string::npos);
  EXPECT_EQ(h.params.text("MaxUnits"), "77");
}

}  // namespace
}  // namespace quarnby
