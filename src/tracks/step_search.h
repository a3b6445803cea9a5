#pragma once
#include <array>
#include <span>
#include <string>
#include <vector>

#include "terrain/grids.h"

namespace quarnby {

// The object a track leaves from.
struct TrackObject {
  std::string leadToken;  // characters 4 to 6 are the object code
  int side = 0;           // sides 0 to 3 have an HQ entry; any other side pulls toward column 0, row 0
  long long elevPos = 0;  // the object's elevation sample, inside the grid
  int kind = 0;           // kRoad, kRailway or kRiver (terrain/track_file.h)
};

// Column and row of each side's HQ sample; a side without an HQT stays at column 0, row 0.
struct HqSample {
  long long column = 0;
  long long row = 0;
};
using HqTable = std::array<HqSample, 4>;

// A finished walk: positions[0] is the object's sample and positions[k] the sample
// reached after step k; directions starts with "0" and gets the digit of every step
// (1 north, 2 east, 3 south, 4 west, 0 none chosen yet). deadEnd tells that some step
// found no usable neighbour, so the track needs checking by hand.
struct TrackWalk {
  std::vector<long long> positions;
  std::string directions;
  bool deadEnd = false;
};

// Lays one track out from its object, `steps` steps of two samples each, by the greedy
// walk: climb as cost, wrong ground and samples already taken closed, a pull toward
// the side's HQ that fades step by step, a bonus for going straight, never straight
// back. `objectSamples` holds the sample of every object slot, superseded ones and
// the track's own included; from the second step on the walk keeps off them.
TrackWalk walkTrack(const TrackObject& object, int steps, const HqTable& hqs, std::span<const long long> objectSamples,
                    const ElevationGrid& elevation, const CellGrid& types);

// The points of a walk written as a track of `distance` steps (distance <= steps of the
// walk): its start, every position where the direction changes, and position `distance`.
std::vector<long long> trackPoints(const TrackWalk& walk, int distance);

}  // namespace quarnby
