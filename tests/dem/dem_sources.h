#pragma once
// Small elevation sources written with GDAL for the DEM import's tests.
#include <array>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "dem/theatre.h"

namespace quarnby::testing {

struct RasterLayout {
  std::string srs = "EPSG:4326";  // "" writes a raster without a coordinate system
  std::array<double, 6> geoTransform{};
  int width = 0;
  int height = 0;
  int bands = 1;
  std::string unit;    // the band's unit type ("ft" for feet)
  double scale = 1.0;  // a cell holds (height - offset) / scale
  double offset = 0.0;
  std::optional<double> noData;
};

// A north-up raster in geographic coordinates from (lat0, lon0) at its south-west corner.
RasterLayout geographicLayout(double latSouth, double lonWest, double latNorth, double lonEast, double cellDegrees);

// Writes a GeoTIFF whose cell centres hold height(latitude, longitude); a height that is
// not a number becomes the no-data value.
void writeRaster(const std::filesystem::path& file, const RasterLayout& layout,
                 const std::function<double(dem::GeoPoint)>& height);

// The latitude and longitude of the theatre sample (column, row from the south).
dem::GeoPoint theatreSampleAt(dem::GeoPoint centre, int column, int row);

}  // namespace quarnby::testing
