#include "dem/import_dem.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "dem/dem_source.h"
#include "dem_sources.h"
#include "elevation/range_finders.h"
#include "elevation/terragen_import.h"
#include "support/terrain_fixture.h"
#include "terrain/terragen_file.h"
#include "terrain/theatre_frame.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace quarnby {
namespace {

using dem::GeoPoint;
using testing::RasterLayout;

constexpr GeoPoint kCentre{46.5, 8.0};
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Heights in metres over the Alps' latitude: a slope up to the north-west and a gentle
// bowl, below the sea in the south-east of the checked area.
double surface(GeoPoint p) {
  const double dlat = p.lat - kCentre.lat, dlon = p.lon - kCentre.lon;
  return 300.0 + 800.0 * dlat - 500.0 * dlon + 100.0 * dlat * dlat;
}

// A slope of 13 % down to the east: a sample whose footprint a seam splits is off by tens
// of metres when it takes the average of one side only.
double steepAcross(GeoPoint p) { return -500.0 - 10000.0 * (p.lon - kCentre.lon) + 800.0 * (p.lat - kCentre.lat); }

struct DemImport : testing::TerrainFixture {
  DemImport() : TerrainFixture("Alps") {}
  std::filesystem::path fieldPath = file(suffix::kTerragen);
  DemImportRequest request;

