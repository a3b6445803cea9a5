#pragma once
#include "dem/theatre.h"

namespace quarnby::dem {

// The theatre square's edge, in metres east, west, north and south of the centre: half a
// sample beyond the outermost samples, whose cells it bounds.
inline constexpr double kTheatreEdgeMetres = (kCentreIndex + 0.5) * kSampleMetres;

}  // namespace quarnby::dem
