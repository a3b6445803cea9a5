#pragma once
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// What the program says to the geographic module and hears back from it: plain values,
// no GDAL, so that everything outside the module builds and runs without it.
namespace quarnby::geo {

// A point on the WGS84 ellipsoid in degrees, north and east positive.
struct GeoPoint {
  double lat = 0.0;
  double lon = 0.0;
};

// The theatre's centre lies within this many degrees of the equator.
inline constexpr double kCentreLatitudeLimit = 80.0;

// Why a centre cannot carry a theatre (beyond 80 degrees of latitude, a longitude beyond
// 180 degrees, not a number), or nothing.
std::optional<std::string> centreProblem(GeoPoint centre);
// "47.12345, 7.54321": latitude and longitude with five decimals (about a metre).
std::string geoText(GeoPoint p);

// "LAT,LON" in degrees; nothing when it is not two numbers.
std::optional<GeoPoint> parseGeoPoint(const std::string& text);
// The same text back, every digit kept, so that parseGeoPoint gives the same point.
std::string exactGeoPointText(GeoPoint point);

// An elevation source as the import sees it before warping: a raster GDAL reads, of one
// band, placed on the earth by its coordinate system.
struct SourceInfo {
  std::filesystem::path path;
  int width = 0;
  int height = 0;
  // The raster's edge in latitude and longitude, walked around its outline.
  std::vector<GeoPoint> outline;
  double latMin = 0.0, latMax = 0.0, lonMin = 0.0, lonMax = 0.0;
};

// GDAL's resampling methods the import offers. "" (automatic) takes `average` for a
// source finer than the theatre grid and `bilinear` for the others.
const std::vector<std::string>& resamplingNames();
bool isResamplingName(const std::string& name);
// "near, bilinear, ...": the names as a list in a sentence.
std::string resamplingList();

}  // namespace quarnby::geo

namespace quarnby {

// What "Import DEM..." is asked to do: the sources in order (a later one wins where they
// overlap), the theatre centre (the centre of the sources' extent when not given) and
// GDAL's resampling ("" picks `average` or `bilinear` by the sources' cell size).
struct DemImportRequest {
  std::vector<std::filesystem::path> sources;
  std::optional<geo::GeoPoint> centre;
  std::string resampling;
  // Told the percentage done; returns false to stop the import, which then leaves the
  // height field as it was. Without it the progress goes to ProgressBar1.
  std::function<bool(int percent)> progress;
};

}  // namespace quarnby
