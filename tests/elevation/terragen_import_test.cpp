#include "elevation/terragen_import.h"

#include <gtest/gtest.h>

#include <map>

#include "support/terrain_fixture.h"

namespace quarnby {
namespace {

using testing::Harness;

// A terrain with a height field of a quarter unit per raw step (1000 units = raw 4000),
// set up as in the worked example: 1000 units are 14000 feet, smoothing below 9000 feet.
struct TerragenImport : testing::TerrainFixture {
  testing::TerragenBuilder field;

  TerragenImport() {
    h.params.setText("MaxAlt", "14000");
    h.params.setText("MaxSmothAlt", "9000");
    h.params.setText("unitExp", "2");
    h.params.setText("slUnits", "0");
    h.params.setText("MaxUnits", "1000");
    h.params.setOption("MapSize512", true);
    h.params.setSwitch("InvFileOrder", 0);
  }

  ElevationGrid run(Outcome expected = Outcome::Completed) {
    writeTerragen(field);
    EXPECT_EQ(SetElv_Click(h.cx), expected);
    return readElevation();
  }
};

TEST_F(TerragenImport, ConvertsDirectlyAboveTAndSmoothsInTwoBandsBelow) {
  field.at(20, 30) = 4000;   // 1000 units: 14000 feet
  field.at(40, 40) = 3208;   // 802 units, above t = 801.8: direct
  field.at(60, 40) = 3204;   // 801 units, within w of t: (3 z0 + 0 + 0 + 0) / 6
  field.at(80, 40) = 2452;   // 613 units, still above t - w = 612.8
  field.at(100, 40) = 2448;  // 612 units: plain average of four
  field.at(120, 40) = 2800;  // 700 units with three neighbours
  field.at(120, 41) = 2000;
  field.at(121, 41) = 2400;
  field.at(121, 40) = 1600;
  field.at(140, 40) = -4;  // below sea level
  const auto grid = run();
  EXPECT_EQ(grid.at(20, 30), 14000);
  EXPECT_EQ(grid.at(40, 40), 9004);
  EXPECT_EQ(grid.at(60, 40), 2245);
  EXPECT_EQ(grid.at(80, 40), 1315);
  EXPECT_EQ(grid.at(100, 40), 327);
  EXPECT_EQ(grid.at(120, 40), 5040);  // a = (3 x 2800 + 2000 + 2400 + 1600) / 6 = 2400: 600 units
  EXPECT_EQ(grid.at(140, 40), 0);
  EXPECT_EQ(h.host.onlyMessage(), "Max Elevation: 14000\r\nLocated at: 1.2, 0.8\r\nDone.");
  EXPECT_EQ(h.host.messages[0].icon, Icon::Information);
  const auto progress = h.host.progressOf(ProgressBar::Bar1);
  EXPECT_EQ(std::vector<int>(progress.begin(), progress.begin() + 2), (std::vector<int>{0, 5}));
  EXPECT_EQ(progress.size(), 2u + 1024u);
  EXPECT_EQ(progress.back(), 100);
}

TEST_F(TerragenImport, SmoothingTheLastRowReadsTheSpareRow1024) {
  field.at(1023, 50) = 400;
  field.at(1024, 50) = 1200;
  EXPECT_EQ(run().at(1023, 50), 140);  // a = (400 + 0 + 0 + 1200) / 4: 100 units
}

// Fields that give no scale from units to feet, or one of 0 of either sign, which would
// write nothing but sea: each is named and gets the focus. The first two are both 0 as at
// start-up, before Find Units, and both found equal.
TEST_F(TerragenImport, AFieldThatGivesNoScaleIsNamedAndRefusedWithTheGridUntouched) {
  const std::string equal =
      "), so they give no scale from units to feet.\r\n"
      "Run Find Units first, or set the SL units below the Max Units.";
  const std::string noScale = "The SL units and the Max Units give no scale from units to feet with the exponent ";
  struct Case {
    std::map<std::string, std::string> sets;  // over SL units 0, Max Units 1000, unit^ 2, Max Alt 14000
    std::string message;
    std::string focus;
  };
  const std::vector<Case> cases = {
      {{{"MaxUnits", "0"}}, "The SL units equal the Max Units (0" + equal, "slUnits"},
      {{{"slUnits", "1000"}}, "The SL units equal the Max Units (1000" + equal, "slUnits"},
      {{{"slUnits", "2000"}}, "The SL units must be less then the Max Units.", "slUnits"},
      {{{"slUnits", "-1000"}}, noScale + "2.", "slUnits"},  // minus the Max Units, squared
      {{{"slUnits", "-2000"}}, noScale + "2.", "slUnits"},  // below the Max Units, yet its square above
      {{{"MaxAlt", "0"}}, "Max Alt (0) must be above 0: it is the height in feet of the Max Units.", "MaxAlt"},
      {{{"MaxAlt", "-14000"}},
       "Max Alt (-14000) must be above 0: it is the height in feet of the Max Units.",
       "MaxAlt"},
      {{{"unitExp", "abc"}},
       "The exponent unit^ (abc) reads as 0, so the SL units and the Max Units would give the same height.",
       "unitExp"},
      // 0 to a negative power is infinite: the scale is -0.
      {{{"unitExp", "-1"}}, "The exponent unit^ (-1) must be above 0, or higher units give lower ground.", "unitExp"},
      {{{"unitExp", "400"}},
       "The Max Units to the power unit^ (400) are too large to give a scale from units to feet.",
       "unitExp"},
  };
  field.fill(4000);
  writeTerragen(field);
  testing::writeBytes(file(suffix::kElevation), std::vector<std::uint8_t>(kElevBytes, 7));
  const auto before = snapshot();
  for (const Case& c : cases) {
    std::string where;
    h.params.setText("slUnits", "0");
    h.params.setText("MaxUnits", "1000");
    h.params.setText("unitExp", "2");
    h.params.setText("MaxAlt", "14000");
    for (const auto& [name, value] : c.sets) {
      h.params.setText(name, value);
      where += name + " " + value;
    }
    h.host = {};
    EXPECT_EQ(SetElv_Click(h.cx), Outcome::EndedEarly) << where;
    EXPECT_EQ(h.host.onlyMessage(), c.message) << where;
    ASSERT_EQ(h.host.messages.size(), 1u) << where;
    EXPECT_EQ(h.host.messages[0].icon, Icon::Critical) << where;
    EXPECT_EQ(h.host.focus, std::vector<std::string>{c.focus}) << where;
    EXPECT_EQ(snapshot(), before) << where;
  }
}

TEST_F(TerragenImport, AReportWhoseMaximumNoSampleReachedNamesTheHighestSample) {
  h.params.setText("MaxSmothAlt", "0");
  field.at(512, 972) = 2400;  // 600 units: 5040 feet, below the starting 14000 / 1.5
  run();
  EXPECT_EQ(h.host.onlyMessage(),
            "Max Elevation: 9333\r\nLocated at: 0, 0\r\n"
            "No sample is above 9333 ft: the highest is 5040 ft at 38.88, 20.48.\r\nDone.");
}

TEST_F(TerragenImport, TheFirstOfEqualMaximaKeepsTheLocation) {
  field.at(7, 9) = 4000;
  field.at(7, 10) = 4000;
  field.at(300, 2) = 4000;
  run();
  EXPECT_EQ(h.host.onlyMessage(), "Max Elevation: 14000\r\nLocated at: 0.36, 0.28\r\nDone.");
}

TEST_F(TerragenImport, InvertedFileOrderMirrorsRowsButReportsTheFileRow) {
  h.params.setSwitch("InvFileOrder", 1);
  field.at(3, 7) = 4000;
  field.at(1023, 0) = 4000;
  const auto grid = run();
  EXPECT_EQ(grid.at(1020, 7), 14000);
  EXPECT_EQ(grid.at(0, 0), 14000);
  EXPECT_EQ(grid.at(3, 7), 0);
  EXPECT_EQ(h.host.onlyMessage(), "Max Elevation: 14000\r\nLocated at: 0.28, 0.12\r\nDone.");
}

TEST_F(TerragenImport, The256MileWindowFadesOverTenRowsAndColumnsInsideAZeroBorder) {
  h.params.setOption("MapSize256", true);
  field.fill(4000);  // 14000 feet everywhere before fading
  const auto grid = run();
  for (int c : {0, 236, 500, 788, 1023}) {
    EXPECT_EQ(grid.at(236, c), 0);
    EXPECT_EQ(grid.at(788, c), 0);
    EXPECT_EQ(grid.at(100, c), 0);
    EXPECT_EQ(grid.at(900, c), 0);
  }
  EXPECT_EQ(grid.at(237, 500), 1400);
  EXPECT_EQ(grid.at(245, 500), 12600);
  EXPECT_EQ(grid.at(246, 500), 14000);
  EXPECT_EQ(grid.at(787, 500), 1400);
  // Row 240 fades by 0.4 only: its edge columns are not faded a second time.
  EXPECT_EQ(grid.at(240, 236), 5600);
  EXPECT_EQ(grid.at(240, 237), 5600);
  EXPECT_EQ(grid.at(240, 500), 5600);
  // Whole rows fade at their ends, by a single-precision factor.
  EXPECT_EQ(grid.at(500, 236), 0);
  EXPECT_EQ(grid.at(500, 237), 1400);
  EXPECT_EQ(grid.at(500, 245), 12599);
  EXPECT_EQ(grid.at(500, 246), 14000);
  EXPECT_EQ(grid.at(500, 788), 0);
  EXPECT_EQ(grid.at(500, 789), 0);
  EXPECT_EQ(h.host.onlyMessage(), "Max Elevation: 14000\r\nLocated at: 9.84, 9.84\r\nDone.");

  // 0, 5, the border (10, 20, 25 for each window row, 30), then one step per window row.
  const auto progress = h.host.progressOf(ProgressBar::Bar1);
  ASSERT_EQ(progress.size(), 2u + 2u + 553u + 1u + 553u);
  EXPECT_EQ(std::vector<int>(progress.begin(), progress.begin() + 5), (std::vector<int>{0, 5, 10, 20, 25}));
  EXPECT_EQ(progress[4 + 552], 25);
  EXPECT_EQ(progress[4 + 553], 30);
  EXPECT_EQ(progress.back(), 100);
}

TEST_F(TerragenImport, OutOfRangeAndIncomputableCellsGet32767And0) {
  h.params.setText("MaxAlt", "40000");
  field.at(10, 10) = 4000;  // 40000 feet
  EXPECT_EQ(run().at(10, 10), 32767);

  // A fractional exponent of a negative average cannot be computed; the cell is sea,
  // whatever the cell before it got.
  h.params.setText("MaxAlt", "14000");
  h.params.setText("unitExp", "1.5");
  field.at(50, 49) = 4000;
  field.at(50, 51) = field.at(51, 51) = field.at(51, 50) = -400;
  const auto grid = run();
  EXPECT_EQ(grid.at(50, 49), 14000);
  EXPECT_EQ(grid.at(50, 50), 0);
}

TEST_F(TerragenImport, NoTerrainFolderOpensNothing) {
  Harness root{"/"};
  EXPECT_EQ(SetElv_Click(root.cx), Outcome::EndedEarly);
  EXPECT_EQ(root.host.onlyMessage(), "Please select a terrain folder.");
}

}  // namespace
}  // namespace quarnby
