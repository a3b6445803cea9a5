#include "dem/theatre.h"

#include <cmath>
#include <cstdio>

#include "dem/gdal_support.h"
#include "terrain/theatre_frame.h"

namespace quarnby::dem {

std::string theatreProjection(GeoPoint centre) { return theatreProjectionText(centre.lat, centre.lon); }

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

}  // namespace quarnby::dem