  std::filesystem::path source(const std::string& name, const RasterLayout& layout,
                               const std::function<double(GeoPoint)>& height = surface) {
    const auto path = tmp.path() / name;
    testing::writeRaster(path, layout, height);
    request.sources.push_back(path);
    return path;
  }
  // The imported height of a theatre sample, in metres.
  double metresAt(int column, int row) {
    std::string problem;
    const auto field = TerragenFile::parse(testing::readBytes(fieldPath), problem);
    EXPECT_TRUE(field) << problem;
    return field ? field->units(field->rawSample(row, column)) * dem::kMetresPerFoot : kNaN;
  }
  std::string message() const { return h.host.messages.empty() ? "" : h.host.messages.back().text; }
};

// Sample offsets from the centre checked against the surface: 80 km each way.
const std::vector<int> kChecked = {-100, -50, 0, 50, 100};

TEST_F(DemImport, SourcesInAnyProjectionLandOnTheSurfaceNorthUpWithTheCentreSampleOnTheCentre) {
  struct Case {
    const char* name;
    std::function<void(DemImport&)> write;
    std::function<double(GeoPoint)> expected;  // metres; NaN where not checked
    double tolerance;
  };
  const double westEdge = kCentre.lon - 0.5, eastEdge = kCentre.lon + 0.5;
  auto inFeet = [](std::string unit) {
    return [unit](DemImport& t) {
      RasterLayout feet = testing::geographicLayout(44.5, 6.0, 48.5, 10.0, 0.01);
      feet.unit = unit;
      t.source("feet.tif", feet, [](GeoPoint p) { return surface(p) / 0.3048; });
    };
  };
  // GDAL's approximate transformer places a sample within an eighth of a source cell
  // (100 m for the 1 km cells), which the slopes of 7 m a kilometre turn into 0.7 m.
  const std::vector<Case> cases = {
      {"geographic, coarser than the grid (bilinear)",
       [](DemImport& t) { t.source("geo.tif", testing::geographicLayout(44.5, 6.0, 48.5, 10.0, 0.01)); }, surface, 1.0},
      {"geographic, finer than the grid (average)",
       [](DemImport& t) { t.source("fine.tif", testing::geographicLayout(45.5, 6.5, 47.5, 9.5, 0.002)); }, surface,
       2.0},
      {"UTM zone 32 north, 1 km cells",
       [](DemImport& t) {
         RasterLayout utm;
         utm.srs = "EPSG:32632";
         utm.width = 400;
         utm.height = 400;
         utm.geoTransform = {250000.0, 1000.0, 0.0, 5350000.0, 0.0, -1000.0};
         t.source("utm.tif", utm);
       },
       surface, 1.0},
      {"heights in feet", inFeet("ft"), surface, 1.0},
      {"heights in feet, the unit in capitals", inFeet("Foot"), surface, 1.0},
      {"heights in feet, the unit's abbreviation in capitals", inFeet("FT"), surface, 1.0},
      {"the band's scale and offset",
       [](DemImport& t) {
         RasterLayout scaled = testing::geographicLayout(44.5, 6.0, 48.5, 10.0, 0.01);
         scaled.scale = 0.5;
         scaled.offset = -100.0;
         t.source("scaled.tif", scaled);
       },
       surface, 1.0},
      {"two overlapping tiles, the later winning",
       [](DemImport& t) {
         t.source("west.tif", testing::geographicLayout(44.5, 6.0, 48.5, 8.5, 0.01));
         t.source("east.tif", testing::geographicLayout(44.5, 7.5, 48.5, 10.0, 0.01),
                  [](GeoPoint p) { return surface(p) + 100.0; });
       },
       [=](GeoPoint p) {
         if (p.lon < westEdge) return surface(p);
         return p.lon > westEdge + 0.1 ? surface(p) + 100.0 : kNaN;
       },
       1.0},
      {"finer tiles meeting on the centre column, a steep slope across the seam (average)",
       [](DemImport& t) {
         t.source("seam west.tif", testing::geographicLayout(46.0, 7.5, 47.0, 8.0, 0.002), steepAcross);
         t.source("seam east.tif", testing::geographicLayout(46.0, 8.0, 47.0, 8.5, 0.002), steepAcross);
       },
       [](GeoPoint p) {
         return std::fabs(p.lon - kCentre.lon) < 0.1 && std::fabs(p.lat - kCentre.lat) < 0.45 ? steepAcross(p) : kNaN;
       },
       5.0},
      {"a no-data hole at the centre",
       [](DemImport& t) {
         RasterLayout holed = testing::geographicLayout(44.5, 6.0, 48.5, 10.0, 0.01);
         holed.noData = -9999.0;
         t.source("holed.tif", holed, [](GeoPoint p) {
           return std::fabs(p.lat - kCentre.lat) < 0.2 && std::fabs(p.lon - kCentre.lon) < 0.2 ? kNaN : surface(p);
         });
       },
       [](GeoPoint p) {
         return std::fabs(p.lat - kCentre.lat) < 0.15 && std::fabs(p.lon - kCentre.lon) < 0.15 ? 0.0 : surface(p);
       },
       1.0},
  };
  (void)eastEdge;
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    request = {};
    request.centre = kCentre;
    k.write(*this);
    ASSERT_EQ(ImportDem_Click(h.cx, request), Outcome::Completed) << message();
    bool negativeSeen = false;
    for (int dr : kChecked)
      for (int dc : kChecked) {
        const int column = 512 + dc, row = 512 + dr;
        const double expected = k.expected(testing::theatreSampleAt(kCentre, column, row));
        if (std::isnan(expected)) continue;
        EXPECT_NEAR(metresAt(column, row), expected, k.tolerance) << "column " << column << ", row " << row;
        negativeSeen = negativeSeen || expected < -1.0;
      }
    EXPECT_TRUE(negativeSeen);       // land below the sea kept its height
    EXPECT_EQ(metresAt(0, 0), 0.0);  // no source reaches the south-west corner: the sea
    EXPECT_NE(message().find("of the theatre; it lies at sea level."), std::string::npos) << message();
  }
}

