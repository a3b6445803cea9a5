#include "tracks/step_search.h"

#include <algorithm>
#include <optional>

#include "terrain/object_file.h"
#include "terrain/track_file.h"

namespace quarnby {
namespace {

constexpr long long kBlocked = 30000;
constexpr long long kReverse = 20000;
constexpr long long kCeiling = 10000;
constexpr long long kStraightBonus = 150;
constexpr long long kHqtStraightBonus = 350;
constexpr long long kFirstPull = 250;

// Directions 1 north, 2 east, 3 south, 4 west; index 0 is "none".
constexpr long long kRowChange[5] = {0, 2, 0, -2, 0};
constexpr long long kColumnChange[5] = {0, 0, 2, 0, -2};
constexpr int kOpposite[5] = {0, 3, 4, 1, 2};

// The sample two steps away in direction d, or nothing when it lies off the grid (a
// column change never wraps into the next row).
std::optional<long long> neighbour(long long p, int d) {
  const long long r = rowOfElevPos(p) + kRowChange[d];
  const long long c = columnOfElevPos(p) + kColumnChange[d];
  if (r < 0 || r >= kElevSize || c < 0 || c >= kElevSize) return std::nullopt;
  return ElevPos(r, c);
}

long long sign(long long v) { return (v > 0) - (v < 0); }

}  // namespace

TrackWalk walkTrack(const TrackObject& object, int steps, const HqTable& hqs, std::span<const long long> objectSamples,
                    const ElevationGrid& elevation, const CellGrid& types) {
  const bool hqt = objectCodeOf(object.leadToken) == "HQT";
  const long long straightBonus = hqt ? kHqtStraightBonus : kStraightBonus;
  const HqSample hq = object.side >= 0 && object.side < 4 ? hqs[static_cast<std::size_t>(object.side)] : HqSample{};
  long long pull = kFirstPull;
  int last = 0;

  TrackWalk walk;
  walk.positions.push_back(object.elevPos);
  walk.directions.assign(1, '0');

  for (int k = 1; k <= steps; ++k) {
    const long long p = walk.positions.back();
    const long long r = rowOfElevPos(p);
    const long long c = columnOfElevPos(p);
    const long long e0 = elevation.atPos(p);

    std::optional<long long> next[5];
    long long cost[5] = {};
    bool anyUsable = false;
    for (int d = 1; d <= 4; ++d) {
      next[d] = neighbour(p, d);
      bool usable = false;
      if (next[d]) {
        const bool water = types.atPos(typePosOfElevPos(*next[d])) == 0;
        usable = object.kind == kRiver ? water : !water;
        // At the first step a track may leave over another object's sample.
        if (usable && k > 1)
          usable = std::find(objectSamples.begin(), objectSamples.end(), *next[d]) == objectSamples.end();
      }
      if (usable) {
        const long long e = elevation.atPos(*next[d]);
        cost[d] = e0 > e ? e0 - e : e - e0;  // held wider than the samples: up to 65535
        anyUsable = true;
      } else {
        cost[d] = kBlocked;
      }
    }

    if (!anyUsable) walk.deadEnd = true;

    if (!hqt) {
      const long long s = sign(hq.row - r);
      const long long u = sign(hq.column - c);
      cost[1] -= s * pull;
      cost[3] += s * pull;
      cost[2] -= u * pull;
      cost[4] += u * pull;
      pull = pull * 4 / 5;  // the whole part of 0.8 times the weight
    }

    if (last != 0) {
      cost[last] -= straightBonus;
      cost[kOpposite[last]] = kReverse;
    }

    for (std::size_t j = 1; j < walk.positions.size(); ++j)
      for (int d = 1; d <= 4; ++d)
        if (next[d] && *next[d] == walk.positions[j]) cost[d] = kBlocked;

    // Below the ceiling the cheapest wins, the lower direction among equals; with
    // nothing below it the walk keeps its direction, even onto closed ground.
    long long best = kCeiling;
    for (int d = 1; d <= 4; ++d)
      if (cost[d] < best) {
        last = d;
        best = cost[d];
      }

    // A kept direction that would leave the grid leaves the track where it is.
    walk.positions.push_back(last != 0 && next[last] ? *next[last] : p);
    walk.directions += static_cast<char>('0' + last);
  }
  return walk;
}

std::vector<long long> trackPoints(const TrackWalk& walk, int distance) {
  std::vector<long long> points{walk.positions[0]};
  for (int j = 1; j < distance; ++j)
    if (walk.directions[static_cast<std::size_t>(j) + 1] != walk.directions[static_cast<std::size_t>(j)])
      points.push_back(walk.positions[static_cast<std::size_t>(j)]);
  points.push_back(walk.positions[static_cast<std::size_t>(distance)]);
  return points;
}

}  // namespace quarnby
