#include "geo/geo_types.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace quarnby::geo {

std::optional<std::string> centreProblem(GeoPoint centre) {
  if (!std::isfinite(centre.lat) || !std::isfinite(centre.lon))
    return std::string("The theatre centre must be a latitude and a longitude in degrees.");
  if (std::fabs(centre.lat) > kCentreLatitudeLimit || std::fabs(centre.lon) > 180.0)
    return "The theatre centre " + geoText(centre) +
           " lies out of range: its latitude must lie within -80 and 80 degrees, its longitude within -180 and 180.";
  return std::nullopt;
}

std::string geoText(GeoPoint p) {
  char text[64];
  std::snprintf(text, sizeof text, "%.5f, %.5f", p.lat, p.lon);
  return text;
}

std::optional<GeoPoint> parseGeoPoint(const std::string& text) {
  const auto comma = text.find(',');
  if (comma == std::string::npos) return std::nullopt;
  const std::string lat = text.substr(0, comma), lon = text.substr(comma + 1);
  char* end = nullptr;
  const double la = std::strtod(lat.c_str(), &end);
  if (lat.empty() || *end) return std::nullopt;
  const double lo = std::strtod(lon.c_str(), &end);
  if (lon.empty() || *end) return std::nullopt;
  return GeoPoint{la, lo};
}

std::string exactGeoPointText(GeoPoint point) {
  char text[64];
  std::snprintf(text, sizeof text, "%.17g,%.17g", point.lat, point.lon);
  return text;
}

const std::vector<std::string>& resamplingNames() {
  static const std::vector<std::string> names = {"near",    "bilinear", "cubic", "cubicspline", "lanczos",
                                                 "average", "rms",      "mode",  "max",         "min",
                                                 "med",     "q1",       "q3",    "sum"};
  return names;
}

bool isResamplingName(const std::string& name) {
  const auto& names = resamplingNames();
  return std::find(names.begin(), names.end(), name) != names.end();
}

std::string resamplingList() {
  std::string list;
  for (const std::string& n : resamplingNames()) list += (list.empty() ? "" : ", ") + n;
  return list;
}

}  // namespace quarnby::geo
