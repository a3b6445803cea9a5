#include "sites/departure_paths.h"

#include <cmath>

#include "core/rounding.h"

namespace quarnby {
namespace {

// The last sample of the grid, (1023, 1023), starts at this position and is never capped.
constexpr long long kLastCappedPos = 2097151;

void capIfOnGrid(ElevationGrid& elev, const SamplePos& q, std::int16_t h, std::int16_t L) {
  if (!q.inGrid()) return;
  const long long p = q.elevPos();
  if (p > 0 && p < kLastCappedPos) SetAlt(elev, p, h, L);
}

// A straight path caps the new sample and its two neighbours across the path.
void straightPath(ElevationGrid& elev, SamplePos& pos, int f, std::int16_t L, int dRow, int dCol) {
  const int acrossRow = dRow == 0 ? 1 : 0;
  const int acrossCol = dRow == 0 ? 0 : 1;
  for (int i = 1; i <= 10; ++i) {
    const std::int16_t h = climbHeight(f, i);
    const SamplePos next = pos.moved(dRow, dCol);
    pos = next;
    capIfOnGrid(elev, next, h, L);
    capIfOnGrid(elev, next.moved(-acrossRow, -acrossCol), h, L);  // west, or south, of the path first
    capIfOnGrid(elev, next.moved(acrossRow, acrossCol), h, L);
  }
}

// A diagonal path caps the two samples that share an edge with both the old and the new
// sample, the east or west one first, then the new sample.
void diagonalPath(ElevationGrid& elev, SamplePos& pos, int f, std::int16_t L, int dRow, int dCol) {
  for (int i = 1; i <= 10; ++i) {
    const std::int16_t h = climbHeight(f, i);
    const SamplePos side = pos.moved(0, dCol);
    const SamplePos ahead = pos.moved(dRow, 0);
    const SamplePos next = pos.moved(dRow, dCol);
    pos = next;
    capIfOnGrid(elev, side, h, L);
    capIfOnGrid(elev, ahead, h, L);
    capIfOnGrid(elev, next, h, L);
  }
}

}  // namespace

std::int16_t climbHeight(int f, int i) {
  const double h = f * std::pow(static_cast<double>(i), 1.4);
  return toInt16(h).value_or(0);
}

void SetAlt(ElevationGrid& elev, long long q, std::int16_t h, std::int16_t L) {
  // Held wide: a surface above the highest sample caps nothing.
  const long long surface = static_cast<long long>(L) + h;
  if (elev.atPos(q) > surface) elev.setPos(q, static_cast<std::int16_t>(surface));
}

void DepN(ElevationGrid& elev, SamplePos& pos, int f, std::int16_t L) { straightPath(elev, pos, f, L, 1, 0); }
void DepS(ElevationGrid& elev, SamplePos& pos, int f, std::int16_t L) { straightPath(elev, pos, f, L, -1, 0); }
void DepE(ElevationGrid& elev, SamplePos& pos, int f, std::int16_t L) { straightPath(elev, pos, f, L, 0, 1); }
void DepW(ElevationGrid& elev, SamplePos& pos, int f, std::int16_t L) { straightPath(elev, pos, f, L, 0, -1); }
void DepNE(ElevationGrid& elev, SamplePos& pos, int f, std::int16_t L) { diagonalPath(elev, pos, f, L, 1, 1); }
void DepNW(ElevationGrid& elev, SamplePos& pos, int f, std::int16_t L) { diagonalPath(elev, pos, f, L, 1, -1); }
void DepSE(ElevationGrid& elev, SamplePos& pos, int f, std::int16_t L) { diagonalPath(elev, pos, f, L, -1, 1); }
void DepSW(ElevationGrid& elev, SamplePos& pos, int f, std::int16_t L) { diagonalPath(elev, pos, f, L, -1, -1); }

}  // namespace quarnby
