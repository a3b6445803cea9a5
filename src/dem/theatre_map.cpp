#include "dem/theatre_map.h"

#include <cmath>
#include <utility>
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

// The points through PROJ: `from` gives an input's x and y in the system it is in, `to`
// makes an output of the transformed x and y.
template <class In, class Out, class From, class To>
bool transformPoints(const std::string& projection, bool toDegrees, std::span<const In> in, std::span<Out> out,
                     std::string& problem, From from, To to) {
  const auto ct = transformBetween(projection, toDegrees, problem);
  if (!ct) return false;
  std::vector<double> x, y;
  for (const In& p : in) {
    const auto [px, py] = from(p);
    x.push_back(px);
    y.push_back(py);
  }
  std::vector<int> ok(x.size(), 0);
  if (!x.empty()) OCTTransformEx(ct.get(), static_cast<int>(x.size()), x.data(), y.data(), nullptr, ok.data());
  for (std::size_t i = 0; i < x.size(); ++i)
    if (!ok[i] || !std::isfinite(x[i]) || !std::isfinite(y[i])) {
      problem = "A position lies where the theatre projection has no place for it.";
      return false;
    }
  for (std::size_t i = 0; i < in.size() && i < out.size(); ++i) out[i] = to(x[i], y[i]);
  return true;
}

}  // namespace

bool toGeographic(const std::string& projection, std::span<const geo::WorldPoint> in, std::span<geo::GeoPoint> out,
                  std::string& problem) {
  return transformPoints(
      projection, true, in, out, problem,
      [](const geo::WorldPoint& p) { return std::pair(p.x * kMetresPerFoot, p.z * kMetresPerFoot); },
      [](double lon, double lat) {
        return geo::GeoPoint{lat, lon};
      });
}

bool toWorld(const std::string& projection, std::span<const geo::GeoPoint> in, std::span<geo::WorldPoint> out,
             std::string& problem) {
  return transformPoints(
      projection, false, in, out, problem, [](const geo::GeoPoint& p) { return std::pair(p.lon, p.lat); },
      [](double x, double y) {
        return geo::WorldPoint{x / kMetresPerFoot, y / kMetresPerFoot};
      });
}

}  // namespace quarnby::dem
