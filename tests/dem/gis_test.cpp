// The theatre on the map, checked with GDAL and PROJ in the test: the VRTs beside the
// grids, the GeoPackage of sites and tracks, and locate. Expected places are worked out
// here, by hand or through PROJ with a projection written out in the test.
#include <cpl_string.h>
#include <gdal.h>
#include <gtest/gtest.h>
#include <ogr_api.h>
#include <ogr_srs_api.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "app/gis_files.h"
#include "batch/batch.h"
#include "maps/map_bitmap.h"
#include "maps/preview_render.h"
#include "support/terrain_fixture.h"
#include "terrain/cover_bitmap.h"
#include "terrain/greyscale_bitmap.h"
#include "terrain/theatre_frame.h"
#include "terrain/track_file.h"

namespace quarnby {
namespace {

constexpr double kFoot = 0.3048;
const std::string kProjection = "+proj=aeqd +lat_0=46.5 +lon_0=8 +datum=WGS84 +units=m +no_defs";

// Each sample or cell holds a value of its own place, so that a flipped or shifted view shows.
std::int16_t heightAt(int r, int c) { return static_cast<std::int16_t>(3 * r - 2 * c + 100); }
std::uint8_t cellAt(int tr, int tc) { return static_cast<std::uint8_t>((tr * 5 + tc) % 7); }
std::uint8_t pixelAt(int r, int c) { return static_cast<std::uint8_t>((r + 3 * c) % 11); }

struct GisTest : testing::TerrainFixture {
  GisTest() : TerrainFixture("Alps") {
    GDALAllRegister();
    ElevationGrid elevation;
    CellGrid types, subTypes;
    for (int r = 0; r < kElevSize; ++r)
      for (int c = 0; c < kElevSize; ++c) elevation.set(r, c, heightAt(r, c));
    for (int tr = 0; tr < kTypeSize; ++tr)
      for (int tc = 0; tc < kTypeSize; ++tc) {
        types.set(tr, tc, cellAt(tr, tc));
        subTypes.set(tr, tc, static_cast<std::uint8_t>(tr ^ tc));
      }
    writeElevation(elevation);
    writeTypes(types);
    writeSubTypes(subTypes);
    testing::TerragenBuilder field;
    field.heightScale = 512;
    field.baseHeight = -40;
    for (int r = 0; r < 1025; ++r)
      for (int c = 0; c < 1025; ++c) field.at(r, c) = static_cast<std::int16_t>(r * 11 - c * 7);
    writeTerragen(field);
    std::vector<std::uint8_t> map(kMapPixelCount), cover(kCoverPixelCount);
    for (int r = 0; r < kElevSize; ++r)
      for (int c = 0; c < kElevSize; ++c) map[mapPixel(r, c)] = pixelAt(r, c);
    for (std::size_t i = 0; i < cover.size(); ++i) cover[i] = static_cast<std::uint8_t>(i % kCoverEntries);
    testing::writeBytes(file(suffix::kColourMap), mapBitmapFile(false, map));
    testing::writeBytes(file(suffix::kRoadMap), mapBitmapFile(true, map));
    // The object dots as a paint program may save them: top-down, the north row first.
    auto topDown = mapBitmapFile(true, map);
    const std::int32_t negative = -kMapSize;
    std::memcpy(topDown.data() + 22, &negative, 4);
    for (int r = 0; r < kMapSize; ++r)
      std::memcpy(topDown.data() + kMapPixelOffset + static_cast<std::size_t>(kMapSize - 1 - r) * kMapSize,
                  map.data() + mapPixel(r, 0), kMapSize);
    testing::writeBytes(file(suffix::kObjectDots), topDown);
    writeGreyscale(map);
    testing::writeBytes(file(suffix::kCover), coverBitmapFile(std::span<const std::uint8_t, kCoverPixelCount>(cover)));
    writeFrame();
  }
  void writeFrame() const {
    std::filesystem::create_directories(folder / "gis");
    testing::writeText(theatreFrameFile(folder), theatreFrameText({46.5, 8.0, kProjection}));
  }
  std::filesystem::path gis(const std::string& name) const { return folder / "gis" / ("Alps" + name); }