// The import leaves the Terragen column so that "Find Units" changes nothing and "Set
// Elevation" gives the surface in feet, north up, for both map sizes.
TEST_F(DemImport, FindUnitsChangesNothingAndSetElevationGivesTheSurfaceInFeet) {
  source("geo.tif", testing::geographicLayout(44.5, 6.0, 48.5, 10.0, 0.01));
  for (const char* size : {"MapSize512", "MapSize256"}) {
    SCOPED_TRACE(size);
    h.params.setOption(size, true);
    h.params.setSwitch("InvFileOrder", 1);
    h.params.setText("MaxSmothAlt", "0");
    ASSERT_EQ(ImportDem_Click(h.cx, request), Outcome::Completed) << message();
    EXPECT_EQ(h.params.switchValue("InvFileOrder"), 0);
    EXPECT_EQ(h.params.text("unitExp"), "1");
    EXPECT_EQ(h.params.text("slUnits"), "0");
    EXPECT_EQ(h.params.number("MaxAlt"), h.params.number("MaxUnits"));
    const std::string maxUnits = h.params.text("MaxUnits"), minUnits = h.params.text("MinUnits");
    EXPECT_LT(h.params.number("MinUnits"), 0.0);
    EXPECT_NE(message().find("Max Units " + maxUnits.substr(1)), std::string::npos) << message();

    // SCAL: metres between samples east and north, metres per height unit (a foot).
    const auto bytes = testing::readBytes(fieldPath);
    const auto scal = std::search(bytes.begin(), bytes.end(), std::begin("SCAL"), std::end("SCAL") - 1);
    ASSERT_LE(scal + 16, bytes.end());
    float scales[3];
    std::memcpy(scales, &*(scal + 4), sizeof scales);
    EXPECT_EQ(scales[0], 804.672f);
    EXPECT_EQ(scales[1], 804.672f);
    EXPECT_EQ(scales[2], 0.3048f);

    ASSERT_EQ(FindMaxMinUnits_Click(h.cx), Outcome::Completed);
    EXPECT_EQ(h.params.text("MaxUnits"), maxUnits);
    EXPECT_EQ(h.params.text("MinUnits"), minUnits);

    ASSERT_EQ(SetElv_Click(h.cx), Outcome::Completed);
    const auto grid = testing::readBytes(file(suffix::kElevation));
    for (int dr : kChecked)
      for (int dc : kChecked) {
        const int column = 512 + dc, row = 512 + dr;
        const std::size_t at = 2048 * static_cast<std::size_t>(row) + 2 * static_cast<std::size_t>(column);
        const int feet = static_cast<std::int16_t>(grid[at] | (grid[at + 1] << 8));
        const double expected = std::max(0.0, surface(testing::theatreSampleAt(kCentre, column, row)) / 0.3048);
        EXPECT_NEAR(feet, expected, 4.5) << "column " << column << ", row " << row;
      }
  }
}

TEST_F(DemImport, WithoutACentreTheTheatreCentresOnTheSources) {
  source("geo.tif",
         testing::geographicLayout(kCentre.lat - 1.0, kCentre.lon - 1.5, kCentre.lat + 1.0, kCentre.lon + 1.5, 0.01));
  ASSERT_EQ(ImportDem_Click(h.cx, request), Outcome::Completed) << message();
  EXPECT_NEAR(metresAt(512, 512), surface(kCentre), 0.5);
  // The centre found goes with the terrain, with the grid's projection.
  std::string error;
  const auto frame = readTheatreFrame(folder, error);
  ASSERT_TRUE(frame) << error;
  EXPECT_NEAR(frame->lat, kCentre.lat, 1e-6);
  EXPECT_NEAR(frame->lon, kCentre.lon, 1e-6);
  EXPECT_EQ(frame->projection, dem::theatreProjection({frame->lat, frame->lon}));
  EXPECT_EQ(theatreCentreText(*frame), "Theatre centre 46.50000 N, 8.00000 E");
}

TEST_F(DemImport, TheMessageNamesTheCornerSamplesLatitudeFirst) {
  source("geo.tif", testing::geographicLayout(44.5, 6.0, 48.5, 10.0, 0.05));
  request.centre = kCentre;
  ASSERT_EQ(ImportDem_Click(h.cx, request), Outcome::Completed) << message();
  auto text = [](GeoPoint p) {
    char t[64];
    std::snprintf(t, sizeof t, "%.5f, %.5f", p.lat, p.lon);
    return std::string(t);
  };
  const std::string corners =
      "Theatre corners (latitude, longitude): SW " + text(testing::theatreSampleAt(kCentre, 0, 0)) + "; SE " +
      text(testing::theatreSampleAt(kCentre, 1024, 0)) + "; NE " + text(testing::theatreSampleAt(kCentre, 1024, 1024)) +
      "; NW " + text(testing::theatreSampleAt(kCentre, 0, 1024)) + ".\r\n";
  EXPECT_NE(message().find(corners), std::string::npos) << message();
}

