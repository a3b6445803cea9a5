#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "batch/batch.h"
#include "dem_sources.h"
#include "support/temp_folder.h"

namespace quarnby {
namespace {

// quarnby-batch FOLDER import-dem --source FILE... [--centre LAT,LON] [--resampling NAME]
// followed by further commands, as a user types it.
struct ImportDemBatch : ::testing::Test {
  testing::TempFolder tmp;
  std::string config = (tmp.path() / "quarnby.cfg").string();
  std::string folder = tmp.terrain("Alps").string();
  std::string west = (tmp.path() / "west.tif").string();
  std::string east = (tmp.path() / "east.tif").string();

  ImportDemBatch() {
    testing::writeRaster(west, testing::geographicLayout(45.0, 6.0, 48.0, 8.5, 0.02),
                         [](dem::GeoPoint p) { return 1000.0 + 100.0 * (p.lat - 46.5); });
    testing::writeRaster(east, testing::geographicLayout(45.0, 7.5, 48.0, 10.0, 0.02),
                         [](dem::GeoPoint) { return -20.0; });
  }
  struct Run {
    int status;
    std::string out, err;
  };
  Run run(std::vector<std::string> args) {
    args.insert(args.begin(), {"--config", config, folder});
    std::ostringstream out, err;
    const int status = runBatch(args, out, err);
    return {status, out.str(), err.str()};
  }
};

TEST_F(ImportDemBatch, OptionsRunUntilTheNextCommandAndFindUnitsFindsWhatTheImportSet) {
  const auto r = run({"import-dem", "--source", west, "--source", east, "--centre", "46.5,8.25", "--resampling",
                      "bilinear", "show-params", "find-units-terragen", "show-params"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_NE(r.out.find("Imported 2 sources into"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("(resampling: bilinear)"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("InvFileOrder=0\n"), std::string::npos);
  EXPECT_NE(r.out.find("MinUnits=-65.6"), std::string::npos) << r.out;  // -20 m: the east tile won
  // The parameters after the import and after Find Units read the same.
  const auto first = r.out.find("Combo1="), second = r.out.find("Combo1=", first + 1);
  ASSERT_NE(second, std::string::npos);
  const auto done = r.out.find("Done\n", first);
  EXPECT_EQ(r.out.substr(first, done - first), r.out.substr(second));

  // The import is a step of the folder's history, the theatre frame with the field, and
  // undo takes both away again.
  const auto field = std::filesystem::path(folder) / "Alps.ter";
  const auto frame = std::filesystem::path(folder) / "gis" / "Alps_theatre.txt";
  ASSERT_TRUE(std::filesystem::exists(field));
  ASSERT_TRUE(std::filesystem::exists(frame));
  const auto history = run({"history", "undo"});
  EXPECT_EQ(history.status, 0) << history.err;
  EXPECT_NE(history.out.find("Import DEM (Alps.ter, gis/Alps_theatre.txt; MaxUnits, "), std::string::npos)
      << history.out;
  EXPECT_FALSE(std::filesystem::exists(field));
  EXPECT_FALSE(std::filesystem::exists(frame));

  // Within a run, undo puts the Terragen column back as it was before the import.
  const auto again = run({"import-dem", "--source", west, "undo", "show-params"});
  ASSERT_EQ(again.status, 0) << again.err;
  EXPECT_NE(again.out.find("InvFileOrder=1\n"), std::string::npos) << again.out;
}

TEST_F(ImportDemBatch, WithoutACentreTheSourcesCentreTheTheatre) {
  const auto r = run({"import-dem", "--source", west});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("Imported 1 source into"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("(resampling: bilinear)"), std::string::npos) << r.out;  // 2 km cells are not finer
}

TEST_F(ImportDemBatch, BadOptionsAreUsageErrorsAndBadCentresEndTheRun) {
  struct Case {
    std::vector<std::string> args;
    int status;
    const char* says;
  };
  const std::vector<Case> cases = {
      {{"import-dem", "--source", west, "--centre", "north"}, 2, "--centre needs LAT,LON in degrees, got 'north'"},
      {{"import-dem", "--source", west, "--resampling", "smooth"}, 2, "--resampling needs one of near, bilinear"},
      {{"find-units-terragen", "--source", west}, 2, "unknown option '--source'"},
      {{"import-dem", "--source", west, "--centre", "85,8", "show-params"}, 1, "lies out of range"},
      {{"import-dem", "--source", west, "--centre", "46.5,-190"}, 1, "lies out of range"},
      {{"import-dem"}, 1, "needs at least one elevation source"},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.says);
    const auto r = run(k.args);
    EXPECT_EQ(r.status, k.status);
    EXPECT_NE(r.err.find(k.says), std::string::npos) << r.err;
    EXPECT_EQ(r.out.find("Combo1="), std::string::npos);  // nothing after the failed command ran
  }
}

}  // namespace
}  // namespace quarnby
