#include "elevation/greyscale_export.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "batch/batch.h"
#include "elevation/greyscale_import.h"
#include "support/terrain_fixture.h"
#include "terrain/greyscale_bitmap.h"

namespace quarnby {
namespace {

struct GreyscaleExport : testing::TerrainFixture {
  std::filesystem::path bmp = file(suffix::kGreyscale);
  ElevationGrid grid;

  // Exports `grid` answering Yes; the pixels as an image reader sees them, bottom line first.
  std::vector<std::uint8_t> exportGrid() {
    writeElevation(grid);
    h.host.answers.push_back(true);
    EXPECT_EQ(ExpBmp_Click(h.cx), Outcome::Completed);
    const auto file = testing::readBytes(bmp);
    EXPECT_EQ(file.size(), 1049656u);
    if (file.size() != 1049656u) return {};
    return std::vector<std::uint8_t>(file.begin() + 1078, file.begin() + 1078 + 1048576);
  }
  static int at(const std::vector<std::uint8_t>& pixels, int r, int c) { return pixels[r * 1024 + c]; }
};

TEST_F(GreyscaleExport, GreyIsElevationTimes255OverTheMaximumRoundedToEven) {
  grid.set(0, 0, 253);
  grid.set(0, 1, 255);
  grid.set(1023, 1023, 510);
  grid.set(500, 7, -300);  // below the sea: black
  const auto pixels = exportGrid();
  EXPECT_EQ(at(pixels, 0, 0), 126);  // 126.5
  EXPECT_EQ(at(pixels, 0, 1), 128);  // 127.5
  EXPECT_EQ(at(pixels, 1023, 1023), 255);
  EXPECT_EQ(at(pixels, 500, 7), 0);
  EXPECT_EQ(h.host.questions.size(), 1u);
  EXPECT_EQ(h.host.questions[0].title, "Export Greyscale Bitmap");
  EXPECT_EQ(h.host.questions[0].text, "This will create/replace the file:\r\n" + bmp.string() + "\r\n\r\nContinue?");
  EXPECT_EQ(h.host.onlyMessage(),
            "Terrain elevation exported to:\r\n" + bmp.string() + "\r\nand has a max elevation of 510 feet.");
  EXPECT_EQ(h.host.messages[0].icon, Icon::Information);
  const auto progress = h.host.progressOf(ProgressBar::Bar1);
  EXPECT_EQ(std::vector<int>(progress.begin(), progress.begin() + 3), (std::vector<int>{0, 5, 10}));
  EXPECT_EQ(progress.back(), 100);

  grid.set(0, 0, 7000);
  grid.set(1023, 1023, 14000);
  EXPECT_EQ(at(exportGrid(), 0, 0), 128);  // 127.5
}

TEST_F(GreyscaleExport, TheFileIsA1024By1024GreyBitmapWithGridRow0AtTheBottom) {
  grid.set(0, 3, 100);
  grid.set(1023, 5, 50);
  exportGrid();
  std::vector<std::uint8_t> expected(kGreyscalePixelCount, 0);
  expected[3] = 255;
  expected[1023 * 1024 + 5] = 128;  // 127.5
  EXPECT_EQ(testing::readBytes(bmp), greyscaleBitmapFile(expected));
}

TEST_F(GreyscaleExport, AnAllSeaGridGivesABlackPictureAndMaximum0) {
  grid.set(4, 4, -5);
  const auto pixels = exportGrid();
  EXPECT_TRUE(std::all_of(pixels.begin(), pixels.end(), [](std::uint8_t p) { return p == 0; }));
  EXPECT_EQ(h.host.onlyMessage(),
            "Terrain elevation exported to:\r\n" + bmp.string() + "\r\nand has a max elevation of 0 feet.");
}

TEST_F(GreyscaleExport, AnsweringNoLeavesTheBitmapAndSaysNothing) {
  writeElevation(grid);
  testing::writeBytes(bmp, {9, 9});
  EXPECT_EQ(ExpBmp_Click(h.cx), Outcome::EndedEarly);
  EXPECT_EQ(h.host.questions.size(), 1u);
  EXPECT_TRUE(h.host.messages.empty());
  EXPECT_EQ(testing::readBytes(bmp), (std::vector<std::uint8_t>{9, 9}));
}

TEST_F(GreyscaleExport, ExportThenImportPutsEveryRowBackInPlace) {
  grid.set(3, 5, 14000);
  grid.set(1020, 7, 7000);
  grid.set(600, 1000, 100);
  exportGrid();
  h.params.setText("MaxAlt", "14000");
  h.params.setText("MaxSmothAlt", "0");  // no smoothing
  h.params.setText("unitExp", "1");
  h.params.setText("slUnitsBmp", "0");
  h.params.setOption("MapSize512", true);
  ASSERT_EQ(SetElvGrey_Click(h.cx), Outcome::Completed);
  const auto back = readElevation();
  EXPECT_EQ(back.at(3, 5), 14000);
  EXPECT_EQ(back.at(1020, 7), 7027);   // grey 128
  EXPECT_EQ(back.at(600, 1000), 109);  // grey 2
  int landCells = 0;
  for (int r = 0; r < 1024; ++r)
    for (int c = 0; c < 1024; ++c) landCells += back.at(r, c) != 0;
  EXPECT_EQ(landCells, 3);
}

using ElevationPipeline = testing::TerrainFixture;

TEST_F(ElevationPipeline, TheBatchProgramImportsAndExportsInOneCall) {
  testing::TerragenBuilder field;
  field.at(600, 600) = 4000;  // 1000 units, the highest
  field.at(400, 500) = -400;
  writeTerragen(field);
  std::ostringstream out, err;
  const int status = runBatch(
      {"--config", (tmp.path() / "quarnby.cfg").string(), "--yes", "--set", "MaxAlt=14000", "--set", "InvFileOrder=0",
       folder.string(), "find-units-terragen", "set-elevation-terragen", "export-greyscale", "show-params"},
      out, err);
  EXPECT_EQ(status, 0) << err.str();
  EXPECT_NE(out.str().find("MaxUnits= 1000\n"), std::string::npos);
  EXPECT_NE(out.str().find("MinUnits=-100\n"), std::string::npos);
  EXPECT_NE(out.str().find("Max Elevation: 14000\nLocated at: 24, 24\nDone.\n"), std::string::npos);
  EXPECT_NE(out.str().find("and has a max elevation of 14000 feet."), std::string::npos);
  const auto bitmap = testing::readBytes(file(suffix::kGreyscale));
  ASSERT_EQ(bitmap.size(), 1049656u);
  EXPECT_EQ(bitmap[1078 + 600 * 1024 + 600], 255);
}

}  // namespace
}  // namespace quarnby
