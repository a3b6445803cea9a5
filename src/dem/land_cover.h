#pragma once
#include "geo/land_cover_request.h"

namespace quarnby::dem {

// The type cell (tc, tr) covers the four elevation samples 2tc..2tc+1 x 2tr..2tr+1: a
// square two samples wide centred half a sample east and north of sample (2tc, 2tr). The
// classes are sampled, never averaged, on 4 x 4 points of each cell (nearest source cell),
// later sources winning where they have data. A cell is water when half its points or more
// are water; else, with half or more without data it has no land cover; else it takes its
// most common other entry, ties going to the lower entry (Grass, Grassy Rock, Farm, Rock,
// Forest, Snow, open ground, bare ground, no land cover). Patches smaller than the
// smallest patch merge into their largest neighbour (GDAL's sieve, 4-connected), except
// water that touches a cell at sea level.
LandCoverResult landCover(const LandCoverRequest& request);

}  // namespace quarnby::dem
