#pragma once
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "geo/geo_types.h"

namespace quarnby {

// What "Import Land Cover" asks of the geographic module: the class rasters in order (a
// later one wins where it has data), the theatre centre, the class table as code to
// cover entry (terrain/cover_bitmap.h), the smallest patch kept, and which type cells lie
// at sea level (512 x 512, south first), whose water the patch sieve leaves alone.
struct LandCoverRequest {
  std::vector<std::filesystem::path> sources;
  geo::GeoPoint centre;
  std::map<std::int64_t, std::uint8_t> classes;
  int smallestPatch = 2;
  std::vector<std::uint8_t> seaLevel;
  // Told the percentage done; returns false to stop.
  std::function<bool(int percent)> progress;
};

// What it gives back: one cover entry per type cell (south first) and the codes the table
// does not know, with the number of sub-samples that had each.
struct LandCoverResult {
  enum class Status { Done, Cancelled, Refused } status = Status::Refused;
  std::string problem;  // the message for the user when refused
  std::vector<std::uint8_t> cells;
  std::map<std::int64_t, std::uint64_t> unknownCodes;
};

}  // namespace quarnby