  struct Run {
    int status;
    std::string out, err;
  };
  Run batch(std::vector<std::string> args) const {
    args.insert(args.begin(), {"--config", (tmp.path() / "quarnby.cfg").string(), folder.string()});
    std::ostringstream out, err;
    const int status = runBatch(args, out, err);
    return {status, out.str(), err.str()};
  }
};

// Longitude, latitude of a point of the theatre projection, through PROJ.
std::pair<double, double> degreesOf(double east, double north) {
  OGRSpatialReferenceH theatre = OSRNewSpatialReference(nullptr), wgs84 = OSRNewSpatialReference(nullptr);
  OSRImportFromProj4(theatre, kProjection.c_str());
  OSRSetWellKnownGeogCS(wgs84, "WGS84");
  OSRSetAxisMappingStrategy(wgs84, OAMS_TRADITIONAL_GIS_ORDER);
  OGRCoordinateTransformationH ct = OCTNewCoordinateTransformation(theatre, wgs84);
  double x = east, y = north;
  EXPECT_TRUE(OCTTransform(ct, 1, &x, &y, nullptr));
  OCTDestroyCoordinateTransformation(ct);
  OSRDestroySpatialReference(theatre);
  OSRDestroySpatialReference(wgs84);
  return {x, y};
}

std::string valueOf(const std::string& out, const std::string& name) {
  const auto at = out.find(name + "=");
  if (at == std::string::npos) return "(none)";
  const auto from = at + name.size() + 1;
  return out.substr(from, out.find('\n', from) - from);
}

TEST_F(GisTest, EveryViewLiesWhereTheWorldFrameSaysAndReadsTheFilesBytes) {
  ASSERT_EQ(refreshGisFiles(folder), std::nullopt);
  const double foot = kFoot;
  // Edges half a sample beyond the outermost samples: west -512.5 samples, north 511.5
  // (512.5 for the Terragen field's extra row).
  const double west = -512.5 * 2640 * foot, north = 511.5 * 2640 * foot;
  std::vector<std::uint8_t> terragen = testing::readBytes(file(suffix::kTerragen));
  auto raw = [&](int r, int c) {
    const std::size_t i = 80 + 2 * (static_cast<std::size_t>(r) * 1025 + c);
    return static_cast<std::int16_t>(terragen[i] | terragen[i + 1] << 8);
  };
  struct Case {
    const char* name;
    int size;
    double pixel, top;
    std::function<double(int row, int column)> expected;  // row from the south
  };
  const Case cases[] = {
      {"_elevation.vrt", 1024, 2640 * foot, north, heightAt},
      {"_types.vrt", 512, 5280 * foot, north, cellAt},
      {"_subtypes.vrt", 512, 5280 * foot, north, [](int r, int c) { return (r ^ c) & 0xFF; }},
      // Raw x 512/65536 - 40 units of 30 m each, in feet.
      {"_terragen.vrt", 1025, 2640 * foot, 512.5 * 2640 * foot,
       [&](int r, int c) { return (-40 + raw(r, c) * 512 / 65536.0) * 30 / 0.3048; }},
      {"_colormap.vrt", 1024, 2640 * foot, north, pixelAt},
      {"_roadmap.vrt", 1024, 2640 * foot, north, pixelAt},
      {"_objdots.vrt", 1024, 2640 * foot, north, pixelAt},
      {"_elv.vrt", 1024, 2640 * foot, north, pixelAt},
      {"_cover.vrt", 512, 5280 * foot, north, [](int r, int c) { return (r * 512 + c) % kCoverEntries; }},
  };
  OGRSpatialReferenceH frame = OSRNewSpatialReference(nullptr);
  OSRImportFromProj4(frame, kProjection.c_str());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    GDALDatasetH ds = GDALOpen(gis(c.name).string().c_str(), GA_ReadOnly);
    ASSERT_NE(ds, nullptr);
    EXPECT_EQ(GDALGetRasterXSize(ds), c.size);
    EXPECT_EQ(GDALGetRasterYSize(ds), c.size);
    double gt[6];
    ASSERT_EQ(GDALGetGeoTransform(ds, gt), CE_None);
    EXPECT_NEAR(gt[0], west, 1e-6);
    EXPECT_NEAR(gt[1], c.pixel, 1e-9);
    EXPECT_EQ(gt[2], 0);
    EXPECT_NEAR(gt[3], c.top, 1e-6);
    EXPECT_EQ(gt[4], 0);
    EXPECT_NEAR(gt[5], -c.pixel, 1e-9);
    OGRSpatialReferenceH srs = OSRNewSpatialReference(GDALGetProjectionRef(ds));
    EXPECT_TRUE(OSRIsSame(srs, frame)) << GDALGetProjectionRef(ds);
    OSRDestroySpatialReference(srs);
    // The corners, the centre and a point off the diagonals, read through the band.
    GDALRasterBandH band = GDALGetRasterBand(ds, 1);
    const int last = c.size - 1;
    for (auto [row, column] :
         {std::pair{0, 0}, {0, last}, {last, 0}, {last, last}, {c.size / 2, c.size / 2}, {7, 300}}) {
      double value = 0;
      ASSERT_EQ(GDALRasterIO(band, GF_Read, column, last - row, 1, 1, &value, 1, 1, GDT_Float64, 0, 0), CE_None);
      int ok = 0;
      const double scale = GDALGetRasterScale(band, &ok), offset = GDALGetRasterOffset(band, &ok);
      EXPECT_NEAR(value * scale + offset, c.expected(row, column), 1e-6) << "row " << row << ", column " << column;
    }
    GDALClose(ds);
  }
  OSRDestroySpatialReference(frame);

