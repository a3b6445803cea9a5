#include "dem/theatre_map.h"

#include <cmath>
#include <vector>

#include "dem/gdal_support.h"
#include "dem/theatre.h"

namespace quarnby::dem {
namespace {

// One transformation between the theatre projection and WGS84 longitude, latitude.
CoordinateTransform transformBetween(const std::string& projection, bool toDegrees, std::string& problem) {
  initialiseGdal();
  GdalErrors errors;
  const auto theatre = spatialRef(projection);
  const auto wgs84 = geographicWgs84();
  if (!theatre || !wgs84) {
    problem = "The theatre frame's projection cannot be used: " + errors.last(projection);
    return nullptr;
  }
  CoordinateTransform ct(toDegrees ? OCTNewCoordinateTransformation(theatre.get(), wgs84.get())
                                   : OCTNewCoordinateTransformation(wgs84.get(), theatre.get()));
  if (!ct) problem = "The theatre frame's projection cannot be used: " + errors.last(projection);
  return ct;
}

bool transformAll(OGRCoordinateTransformationH ct, std::vector<double>& x, std::vector<double>& y,
                  std::string& problem) {
  std::vector<int> ok(x.size(), 0);
  if (!x.empty()) OCTTransformEx(ct, static_cast<int>(x.size()), x.data(), y.data(), nullptr, ok.data());
  for (std::size_t i = 0; i < x.size(); ++i)
    if (!ok[i] || !std::isfinite(x[i]) || !std::isfinite(y[i])) {
      problem = "A position lies where the theatre projection has no place for it.";
      return false;
    }
  return true;
}

}  // namespace

bool toGeographic(const std::string& projection, std::span<const geo::WorldPoint> in, std::span<geo::GeoPoint> out,
                  std::string& problem) {
  const auto ct = transformBetween(projection, true, problem);
  if (!ct) return false;
  std::vector<double> x, y;
  for (const auto& p : in) {
    x.push_back(p.x * kMetresPerFoot);
    y.push_back(p.z * kMetresPerFoot);
  }
  if (!transformAll(ct.get(), x, y, problem)) return false;
  for (std::size_t i = 0; i < in.size() && i < out.size(); ++i) out[i] = {y[i], x[i]};
  return true;
}

bool toWorld(const std::string& projection, std::span<const geo::GeoPoint> in, std::span<geo::WorldPoint> out,
             std::string& problem) {
  const auto ct = transformBetween(projection, false, problem);
  if (!ct) return false;
  std::vector<double> x, y;
  for (const auto& p : in) {
    x.push_back(p.lon);
    y.push_back(p.lat);
  }
  if (!transformAll(ct.get(), x, y, problem)) return false;
  for (std::size_t i = 0; i < in.size() && i < out.size(); ++i) out[i] = {x[i] / kMetresPerFoot, y[i] / kMetresPerFoot};
  return true;
}

}  // namespace quarnby::dem