// A height the Earth does not have (an undeclared no-data value, a glitch) is no height:
// it neither lifts the sea nor covers an earlier source's height.
TEST_F(DemImport, HeightsBeyondTheEarthsAreNoHeight) {
  const GeoPoint glitch{47.525, 8.025};  // a cell's centre, 114 km north of the theatre's
  source("land.tif", testing::geographicLayout(44.5, 6.0, 48.5, 10.0, 0.05), [&](GeoPoint p) {
    return std::fabs(p.lat - glitch.lat) < 0.02 && std::fabs(p.lon - glitch.lon) < 0.02 ? 1.0e38 : surface(p);
  });
  source("glitch.tif", testing::geographicLayout(46.3, 7.8, 46.7, 8.2, 0.05), [](GeoPoint) { return 1.0e38; });
  request.centre = kCentre;
  ASSERT_EQ(ImportDem_Click(h.cx, request), Outcome::Completed) << message();
  EXPECT_NEAR(metresAt(512, 512), surface(kCentre), 1.0);  // the land beneath the later glitch
  EXPECT_EQ(metresAt(512, 650), 0.0);                      // the glitch in the land: sea level, 111 km north
  EXPECT_EQ(metresAt(0, 0), 0.0);                          // the sea stays at sea level
  EXPECT_NE(message().find("samples were given a height beyond the Earth's"), std::string::npos) << message();
  EXPECT_EQ(message().find("Sea floor"), std::string::npos) << message();
}

// Two tiles either side of the antimeridian, about Fiji.
TEST_F(DemImport, TheCentreOfSourcesAcrossTheAntimeridianLiesOnIt) {
  source("west.tif", testing::geographicLayout(-18.0, 178.5, -16.0, 180.0, 0.01), [](GeoPoint) { return 100.0; });
  source("east.tif", testing::geographicLayout(-18.0, -180.0, -16.0, -178.5, 0.01), [](GeoPoint) { return 200.0; });
  std::vector<dem::SourceInfo> infos;
  for (const auto& file : request.sources) {
    std::string problem;
    infos.push_back(dem::describeSource(file, problem).value());
  }
  const GeoPoint centre = dem::centreOfSources(infos);
  EXPECT_NEAR(centre.lat, -17.0, 1e-6);
  EXPECT_NEAR(std::fabs(centre.lon), 180.0, 1e-6);
  ASSERT_EQ(ImportDem_Click(h.cx, request), Outcome::Completed) << message();
  EXPECT_NEAR(metresAt(462, 512), 100.0, 0.5);
  EXPECT_NEAR(metresAt(562, 512), 200.0, 0.5);
}