  // A field whose rows run north first ("Invert '*.ter' order") has its first row on top,
  // the spare row south of the grid.
  ASSERT_EQ(refreshGisFiles(folder, true), std::nullopt);
  GDALDatasetH inverted = GDALOpen(gis("_terragen.vrt").string().c_str(), GA_ReadOnly);
  ASSERT_NE(inverted, nullptr);
  double gt[6];
  ASSERT_EQ(GDALGetGeoTransform(inverted, gt), CE_None);
  EXPECT_NEAR(gt[3], north, 1e-6);
  std::int16_t top[2];
  ASSERT_EQ(GDALRasterIO(GDALGetRasterBand(inverted, 1), GF_Read, 1024, 0, 1, 2, top, 1, 2, GDT_Int16, 0, 0), CE_None);
  EXPECT_EQ(top[0], raw(0, 1024));
  EXPECT_EQ(top[1], raw(1, 1024));
  GDALClose(inverted);

  // The type view names and colours the types as the preview does.
  GDALDatasetH types = GDALOpen(gis("_types.vrt").string().c_str(), GA_ReadOnly);
  GDALRasterBandH band = GDALGetRasterBand(types, 1);
  char** names = GDALGetRasterCategoryNames(band);
  ASSERT_EQ(CSLCount(names), 7);
  GDALColorTableH table = GDALGetRasterColorTable(band);
  ASSERT_NE(table, nullptr);
  for (int t = 0; t < 7; ++t) {
    EXPECT_EQ(names[t], preview::typeName(t));
    const GDALColorEntry* e = GDALGetColorEntry(table, t);
    EXPECT_EQ(preview::rgb(e->c1, e->c2, e->c3), preview::typeColour(t)) << t;
  }
  GDALClose(types);
}

TEST_F(GisTest, ViewsFollowTheFilesAndDropWhatGdalAddedAfterEveryOperation) {
  ASSERT_EQ(batch({"toggle"}).status, 0);
  const std::string written = testing::readText(gis("_elevation.vrt"));
  // Statistics GDAL keeps in the VRT itself.
  GDALDatasetH ds = GDALOpen(gis("_elevation.vrt").string().c_str(), GA_Update);
  double low, high, mean, sd;
  GDALComputeRasterStatistics(GDALGetRasterBand(ds, 1), FALSE, &low, &high, &mean, &sd, nullptr, nullptr);
  GDALClose(ds);
  ASSERT_NE(testing::readText(gis("_elevation.vrt")), written);

  // A field without SCAL, and a map gone: no view for either; the terrain files stay.
  testing::TerragenBuilder bare;
  bare.cameraChunks = false;
  writeTerragen(bare);
  std::filesystem::remove(file(suffix::kRoadMap));
  const auto before = snapshot();
  ASSERT_EQ(batch({"toggle"}).status, 0);
  EXPECT_EQ(testing::readText(gis("_elevation.vrt")), written);
  EXPECT_FALSE(std::filesystem::exists(gis("_terragen.vrt")));
  EXPECT_FALSE(std::filesystem::exists(gis("_roadmap.vrt")));
  EXPECT_TRUE(std::filesystem::exists(gis("_types.qml")));
  EXPECT_EQ(snapshot(), before);

  // Once the frame is gone the views it placed go with it, and nothing is written again.
  std::filesystem::remove(theatreFrameFile(folder));
  ASSERT_EQ(batch({"toggle"}).status, 0);
  EXPECT_TRUE(std::filesystem::is_empty(folder / "gis"));
  std::filesystem::remove_all(folder / "gis");
  ASSERT_EQ(batch({"toggle"}).status, 0);
  EXPECT_FALSE(std::filesystem::exists(folder / "gis"));
}

TEST_F(GisTest, SitesAndTracksLieInTheTheatreProjection) {
  writeObjects(
      "\"Objects\",3\r\n"
      "G01HQT1, HQ North,2640,0,-5280,0,0,0,0,0,0,0,0,0,0,0,0,1\r\n"
      "G02AAF1, Field,-13200.5,0,26400,0,0,0,0,0,0,0,0,0,0,0,0,0\r\n"
      "G03TWN1, Nowhere,x,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0\r\n"
      "G04TWN1, Far,9999999,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0\r\n");
  const TrackSample road[] = {{512, 512, 0}, {513, 514, 0}, {600, 520, 0}};
  const TrackSample off[] = {{1, 1, 0}, {5000, 1, 0}};
  writeTracks(trackCountLine(2) + trackRecordText(kRoad, "A01HQT", road) + trackRecordText(kRiver, "B02AAF", off));
  const auto out = tmp.path() / "theatre.gpkg";
  const auto r = batch({"export-gis", out.string()});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("Exported 2 sites and 1 track into"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("2 sites and 1 track."), std::string::npos) << r.out;

  GDALDatasetH ds = GDALOpenEx(out.string().c_str(), GDAL_OF_VECTOR, nullptr, nullptr, nullptr);
  ASSERT_NE(ds, nullptr);
  OGRLayerH sites = GDALDatasetGetLayerByName(ds, "sites");
  ASSERT_NE(sites, nullptr);
  OGRSpatialReferenceH frame = OSRNewSpatialReference(nullptr);
  OSRImportFromProj4(frame, kProjection.c_str());
  EXPECT_TRUE(OSRIsSame(OGR_L_GetSpatialRef(sites), frame));
  ASSERT_EQ(OGR_L_GetFeatureCount(sites, TRUE), 2);
  OGR_L_ResetReading(sites);
  OGRFeatureH hq = OGR_L_GetNextFeature(sites);
  EXPECT_STREQ(OGR_F_GetFieldAsString(hq, OGR_F_GetFieldIndex(hq, "code")), "HQT");
  EXPECT_STREQ(OGR_F_GetFieldAsString(hq, OGR_F_GetFieldIndex(hq, "name")), "HQ North");
  EXPECT_STREQ(OGR_F_GetFieldAsString(hq, OGR_F_GetFieldIndex(hq, "side")), "1");
  EXPECT_EQ(OGR_F_GetFieldAsInteger(hq, OGR_F_GetFieldIndex(hq, "row")), 510);
  EXPECT_EQ(OGR_F_GetFieldAsInteger(hq, OGR_F_GetFieldIndex(hq, "column")), 513);
  OGRGeometryH point = OGR_F_GetGeometryRef(hq);
  EXPECT_NEAR(OGR_G_GetX(point, 0), 2640 * kFoot, 1e-9);
  EXPECT_NEAR(OGR_G_GetY(point, 0), -5280 * kFoot, 1e-9);
  OGR_F_Destroy(hq);
  OGRFeatureH field = OGR_L_GetNextFeature(sites);
  EXPECT_EQ(OGR_F_GetFieldAsInteger(field, OGR_F_GetFieldIndex(field, "column")), 507);  // -5.0002 samples
  OGR_F_Destroy(field);

  OGRLayerH tracks = GDALDatasetGetLayerByName(ds, "tracks");
  ASSERT_NE(tracks, nullptr);
  ASSERT_EQ(OGR_L_GetFeatureCount(tracks, TRUE), 1);
  OGR_L_ResetReading(tracks);
  OGRFeatureH track = OGR_L_GetNextFeature(tracks);
  EXPECT_STREQ(OGR_F_GetFieldAsString(track, OGR_F_GetFieldIndex(track, "kind_name")), "road");
  EXPECT_EQ(OGR_F_GetFieldAsInteger(track, OGR_F_GetFieldIndex(track, "points")), 3);
  OGRGeometryH line = OGR_F_GetGeometryRef(track);
  ASSERT_EQ(OGR_G_GetPointCount(line), 3);
  // The vertex is the point the track file holds: a road point is a sample's corner.
  EXPECT_NEAR(OGR_G_GetX(line, 2), static_cast<double>(trackPointX(kRoad, 600)) * kFoot, 1e-9);
  EXPECT_NEAR(OGR_G_GetY(line, 2), static_cast<double>(trackPointZ(kRoad, 520)) * kFoot, 1e-9);
  OGR_F_Destroy(track);
  OSRDestroySpatialReference(frame);
  GDALClose(ds);
}

TEST_F(GisTest, LocateFindsTheSampleBothWaysAndRefusesWhatItCannotPlace) {
  // Sample (row 700, column 300): 188 samples north and 212 west of the centre.
  const double east = -212 * 2640 * kFoot, north = 188 * 2640 * kFoot;
  const auto [lon, lat] = degreesOf(east, north);
  char latLon[64];
  std::snprintf(latLon, sizeof latLon, "%.10f,%.10f", lat, lon);
  const auto byDegrees = batch({"locate", latLon});
  ASSERT_EQ(byDegrees.status, 0) << byDegrees.err;
  const auto byWorld = batch({"locate", "--world", "-559680,496320"});
  ASSERT_EQ(byWorld.status, 0) << byWorld.err;
  for (const auto& out : {byDegrees.out, byWorld.out}) {
    EXPECT_EQ(valueOf(out, "row"), "700") << out;
    EXPECT_EQ(valueOf(out, "column"), "300");
    EXPECT_EQ(valueOf(out, "type_row"), "350");
    EXPECT_EQ(valueOf(out, "type_column"), "150");
    EXPECT_EQ(valueOf(out, "elevation_ft"), std::to_string(heightAt(700, 300)));
    EXPECT_NEAR(std::stod(valueOf(out, "x_ft")), -559680, 0.01);
    EXPECT_NEAR(std::stod(valueOf(out, "z_ft")), 496320, 0.01);
    EXPECT_NEAR(std::stod(valueOf(out, "latitude")), lat, 1e-8);
    EXPECT_NEAR(std::stod(valueOf(out, "longitude")), lon, 1e-8);
  }

  // The theatre's corner samples and its centre, on the Earth where PROJ puts them.
  struct Corner {
    int row, column;
  };
  for (const Corner& k : {Corner{0, 0}, {0, 1023}, {1023, 0}, {1023, 1023}, {512, 512}}) {
    const double x = (k.column - 512) * 2640.0, z = (k.row - 512) * 2640.0;
    const auto r = batch({"locate", "--world", std::to_string(x) + "," + std::to_string(z)});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto [kLon, kLat] = degreesOf(x * kFoot, z * kFoot);
    EXPECT_EQ(valueOf(r.out, "row"), std::to_string(k.row));
    EXPECT_EQ(valueOf(r.out, "column"), std::to_string(k.column));
    EXPECT_NEAR(std::stod(valueOf(r.out, "latitude")), kLat, 1e-8) << k.row << "," << k.column;
    EXPECT_NEAR(std::stod(valueOf(r.out, "longitude")), kLon, 1e-8) << k.row << "," << k.column;
  }
  EXPECT_EQ(valueOf(batch({"locate", "--world", "0,0"}).out, "latitude"), "46.50000000");

  struct Case {
    const char* name;
    std::vector<std::string> args;
    int status;
    std::string says;
  };
  const Case cases[] = {
      {"off the theatre", {"locate", "--world", "0,1352000"}, 1, "The point lies off the theatre"},
      {"far away", {"locate", "10,8"}, 1, "off the theatre"},
      {"no point", {"locate"}, 2, "locate needs LAT,LON or --world X,Z"},
      {"not degrees", {"locate", "95,8"}, 2, "locate needs LAT,LON in degrees"},
      {"no file", {"export-gis"}, 2, "export-gis needs FILE.gpkg"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto r = batch(c.args);
    EXPECT_EQ(r.status, c.status);
    EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
  }
}

TEST_F(GisTest, WithoutAFrameOrAWritablePlaceNothingIsWritten) {
  writeObjects("\"Objects\",1\r\nG01HQT1, HQ,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,1\r\n");
  const auto locked = tmp.path() / "locked";
  std::filesystem::create_directories(locked);
  struct Case {
    const char* name;
    std::filesystem::path out;
    bool frame;
    std::string says;
  };
  const Case cases[] = {
      {"no such folder", tmp.path() / "missing" / "a.gpkg", true, "Can't write the GeoPackage:"},
      {"a folder", locked, true, "Can't write the GeoPackage:"},
      {"no frame", tmp.path() / "b.gpkg", false, "Export GIS needs the theatre's place on the Earth"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (!c.frame) std::filesystem::remove_all(folder / "gis");
    const auto r = batch({"export-gis", c.out.string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    EXPECT_EQ(std::filesystem::is_regular_file(c.out), false);
    for (const auto& entry : std::filesystem::directory_iterator(tmp.path()))
      EXPECT_EQ(entry.path().string().find(".partial-"), std::string::npos) << entry.path();
  }
  const auto r = batch({"locate", "--world", "0,0"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("locate needs the theatre's place on the Earth"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace quarnby
