#pragma once
#include <array>
#include <optional>
#include <string>

#include "geo/geo_types.h"
#include "terrain/terragen_file.h"

namespace quarnby::dem {

using geo::GeoPoint;

// The theatre is a square of 1025 x 1025 samples 2640 feet apart, north up, in an
// azimuthal equidistant projection centred on the theatre centre. Sample (column i, row j
// from the south) lies (i - 512) samples east and (j - 512) samples north of the centre.
inline constexpr int kTheatrePoints = TerragenFile::kPoints;
inline constexpr int kCentreIndex = 512;
inline constexpr double kSampleMetres = 804.672;  // 2640 feet
inline constexpr double kMetresPerFoot = 0.3048;

// The projection of a theatre centred on `centre`, as PROJ text.
std::string theatreProjection(GeoPoint centre);

using geo::centreProblem;

// The centres of the theatre's corner samples: south-west, south-east, north-east, north-west.
std::array<GeoPoint, 4> theatreCorners(GeoPoint centre);
using geo::geoText;

}  // namespace quarnby::dem