// Bad input: a clear message, and the old field and the Terragen column as they were.
TEST_F(DemImport, BadInputIsRefusedLeavingTheOldFieldAlone) {
  struct Case {
    const char* name;
    std::function<void(DemImport&)> prepare;
    const char* says;
  };
  const std::vector<Case> cases = {
      {"not a raster",
       [](DemImport& t) {
         testing::writeText(t.tmp.path() / "notes.txt", "heights, mostly\n");
         t.request.sources.push_back(t.tmp.path() / "notes.txt");
       },
       "Can't open the elevation source:"},
      {"a missing file", [](DemImport& t) { t.request.sources.push_back(t.tmp.path() / "gone.tif"); },
       "Can't open the elevation source:"},
      {"no coordinate system",
       [](DemImport& t) {
         RasterLayout bare = testing::geographicLayout(44.5, 6.0, 48.5, 10.0, 0.05);
         bare.srs = "";
         t.source("bare.tif", bare);
       },
       "has no coordinate system"},
      {"three bands",
       [](DemImport& t) {
         RasterLayout colour = testing::geographicLayout(44.5, 6.0, 48.5, 10.0, 0.05);
         colour.bands = 3;
         t.source("colour.tif", colour);
       },
       "has 3 bands"},
      {"a theatre no source touches",
       [](DemImport& t) { t.source("far.tif", testing::geographicLayout(-31.0, 100.0, -29.0, 102.0, 0.05)); },
       "No source touches the theatre centred on 46.50000, 8.00000"},
      {"a centre beyond 80 degrees north",
       [](DemImport& t) {
         t.source("geo.tif", testing::geographicLayout(44.5, 6.0, 48.5, 10.0, 0.05));
         t.request.centre = GeoPoint{80.5, 8.0};
       },
       "lies out of range"},
      {"a longitude beyond 180 degrees",
       [](DemImport& t) {
         t.source("geo.tif", testing::geographicLayout(44.5, 6.0, 48.5, 10.0, 0.05));
         t.request.centre = GeoPoint{46.5, 181.0};
       },
       "lies out of range"},
      {"an unknown resampling",
       [](DemImport& t) {
         t.source("geo.tif", testing::geographicLayout(44.5, 6.0, 48.5, 10.0, 0.05));
         t.request.resampling = "smooth";
       },
       "There is no resampling \"smooth\""},
      {"no source at all", [](DemImport&) {}, "needs at least one elevation source"},
      {"no height anywhere in the theatre",
       [](DemImport& t) {
         RasterLayout empty = testing::geographicLayout(44.5, 6.0, 48.5, 10.0, 0.05);
         empty.noData = -9999.0;
         t.source("empty.tif", empty, [](GeoPoint) { return kNaN; });
       },
       "No source gave a height anywhere in the theatre"},
      {"no height but ones beyond the Earth's",
       [](DemImport& t) {
         t.source("glitch.tif", testing::geographicLayout(44.5, 6.0, 48.5, 10.0, 0.05),
                  [](GeoPoint) { return -1.0e30; });
       },
       "No source gave a height anywhere in the theatre"},
#ifndef _WIN32
      // GDAL would wait in open() for a writer that never comes.
      {"a named pipe",
       [](DemImport& t) {
         ASSERT_EQ(mkfifo((t.tmp.path() / "pipe.tif").c_str(), 0600), 0);
         t.request.sources.push_back(t.tmp.path() / "pipe.tif");
       },
       "It is not a regular file"},
      {"a VRT over a named pipe",
       [](DemImport& t) {
         const auto pipe = t.tmp.path() / "inner.tif";
         ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
         testing::writeText(t.tmp.path() / "over.vrt",
                            "<VRTDataset rasterXSize=\"10\" rasterYSize=\"10\"><SRS>EPSG:4326</SRS>"
                            "<GeoTransform>7.5, 0.1, 0, 47, 0, -0.1</GeoTransform>"
                            "<VRTRasterBand dataType=\"Float32\" band=\"1\"><SimpleSource><SourceFilename>" +
                                pipe.string() +
                                "</SourceFilename><SourceBand>1</SourceBand></SimpleSource></VRTRasterBand>"
                                "</VRTDataset>");
         t.request.sources.push_back(t.tmp.path() / "over.vrt");
       },
       "Its member file"},
#endif
  };
  const std::vector<std::uint8_t> old = {'o', 'l', 'd'};
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    testing::writeBytes(fieldPath, old);
    request = {};
    request.centre = kCentre;
    h.host.messages.clear();
    h.params.setText("MaxUnits", "1234");
    k.prepare(*this);
    EXPECT_EQ(ImportDem_Click(h.cx, request), Outcome::EndedEarly);
    ASSERT_EQ(h.host.messages.size(), 1u);
    EXPECT_EQ(h.host.messages[0].icon, Icon::Critical);
    EXPECT_NE(message().find(k.says), std::string::npos) << message();
    EXPECT_EQ(testing::readBytes(fieldPath), old);
    EXPECT_EQ(h.params.text("MaxUnits"), "1234");
    EXPECT_FALSE(std::filesystem::exists(theatreFrameFile(folder)));
  }
}

TEST_F(DemImport, CancelLeavesTheOldField) {
  source("geo.tif", testing::geographicLayout(44.5, 6.0, 48.5, 10.0, 0.01));
  testing::writeBytes(fieldPath, {'o', 'l', 'd'});
  request.progress = [](int percent) { return percent < 1; };
  EXPECT_EQ(ImportDem_Click(h.cx, request), Outcome::EndedEarly);
  EXPECT_NE(message().find("cancelled"), std::string::npos) << message();
  EXPECT_EQ(testing::readBytes(fieldPath), (std::vector<std::uint8_t>{'o', 'l', 'd'}));
  EXPECT_EQ(h.params.switchValue("InvFileOrder"), 1);
}

}  // namespace
}  // namespace quarnby
