#include "dem/theatre.h"

#include <cmath>
#include <cstdio>

#include "dem/gdal_support.h"

namespace quarnby::dem {

std::string theatreProjection(GeoPoint centre) {
  char text[160];
  std::snprintf(text, sizeof text, "+proj=aeqd +lat_0=%.10f +lon_0=%.10f +datum=WGS84 +units=m +no_defs", centre.lat,
                centre.lon);
  return text;
}

std::optional<std::string> centreProblem(GeoPoint centre) {
  if (!std::isfinite(centre.lat) || !std::isfinite(centre.lon))
    return std::string("The theatre centre must be a latitude and a longitude in degrees.");
  if (std::fabs(centre.lat) > geo::kCentreLatitudeLimit || std::fabs(centre.lon) > 180.0)
    return "The theatre centre " + geoText(centre) +
           " lies out of range: its latitude must lie within -80 and 80 degrees, its longitude within -180 and 180.";
  return std::nullopt;
}

std::array<GeoPoint, 4> theatreCorners(GeoPoint centre) {
  initialiseGdal();
  const double edge = kCentreIndex * kSampleMetres;
  double x[4] = {-edge, edge, edge, -edge};
  double y[4] = {-edge, -edge, edge, edge};
  const auto theatre = spatialRef(theatreProjection(centre));
  const auto wgs84 = geographicWgs84();
  CoordinateTransform toGeo(OCTNewCoordinateTransformation(theatre.get(), wgs84.get()));
  std::array<GeoPoint, 4> corners{};
  if (toGeo && OCTTransform(toGeo.get(), 4, x, y, nullptr))
    for (int i = 0; i < 4; ++i) corners[static_cast<std::size_t>(i)] = {y[i], x[i]};
  return corners;
}

std::string geoText(GeoPoint p) {
  char text[64];
  std::snprintf(text, sizeof text, "%.5f, %.5f", p.lat, p.lon);
  return text;
}

}  // namespace quarnby::dem
