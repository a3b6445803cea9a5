#pragma once
#include <span>
#include <string>

#include "geo/geo_types.h"
#include "geo/theatre_map.h"

namespace quarnby::dem {

// World frame (feet from the theatre centre) to WGS84 degrees and back through PROJ, in
// the theatre projection `projection`; false with the reason in `problem`.
bool toGeographic(const std::string& projection, std::span<const geo::WorldPoint> in, std::span<geo::GeoPoint> out,
                  std::string& problem);
bool toWorld(const std::string& projection, std::span<const geo::GeoPoint> in, std::span<geo::WorldPoint> out,
             std::string& problem);

}  // namespace quarnby::dem
