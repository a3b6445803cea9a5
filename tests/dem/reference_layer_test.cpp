// Reference layers written with OGR here, read back in the world frame. Positions are
// checked against the ellipsoid's arcs along the equator (where the theatre's azimuthal
// equidistant distance is the arc length) or against OGR's own transformation.
#include "dem/reference_layer.h"

#include <gtest/gtest.h>
#include <ogr_api.h>
#include <sys/stat.h>

#include <numbers>
#include <tuple>

#include "dem/gdal_support.h"
#include "dem/theatre.h"
#include "support/temp_folder.h"

using namespace quarnby;

namespace {

constexpr double kA = 6378137.0;
constexpr double kDegree = std::numbers::pi / 180;
const geo::GeoPoint kCentre{0.0, 10.0};

// Feet east of the centre of a point on the equator at `lon`.
double feetEastOnTheEquator(double lon) { return (lon - kCentre.lon) * kDegree * kA / dem::kMetresPerFoot; }

struct Record {
  std::string wkt;
  std::string name;
};
struct LayerToWrite {
  std::string name;
  std::string srs;  // "" for none
  std::string field = "name";
  std::vector<Record> records;
};

// Writes the layers with OGR's driver `driver`.
void writeVector(const std::filesystem::path& file, const char* driver, const std::vector<LayerToWrite>& layers) {
  dem::initialiseGdal();
  GDALDriverH d = GDALGetDriverByName(driver);
  ASSERT_TRUE(d) << driver;
  const dem::Dataset ds(GDALCreate(d, file.string().c_str(), 0, 0, 0, GDT_Unknown, nullptr));
  ASSERT_TRUE(ds) << file;
  for (const auto& wanted : layers) {
    const dem::SpatialRef srs = wanted.srs.empty() ? nullptr : dem::spatialRef(wanted.srs);
    OGRLayerH layer = GDALDatasetCreateLayer(ds.get(), wanted.name.c_str(), srs.get(), wkbUnknown, nullptr);
    ASSERT_TRUE(layer) << wanted.name;
    OGRFieldDefnH field = OGR_Fld_Create(wanted.field.c_str(), OFTString);
    OGR_L_CreateField(layer, field, TRUE);
    OGR_Fld_Destroy(field);
    for (const auto& record : wanted.records) {
      OGRFeatureH feature = OGR_F_Create(OGR_L_GetLayerDefn(layer));
      OGRGeometryH geometry = nullptr;
      char* wkt = const_cast<char*>(record.wkt.c_str());
      ASSERT_EQ(OGR_G_CreateFromWkt(&wkt, nullptr, &geometry), OGRERR_NONE) << record.wkt;
      OGR_F_SetGeometryDirectly(feature, geometry);
      OGR_F_SetFieldString(feature, 0, record.name.c_str());
      ASSERT_EQ(OGR_L_CreateFeature(layer, feature), OGRERR_NONE);
      OGR_F_Destroy(feature);
    }
  }
}

// The feature labelled `label`; a driver may keep its own order (FlatGeobuf's index does).
const geo::ReferenceFeature& labelled(const geo::ReferenceLayer& layer, const std::string& label) {
  for (const auto& feature : layer.features)
    if (feature.label == label) return feature;
  ADD_FAILURE() << "no feature " << label;
  static const geo::ReferenceFeature none;
  return none;
}

class ReferenceLayerTest : public ::testing::Test {
 protected:
  std::optional<geo::ReferenceLayer> read(const std::filesystem::path& file) {
    problem.clear();
    return dem::readReference(file, dem::theatreProjection(kCentre), problem);
  }
  quarnby::testing::TempFolder tmp;
  std::string problem;
};

TEST_F(ReferenceLayerTest, FeaturesLieWhereTheEllipsoidPutsThem) {
  struct Case {
    const char* name;
    const char* driver;
    const char* file;
    std::string field;
  };
  const Case cases[] = {
      {"GeoJSON", "GeoJSON", "towns.geojson", "name"},
      {"GeoPackage", "GPKG", "towns.gpkg", "NAME"},
      {"FlatGeobuf", "FlatGeobuf", "towns.fgb", "label"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto file = tmp.path() / c.file;
    writeVector(file, c.driver,
                {{"towns",
                  "EPSG:4326",
                  c.field,
                  {{"POINT (10.5 0)", "Arlen"},
                   {"LINESTRING (9.8 0, 10.2 0)", "Esk"},
                   {"POLYGON ((9.9 0, 10.1 0, 10.1 0.1, 9.9 0))", "Mere"},
                   {"POINT (40 0)", "far away"}}}});
    const auto layer = read(file);
    ASSERT_TRUE(layer) << problem;
    EXPECT_EQ(layer->name, "towns");
    ASSERT_EQ(layer->features.size(), 3u);
    using Shape = geo::ReferenceFeature::Shape;
    // Each feature's shape, its first part's length and that part's first and last points.
    const std::tuple<const char*, Shape, std::size_t, double, double> expected[] = {
        {"Arlen", Shape::Point, 1, 10.5, 10.5}, {"Esk", Shape::Line, 2, 9.8, 10.2}, {"Mere", Shape::Area, 4, 9.9, 9.9}};
    for (const auto& [label, shape, size, first, last] : expected) {
      const auto& feature = labelled(*layer, label);
      EXPECT_EQ(feature.shape, shape) << label;
      ASSERT_EQ(feature.parts.size(), 1u) << label;
      ASSERT_EQ(feature.parts[0].size(), size) << label;
      EXPECT_NEAR(feature.parts[0].front().x, feetEastOnTheEquator(first), 0.01) << label;
      EXPECT_NEAR(feature.parts[0].back().x, feetEastOnTheEquator(last), 0.01) << label;
      EXPECT_NEAR(feature.parts[0].front().z, 0.0, 0.01) << label;
    }
    // 30 degrees east lies some 2,000 miles beyond the theatre's edge.
    EXPECT_EQ(layer->note, "1 feature lies off the theatre and is not shown.");
  }
}

TEST_F(ReferenceLayerTest, AProjectedLayerIsReprojected) {
  // A point in UTM zone 32 north, where OGR itself says the theatre puts it.
  const auto file = tmp.path() / "utm.gpkg";
  writeVector(file, "GPKG", {{"airfields", "EPSG:32632", "name", {{"POINT (600000 20000)", "Tarn"}}}});
  const dem::SpatialRef utm = dem::spatialRef("EPSG:32632");
  const dem::SpatialRef theatre = dem::spatialRef(dem::theatreProjection(kCentre));
  const dem::CoordinateTransform ct(OCTNewCoordinateTransformation(utm.get(), theatre.get()));
  double x = 600000, y = 20000;
  ASSERT_TRUE(OCTTransform(ct.get(), 1, &x, &y, nullptr));
  const auto layer = read(file);
  ASSERT_TRUE(layer) << problem;
  ASSERT_EQ(layer->features.size(), 1u);
  EXPECT_NEAR(layer->features[0].parts[0][0].x, x / dem::kMetresPerFoot, 0.01);
  EXPECT_NEAR(layer->features[0].parts[0][0].z, y / dem::kMetresPerFoot, 0.01);
  EXPECT_EQ(layer->note, "");
}

TEST_F(ReferenceLayerTest, OfSeveralLayersTheFirstIsShownAndSaid) {
  const auto file = tmp.path() / "two.gpkg";
  writeVector(file, "GPKG",
              {{"towns", "EPSG:4326", "name", {{"POINT (10 0)", "Arlen"}}},
               {"roads", "EPSG:4326", "name", {{"LINESTRING (10 0, 10.1 0)", "A1"}}}});
  const auto layer = read(file);
  ASSERT_TRUE(layer) << problem;
  EXPECT_EQ(layer->name, "towns");
  ASSERT_EQ(layer->features.size(), 1u);
  EXPECT_EQ(layer->features[0].label, "Arlen");
  EXPECT_EQ(layer->note, "The file has 2 layers: showing the first, \"towns\".");
}

TEST_F(ReferenceLayerTest, WhatCannotBePlacedIsRefused) {
  writeVector(tmp.path() / "nowhere.shp", "ESRI Shapefile", {{"nowhere", "", "name", {{"POINT (1 2)", "x"}}}});
  quarnby::testing::writeText(tmp.path() / "notes.geojson", "these are not features");
  std::filesystem::create_directory(tmp.path() / "empty");
  struct Case {
    const char* file;
    std::string expected;
  };
  const Case cases[] = {
      {"nowhere.shp",
       "nowhere.shp cannot be shown as a reference layer: its layer \"nowhere\" has no coordinate "
       "system, so it has no place on the theatre."},
      {"notes.geojson", "notes.geojson cannot be shown as a reference layer: "},
      {"missing.gpkg", "missing.gpkg cannot be shown as a reference layer: "},
      {"empty", "empty cannot be shown as a reference layer: "},
#ifndef _WIN32
      {"pipe.geojson",
       "pipe.geojson cannot be shown as a reference layer: it is not a regular file (a named pipe, a "
       "device or a socket)."},
#endif
  };
#ifndef _WIN32
  ASSERT_EQ(mkfifo((tmp.path() / "pipe.geojson").c_str(), 0600), 0);
#endif
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    EXPECT_FALSE(read(tmp.path() / c.file));
    // GDAL's own words follow where it gave the reason.
    EXPECT_EQ(problem.substr(0, c.expected.size()), c.expected);
    EXPECT_GT(problem.size(), c.expected.size() + (c.expected.back() == ' ' ? 5 : -1));
  }
  // A theatre frame whose projection is none is said as such.
  writeVector(tmp.path() / "ok.geojson", "GeoJSON", {{"ok", "EPSG:4326", "name", {{"POINT (10 0)", "x"}}}});
  EXPECT_FALSE(dem::readReference(tmp.path() / "ok.geojson", "+proj=nonsense", problem));
  EXPECT_EQ(problem.rfind("The theatre frame's projection cannot be used: ", 0), 0u) << problem;
}

}  // namespace
