#include "dem/land_cover.h"

#include <gdal_utils.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <sstream>

#include "batch/batch.h"
#include "dem/gdal_support.h"
#include "dem_sources.h"
#include "support/terrain_fixture.h"
#include "terrain/cover_bitmap.h"
#include "terrain/file_io.h"
#include "terrain/theatre_frame.h"

namespace quarnby {
namespace {

constexpr dem::GeoPoint kCentre{46.5, 8.0};
constexpr double kNone = std::numeric_limits<double>::quiet_NaN();
constexpr double kHalfSample = dem::kSampleMetres / 2;
constexpr int kFirst = 100, kCells = 32;  // the sources cover cells 100..131 each way

// A class code for sub-sample (sx, sy) of type cell (tc, tr), both counted from the south-west.
using Pattern = std::function<double(int tc, int tr, int sx, int sy)>;

// The theatre's west and south edges, those of type cell 0.
constexpr double kEdge = -512.5 * dem::kSampleMetres;

// Writes a class raster over cells 100..131 each way: in the theatre's own projection one
// pixel per sub-sample; in another system (`cellSize` > 0) a grid of cells that size around
// them, each pixel taking the sub-sample its centre lies in. `srs` "" writes it without a
// coordinate system.
void writeClasses(const std::filesystem::path& file, const Pattern& code, int bands = 1,
                  const std::string& srs = dem::theatreProjection(kCentre), double cellSize = 0) {
  testing::RasterLayout layout;
  layout.srs = srs;  // "": none
  layout.width = layout.height = 4 * kCells;
  const double west = kEdge + 2 * kFirst * dem::kSampleMetres, south = west;
  layout.geoTransform = {west, kHalfSample, 0.0, south + layout.height * kHalfSample, 0.0, -kHalfSample};
  const auto theatre = dem::spatialRef(dem::theatreProjection(kCentre));
  if (cellSize > 0) {
    const auto target = dem::spatialRef(srs);
    dem::CoordinateTransform toTarget(OCTNewCoordinateTransformation(theatre.get(), target.get()));
    const double east = west + 2 * kCells * dem::kSampleMetres;
    double x[4] = {west, east, east, west}, y[4] = {south, south, east, east};
    OCTTransform(toTarget.get(), 4, x, y, nullptr);
    const double x0 = *std::min_element(x, x + 4) - cellSize, x1 = *std::max_element(x, x + 4) + cellSize;
    const double y0 = *std::min_element(y, y + 4) - cellSize, y1 = *std::max_element(y, y + 4) + cellSize;
    layout.width = static_cast<int>(std::ceil((x1 - x0) / cellSize));
    layout.height = static_cast<int>(std::ceil((y1 - y0) / cellSize));
    layout.geoTransform = {x0, cellSize, 0.0, y1, 0.0, -cellSize};
  }
  layout.bands = bands;
  layout.noData = 255;
  const auto wgs84 = dem::geographicWgs84();
  dem::CoordinateTransform toTheatre(OCTNewCoordinateTransformation(wgs84.get(), theatre.get()));
  testing::writeRaster(file, layout, [&](dem::GeoPoint p) {
    if (srs.empty()) return code(kFirst, kFirst, 0, 0);  // cells not on the Earth
    double x = p.lon, y = p.lat;
    OCTTransform(toTheatre.get(), 1, &x, &y, nullptr);
    const int gx = static_cast<int>(std::floor((x - kEdge) / kHalfSample)),
              gy = static_cast<int>(std::floor((y - kEdge) / kHalfSample));
    if (gx < 4 * kFirst || gy < 4 * kFirst || gx >= 4 * (kFirst + kCells) || gy >= 4 * (kFirst + kCells)) return kNone;
    return code(gx / 4, gy / 4, gx % 4, gy % 4);
  });
}

// ESA WorldCover codes: 10 trees, 40 crops, 60 bare, 80 water; 77 is none of its codes.
const std::map<std::int64_t, std::uint8_t> kWorldCover = {
    {10, 5}, {40, 3}, {60, kCoverBare}, {80, kCoverWater}, {0, kNoLandCover}};

struct LandCover : testing::TerrainFixture {
  LandCover() : TerrainFixture("Alps") {}
  LandCoverRequest request(int smallestPatch) {
    LandCoverRequest r;
    r.centre = kCentre;
    r.classes = kWorldCover;
    r.smallestPatch = smallestPatch;
    r.seaLevel.assign(kCoverPixelCount, 0);
    return r;
  }
  std::filesystem::path source(const std::string& name, const Pattern& code) {
    const auto file = tmp.path() / name;
    writeClasses(file, code);
    return file;
  }
};

// Every rule of the counting, one cell each, on a background of crops.
TEST_F(LandCover, EachCellCountsItsSixteenSubSamples) {
  const Pattern pattern = [](int tc, int tr, int sx, int sy) -> double {
    const int k = sy * 4 + sx;  // 0..15
    if (tr != 110) return 40;
    switch (tc) {
      case 102: return 10;                                // all trees
      case 104: return k < 8 ? 80 : 10;                   // half water: water
      case 106: return k < 7 ? 80 : 10;                   // less than half water: trees
      case 108: return k < 8 ? kNone : 10;                // half without data: no land cover
      case 110: return k < 6 ? 10 : k < 12 ? 40 : kNone;  // trees and crops tie: the lower entry, Farm
      case 112: return 77;                                // a code the table does not know
      case 114: return k < 9 ? 60 : 10;                   // bare ground
      default: return 40;
    }
  };
  auto r = request(1);
  r.sources = {source("classes.tif", pattern)};
  const auto result = dem::landCover(r);
  ASSERT_EQ(result.status, LandCoverResult::Status::Done) << result.problem;
  auto at = [&](int tc, int tr) { return int(result.cells[static_cast<std::size_t>(tr) * kCoverSize + tc]); };
  const std::vector<std::pair<int, int>> expected = {
      {102, 5}, {104, kCoverWater},  {106, 5},          {108, kNoLandCover},
      {110, 3}, {112, kNoLandCover}, {114, kCoverBare}, {116, 3}};
  for (const auto& [tc, entry] : expected) EXPECT_EQ(at(tc, 110), entry) << "cell " << tc;
  EXPECT_EQ(at(kFirst, kFirst), 3);
  EXPECT_EQ(at(kFirst + kCells - 1, kFirst + kCells - 1), 3);
  EXPECT_EQ(at(kFirst - 1, kFirst), kNoLandCover);  // beyond the source
  EXPECT_EQ(at(kFirst + kCells, kFirst), kNoLandCover);
  EXPECT_EQ(result.unknownCodes, (std::map<std::int64_t, std::uint64_t>{{77, 16}}));

  // A later source wins where it has data: trees over row 120 only.
  r.sources.push_back(source("later.tif", [](int, int tr, int, int) { return tr == 120 ? 10.0 : kNone; }));
  const auto both = dem::landCover(r);
  ASSERT_EQ(both.status, LandCoverResult::Status::Done) << both.problem;
  EXPECT_EQ(both.cells[120 * kCoverSize + 105], 5);
  EXPECT_EQ(both.cells[110 * kCoverSize + 104], kCoverWater);
}

// The same mixes of sub-samples, cell by cell, from a source in the theatre's own projection,
// in latitude and longitude, and in another projection: each cell's entry is known from its mix.
TEST_F(LandCover, EveryCellAgreesFromSourcesInAnyCoordinateSystem) {
  struct Mix {
    const char* what;
    double (*code)(int k);  // the code of sub-sample k = 4 sy + sx
    int entry;
  };
  static const Mix kMixes[] = {
      {"trees", [](int) { return 10.0; }, 5},
      {"water in the south half", [](int k) { return k < 8 ? 80.0 : 10.0; }, kCoverWater},
      {"water in the west half", [](int k) { return k % 4 < 2 ? 80.0 : 40.0; }, kCoverWater},
      {"seven water", [](int k) { return k < 7 ? 80.0 : 40.0; }, 3},
      {"no data in the north half", [](int k) { return k >= 8 ? kNone : 60.0; }, kNoLandCover},
      {"bare ahead of trees and crops", [](int k) { return k < 6    ? 60.0
                                                           : k < 11 ? 10.0
                                                                    : 40.0; }, kCoverBare},
      {"an unknown code", [](int) { return 77.0; }, kNoLandCover},
  };
  auto mixOf = [](int tc, int tr) -> const Mix& { return kMixes[(tc * 3 + tr * 5) % std::size(kMixes)]; };
  const Pattern pattern = [&](int tc, int tr, int sx, int sy) { return mixOf(tc, tr).code(sy * 4 + sx); };
  struct Case {
    const char* what;
    std::string srs;
    double cellSize;  // 0: one pixel per sub-sample
  };
  const Case cases[] = {
      {"the theatre's projection", dem::theatreProjection(kCentre), 0},
      {"latitude and longitude", "EPSG:4326", 0.0009},
      {"UTM zone 32 north", "EPSG:32632", 100},
  };
  for (const Case& c : cases) {
    const auto file = tmp.path() / (std::string(c.what) + ".tif");
    writeClasses(file, pattern, 1, c.srs, c.cellSize);
    auto r = request(1);
    r.sources = {file};
    const auto result = dem::landCover(r);
    ASSERT_EQ(result.status, LandCoverResult::Status::Done) << c.what << ": " << result.problem;
    int wrong = 0, unknown = 0;
    for (int tr = kFirst - 1; tr <= kFirst + kCells; ++tr)
      for (int tc = kFirst - 1; tc <= kFirst + kCells; ++tc) {
        const bool inside = tc >= kFirst && tr >= kFirst && tc < kFirst + kCells && tr < kFirst + kCells;
        const int expected = inside ? mixOf(tc, tr).entry : kNoLandCover;
        unknown += inside && mixOf(tc, tr).code(0) == 77.0;
        const int got = result.cells[static_cast<std::size_t>(tr) * kCoverSize + static_cast<std::size_t>(tc)];
        if (got != expected && ++wrong <= 5)
          ADD_FAILURE() << c.what << ": cell (" << tc << ", " << tr << ") "
                        << (inside ? mixOf(tc, tr).what : "beyond the source") << " got " << got << ", not "
                        << expected;
      }
    EXPECT_EQ(wrong, 0) << c.what;
    EXPECT_EQ(result.unknownCodes, (std::map<std::int64_t, std::uint64_t>{{77, 16 * unknown}})) << c.what;
  }
}

// A VRT over tiles gives what the whole raster gives: read tile by tile when it only lays
// them side by side, through the VRT when it resamples them.
TEST_F(LandCover, AMosaicOfTilesGivesWhatTheWholeRasterGives) {
  const Pattern pattern = [](int tc, int tr, int sx, int sy) {
    const double codes[] = {10, 40, 60, 80, 77, kNone};
    return codes[(tc * 7 + tr * 3 + sx + 2 * sy) % 6];
  };
  const auto whole = tmp.path() / "whole.tif";
  writeClasses(whole, pattern, 1, "EPSG:4326", 0.0009);
  const dem::Dataset raster(GDALOpen(whole.string().c_str(), GA_ReadOnly));
  ASSERT_TRUE(raster);
  const int w = GDALGetRasterXSize(raster.get()), h = GDALGetRasterYSize(raster.get());
  std::vector<std::string> tiles;
  for (int j = 0; j < 2; ++j)
    for (int i = 0; i < 2; ++i) {
      tiles.push_back((tmp.path() / ("tile" + std::to_string(j) + std::to_string(i) + ".tif")).string());
      const std::string x0 = std::to_string(i * (w / 2)), y0 = std::to_string(j * (h / 2)),
                        tw = std::to_string(i ? w - w / 2 : w / 2), th = std::to_string(j ? h - h / 2 : h / 2);
      const char* args[] = {"-srcwin", x0.c_str(), y0.c_str(), tw.c_str(), th.c_str(), nullptr};
      GDALTranslateOptions* options = GDALTranslateOptionsNew(const_cast<char**>(args), nullptr);
      dem::Dataset tile(GDALTranslate(tiles.back().c_str(), raster.get(), options, nullptr));
      GDALTranslateOptionsFree(options);
      ASSERT_TRUE(tile);
    }
  std::vector<const char*> names;
  for (const auto& t : tiles) names.push_back(t.c_str());
  auto request = [&](const std::filesystem::path& file) {
    auto r = this->request(1);
    r.sources = {file};
    return dem::landCover(r);
  };
  const auto expected = request(whole);
  ASSERT_EQ(expected.status, LandCoverResult::Status::Done) << expected.problem;
  const std::string half = std::to_string(0.00045);
  const std::vector<std::vector<std::string>> vrts = {{}, {"-tr", half, half}};
  for (const auto& args : vrts) {
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const auto vrt = tmp.path() / (args.empty() ? "side by side.vrt" : "resampled.vrt");
    GDALBuildVRTOptions* options = GDALBuildVRTOptionsNew(argv.data(), nullptr);
    GDALClose(
        GDALBuildVRT(vrt.string().c_str(), static_cast<int>(names.size()), nullptr, names.data(), options, nullptr));
    GDALBuildVRTOptionsFree(options);
    const auto result = request(vrt);
    ASSERT_EQ(result.status, LandCoverResult::Status::Done) << result.problem;
    EXPECT_EQ(result.cells, expected.cells) << vrt;
    EXPECT_EQ(result.unknownCodes, expected.unknownCodes) << vrt;
  }
}

// Single cells merge into the crops around them; a pair stays, and so does water that
// touches the sea.
TEST_F(LandCover, PatchesSmallerThanTheSmallestMergeExceptTheSea) {
  const Pattern pattern = [](int tc, int tr, int, int) -> double {
    if (tr == 110 && tc == 105) return 10;                 // one cell of trees
    if (tr == 110 && (tc == 110 || tc == 111)) return 10;  // two
    if (tr == 120 && (tc == 105 || tc == 110)) return 80;  // a pond; a cell of the sea
    return 40;
  };
  auto r = request(2);
  r.sources = {source("classes.tif", pattern)};
  r.seaLevel[120 * kCoverSize + 110] = 1;
  const auto result = dem::landCover(r);
  ASSERT_EQ(result.status, LandCoverResult::Status::Done) << result.problem;
  EXPECT_EQ(result.cells[110 * kCoverSize + 105], 3);
  EXPECT_EQ(result.cells[110 * kCoverSize + 110], 5);
  EXPECT_EQ(result.cells[110 * kCoverSize + 111], 5);
  EXPECT_EQ(result.cells[120 * kCoverSize + 105], 3);
  EXPECT_EQ(result.cells[120 * kCoverSize + 110], kCoverWater);
}

struct LandCoverBatch : LandCover {
  std::string run(std::vector<std::string> args, int expectedStatus) {
    args.insert(args.begin(), {"--config", (tmp.path() / "none.cfg").string(), folder.string()});
    std::ostringstream out, err;
    EXPECT_EQ(runBatch(args, out, err), expectedStatus) << out.str() << err.str();
    return out.str() + err.str();
  }
};

// From the command line: the layer, then Set Type with it, as one step of the history.
TEST_F(LandCoverBatch, WritesTheLayerTypesWithItAndUndoesBoth) {
  ElevationGrid elev;
  for (int r = 0; r < kElevSize; ++r)
    for (int c = 0; c < kElevSize; ++c) elev.set(r, c, 3000);  // band 8 of the laid-out thresholds
  writeElevation(elev);
  const std::vector<std::uint8_t> oldTypes(kTypeBytes, 2);
  testing::writeBytes(file(suffix::kType), oldTypes);
  const auto classes = source("classes.tif", [](int tc, int, int, int) { return tc < 116 ? 10.0 : 77.0; });

  const std::string out = run({"import-land-cover", "--source", classes.string(), "--centre", "46.5,8", "--table",
                               "esa-worldcover", "--smallest-patch", "3"},
                              0);
  EXPECT_NE(out.find("Imported land cover from 1 source with the class table esa-worldcover"), std::string::npos)
      << out;
  EXPECT_NE(out.find("Codes the table does not know, counted as ALT (sub-samples): 77 (8192)."), std::string::npos)
      << out;
  EXPECT_EQ(out.find("Done"), std::string::npos) << out;
  const auto types = readTypes();
  EXPECT_EQ(types.at(110, 105), 5);  // trees
  EXPECT_NE(types.at(110, 120), 5);  // an unknown code: the bands decide
  EXPECT_EQ(types.at(110, 120), types.at(10, 10));
  ASSERT_TRUE(std::filesystem::exists(file(suffix::kCover)));
  // The folder had no frame: the centre given is recorded, as Import DEM records it.
  std::string error;
  const auto frame = readTheatreFrame(folder, error);
  ASSERT_TRUE(frame) << error;
  EXPECT_EQ(theatreFrameText(*frame), theatreFrameText(theatreFrameAt(46.5, 8.0)));
  EXPECT_EQ(frame->projection, dem::theatreProjection(kCentre));

  EXPECT_NE(run({"history"}, 0).find("Import Land Cover (Alps_cover.bmp, Alps.typ, gis/Alps_theatre.txt"),
            std::string::npos);
  run({"undo"}, 0);
  EXPECT_EQ(testing::readBytes(file(suffix::kType)), oldTypes);
  EXPECT_FALSE(std::filesystem::exists(file(suffix::kCover)));
  EXPECT_FALSE(std::filesystem::exists(theatreFrameFile(folder)));
}

// A folder with a frame keeps it: the same centre is taken, another refused.
TEST_F(LandCoverBatch, TheFolderFrameDecidesTheCentre) {
  writeElevation(ElevationGrid());
  const auto classes = source("classes.tif", [](int, int, int, int) { return 10.0; });
  std::filesystem::create_directories(theatreFrameFile(folder).parent_path());
  testing::writeText(theatreFrameFile(folder), theatreFrameText(theatreFrameAt(46.5, 8.0)));
  const auto before = snapshot();
  const auto frameBytes = testing::readBytes(theatreFrameFile(folder));
  const std::string refused = run({"import-land-cover", "--source", classes.string(), "--centre", "47,8"}, 1);
  EXPECT_NE(refused.find("The theatre centre 47.00000, 8.00000 differs from the folder's theatre frame"),
            std::string::npos)
      << refused;
  EXPECT_NE(refused.find("which puts the theatre at 46.50000, 8.00000"), std::string::npos) << refused;
  EXPECT_EQ(snapshot(), before);
  EXPECT_EQ(testing::readBytes(theatreFrameFile(folder)), frameBytes);

  run({"import-land-cover", "--source", classes.string(), "--centre", "46.5,8"}, 0);
  EXPECT_EQ(testing::readBytes(theatreFrameFile(folder)), frameBytes);
  const std::string history = run({"history"}, 0);
  EXPECT_NE(history.find("Import Land Cover (Alps_cover.bmp, Alps.typ"), std::string::npos) << history;
  EXPECT_EQ(history.find("gis/"), std::string::npos) << history;
}

TEST_F(LandCoverBatch, BadInputIsRefusedAndLeavesEveryFile) {
  writeElevation(ElevationGrid());
  const auto classes = source("classes.tif", [](int, int, int, int) { return 10.0; });
  const auto colour = tmp.path() / "colour.tif";
  writeClasses(
      colour, [](int, int, int, int) { return 10.0; }, 3);
  const auto bare = tmp.path() / "bare.tif";
  writeClasses(
      bare, [](int, int, int, int) { return 10.0; }, 1, "");
  testing::writeText(tmp.path() / "mine.csv", "code,name,type,note\n10,Trees,tree,\n");
  struct Case {
    std::vector<std::string> args;
    std::string says;
  };
  const std::vector<Case> cases = {
      {{"--source", classes.string()}, "the folder has no theatre frame"},
      {{"--source", colour.string(), "--centre", "46.5,8"}, "The land cover source has 3 bands:"},
      {{"--source", bare.string(), "--centre", "46.5,8"}, "The land cover source has no coordinate system:"},
      {{"--source", classes.string(), "--centre", "-30,100"}, "No land cover source touches the theatre"},
      {{"--source", classes.string(), "--centre", "46.5,8", "--table", (tmp.path() / "mine.csv").string()},
       "mine.csv, line 2: the type 'tree' is none of"},
      {{"--source", classes.string(), "--centre", "46.5,8", "--table", "worldcover"},
       "There is no class table named 'worldcover'"},
  };
  const auto before = snapshot();
  for (const Case& c : cases) {
    std::vector<std::string> args = {"import-land-cover"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const std::string out = run(args, 1);
    EXPECT_NE(out.find(c.says), std::string::npos) << out;
    EXPECT_EQ(snapshot(), before) << c.says;
  }
}

}  // namespace
}  // namespace quarnby
