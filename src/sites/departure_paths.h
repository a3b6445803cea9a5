#pragma once
#include <cstdint>

#include "terrain/grids.h"

namespace quarnby {

// An elevation sample followed by row and column, so that a walk which leaves the grid
// never wraps into the next row or onto the far side of the map.
struct SamplePos {
  long long row = 0;
  long long col = 0;

  bool inGrid() const { return row >= 0 && row < kElevSize && col >= 0 && col < kElevSize; }
  long long elevPos() const { return ElevPos(row, col); }
  SamplePos moved(long long dRow, long long dCol) const { return {row + dRow, col + dCol}; }
  friend bool operator==(const SamplePos&, const SamplePos&) = default;
};

// The height of the climb surface above the airfield's level at step i (1..10):
// f * i^1.4, rounded to the nearest foot, halves to even.
std::int16_t climbHeight(int f, int i);

// Caps the sample at elevation position q to at most L + h; a sample at or below it is
// not written.
void SetAlt(ElevationGrid& elev, long long q, std::int16_t h, std::int16_t L);

// Ten steps of a departure path from pos, capping the corridor to the climb surface of
// factor f above L. On return pos holds the last position the path reached.
void DepN(ElevationGrid& elev, SamplePos& pos, int f, std::int16_t L);
void DepNE(ElevationGrid& elev, SamplePos& pos, int f, std::int16_t L);
void DepE(ElevationGrid& elev, SamplePos& pos, int f, std::int16_t L);
void DepSE(ElevationGrid& elev, SamplePos& pos, int f, std::int16_t L);
void DepS(ElevationGrid& elev, SamplePos& pos, int f, std::int16_t L);
void DepSW(ElevationGrid& elev, SamplePos& pos, int f, std::int16_t L);
void DepW(ElevationGrid& elev, SamplePos& pos, int f, std::int16_t L);
void DepNW(ElevationGrid& elev, SamplePos& pos, int f, std::int16_t L);

}  // namespace quarnby
