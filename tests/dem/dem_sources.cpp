#include "dem_sources.h"

#include <gdal.h>
#include <ogr_srs_api.h>

#include <cmath>
#include <stdexcept>
#include <vector>

#include "dem/gdal_support.h"

namespace quarnby::testing {

using dem::GeoPoint;

RasterLayout geographicLayout(double latSouth, double lonWest, double latNorth, double lonEast, double cellDegrees) {
  RasterLayout layout;
  layout.width = static_cast<int>(std::lround((lonEast - lonWest) / cellDegrees));
  layout.height = static_cast<int>(std::lround((latNorth - latSouth) / cellDegrees));
  layout.geoTransform = {lonWest, cellDegrees, 0.0, latNorth, 0.0, -cellDegrees};
  return layout;
}

void writeRaster(const std::filesystem::path& file, const RasterLayout& layout,
                 const std::function<double(GeoPoint)>& height) {
  dem::initialiseGdal();
  dem::Dataset ds(GDALCreate(GDALGetDriverByName("GTiff"), file.string().c_str(), layout.width, layout.height,
                             layout.bands, GDT_Float32, nullptr));
  if (!ds) throw std::runtime_error("cannot write " + file.string());
  auto gt = layout.geoTransform;
  GDALSetGeoTransform(ds.get(), gt.data());
  // Cell centres in the raster's own coordinates, then in latitude and longitude.
  std::vector<double> x, y;
  for (int r = 0; r < layout.height; ++r)
    for (int c = 0; c < layout.width; ++c) {
      x.push_back(gt[0] + (c + 0.5) * gt[1]);
      y.push_back(gt[3] + (r + 0.5) * gt[5]);
    }
  const auto srs = dem::spatialRef(layout.srs.empty() ? "EPSG:4326" : layout.srs);
  if (!layout.srs.empty()) GDALSetSpatialRef(ds.get(), srs.get());
  const auto wgs84 = dem::geographicWgs84();
  dem::CoordinateTransform toGeo(OCTNewCoordinateTransformation(srs.get(), wgs84.get()));
  OCTTransform(toGeo.get(), static_cast<int>(x.size()), x.data(), y.data(), nullptr);
  std::vector<float> values(x.size());
  const double noData = layout.noData.value_or(-32768.0);
  for (std::size_t i = 0; i < values.size(); ++i) {
    const double h = height({y[i], x[i]});
    values[i] = static_cast<float>(std::isnan(h) ? noData : (h - layout.offset) / layout.scale);
  }
  for (int b = 1; b <= layout.bands; ++b) {
    GDALRasterBandH band = GDALGetRasterBand(ds.get(), b);
    if (layout.noData) GDALSetRasterNoDataValue(band, *layout.noData);
    if (!layout.unit.empty()) GDALSetRasterUnitType(band, layout.unit.c_str());
    if (layout.scale != 1.0 || layout.offset != 0.0) {
      GDALSetRasterScale(band, layout.scale);
      GDALSetRasterOffset(band, layout.offset);
    }
    if (GDALRasterIO(band, GF_Write, 0, 0, layout.width, layout.height, values.data(), layout.width, layout.height,
                     GDT_Float32, 0, 0) != CE_None)
      throw std::runtime_error("cannot write the cells of " + file.string());
  }
}

GeoPoint theatreSampleAt(GeoPoint centre, int column, int row) {
  const auto theatre = dem::spatialRef(dem::theatreProjection(centre));
  const auto wgs84 = dem::geographicWgs84();
  dem::CoordinateTransform toGeo(OCTNewCoordinateTransformation(theatre.get(), wgs84.get()));
  double x = (column - dem::kCentreIndex) * dem::kSampleMetres;
  double y = (row - dem::kCentreIndex) * dem::kSampleMetres;
  OCTTransform(toGeo.get(), 1, &x, &y, nullptr);
  return {y, x};
}

}  // namespace quarnby::testing
