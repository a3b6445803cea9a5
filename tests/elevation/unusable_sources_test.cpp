// Every elevation operation whose source is missing or unusable names the file and why,
// and leaves every file of the folder and every parameter as it was.
#include <gtest/gtest.h>

#include <cerrno>

#include "elevation/greyscale_export.h"
#include "elevation/greyscale_import.h"
#include "elevation/range_finders.h"
#include "elevation/terragen_import.h"
#include "support/system_texts.h"
#include "support/terrain_fixture.h"

namespace quarnby {
namespace {

using UnusableSource = testing::TerrainFixture;

TEST_F(UnusableSource, IsNamedWithTheReasonAndChangesNothing) {
  const std::string ter = file(suffix::kTerragen).string();
  const std::string missing = testing::systemText(ENOENT);
  const std::string importFirst =
      "\r\nPress Import DEM... first (it writes Europe.ter), or save a Terragen height field under that name.";
  const std::string exportFirst =
      "\r\nPress Export first (it writes Europe_elv.bmp), or save a greyscale bitmap under that name.";
  const std::string notAField =
      "Can't use the Terragen File:\r\n" + ter + "\r\nIt is not a height field of 1025 x 1025 points: ";
  testing::TerragenBuilder small;
  small.xPoints = small.yPoints = 513;
  testing::TerragenBuilder pointless;  // no POINTS chunk, and one point short each way
  pointless.pointChunks = false;
  pointless.xPoints = pointless.yPoints = 1024;
  struct Case {
    const char* where;
    Outcome (*click)(Context&);
    const testing::TerragenBuilder* field;  // written first; none: no height field
    bool grid;                              // a grid of three bytes is there
    std::string message;
  };
  const std::vector<Case> cases = {
      {"Terragen import, no field", SetElv_Click, nullptr, true,
       "Can't open the Elevation File:\r\n" + ter + "\r\n" + missing + importFirst},
      {"Terragen import, 513 points", SetElv_Click, &small, true, notAField + "it has 513 x 513 points."},
      {"Terragen range, no field", FindMaxMinUnits_Click, nullptr, true,
       "Can't open the Elevation File:\r\n" + ter + "\r\n" + missing + importFirst},
      {"Terragen range, 1024 points", FindMaxMinUnits_Click, &pointless, true,
       notAField + "it has 1024 x 1024 points."},
      {"greyscale import, no bitmap", SetElvGrey_Click, nullptr, true,
       "Can't open the greyscale File:\r\n" + file(suffix::kGreyscale).string() + "\r\n" + missing + exportFirst},
      {"greyscale range, no bitmap", FindMaxMinUnitsBmp_Click, nullptr, true,
       "Can't open the Greyscale File:\r\n" + file(suffix::kGreyscale).string() + "\r\n" + missing + exportFirst},
      // Said with bare carriage returns, and no bitmap is made.
      {"greyscale export, no grid", ExpBmp_Click, nullptr, false,
       "Can't open the Elevation File:\r" + file(suffix::kElevation).string() + "\r" + missing +
           "\r\nPress Set Elevation first: it writes Europe.elv."},
  };
  h.params.setText("MaxUnits", "77");
  for (const Case& c : cases) {
    std::filesystem::remove_all(folder);
    std::filesystem::create_directory(folder);
    if (c.grid) testing::writeBytes(file(suffix::kElevation), {1, 2, 3});
    if (c.field) writeTerragen(*c.field);
    h.host = {};
    h.host.answers = {true};
    const auto files = snapshot();
    const auto values = parameterValues();
    EXPECT_EQ(c.click(h.cx), Outcome::EndedEarly) << c.where;
    EXPECT_EQ(h.host.onlyMessage(), c.message) << c.where;
    EXPECT_EQ(snapshot(), files) << c.where;
    EXPECT_EQ(parameterValues(), values) << c.where;
  }
}

}  // namespace
}  // namespace quarnby
