#include "sites/departure_paths.h"

#include <gtest/gtest.h>

#include "core/parameter_set.h"
#include "sites/forest_clearing.h"

namespace quarnby {
namespace {

ElevationGrid flatGrid(std::int16_t height) {
  ElevationGrid grid;
  for (int r = 0; r < kElevSize; ++r)
    for (int c = 0; c < kElevSize; ++c) grid.set(r, c, height);
  return grid;
}

// Samples that differ between two grids, as (row, column).
std::vector<std::pair<int, int>> changedSamples(const ElevationGrid& a, const ElevationGrid& b) {
  std::vector<std::pair<int, int>> out;
  for (int r = 0; r < kElevSize; ++r)
    for (int c = 0; c < kElevSize; ++c)
      if (a.at(r, c) != b.at(r, c)) out.emplace_back(r, c);
  return out;
}

TEST(ClimbHeight, TheTableOfTheFourClimbFactors) {
  const int factors[4] = {27, 32, 36, 47};
  const int heights[4][10] = {{27, 71, 126, 188, 257, 332, 412, 496, 585, 678},
                              {32, 84, 149, 223, 305, 393, 488, 588, 694, 804},
                              {36, 95, 168, 251, 343, 442, 549, 662, 780, 904},
                              {47, 124, 219, 327, 447, 577, 717, 864, 1019, 1181}};
  for (int f = 0; f < 4; ++f)
    for (int i = 1; i <= 10; ++i) EXPECT_EQ(climbHeight(factors[f], i), heights[f][i - 1]) << factors[f] << " " << i;
}

TEST(SetAlt, LowersOnlyWhatStandsAboveTheSurface) {
  ElevationGrid grid;
  grid.set(10, 10, 600);
  grid.set(10, 11, 527);
  grid.set(10, 12, -40);
  for (int c = 10; c <= 12; ++c) SetAlt(grid, ElevPos(10, c), 27, 500);
  EXPECT_EQ(grid.at(10, 10), 527);
  EXPECT_EQ(grid.at(10, 11), 527);
  EXPECT_EQ(grid.at(10, 12), -40);
  // A surface above the highest sample caps nothing.
  grid.set(10, 10, 32767);
  SetAlt(grid, ElevPos(10, 10), 1181, 32000);
  EXPECT_EQ(grid.at(10, 10), 32767);
}

TEST(DeparturePaths, DepEastCapsAThreeSampleCorridorAndMovesThePosition) {
  const ElevationGrid before = flatGrid(2000);
  ElevationGrid grid = before;
  SamplePos pos{512, 513};  // P3 of an object at (512, 512)
  DepE(grid, pos, 27, 500);
  EXPECT_EQ(pos, (SamplePos{512, 523}));
  for (int r = 511; r <= 513; ++r) {
    EXPECT_EQ(grid.at(r, 514), 527);
    EXPECT_EQ(grid.at(r, 523), 1178);
  }
  EXPECT_EQ(changedSamples(before, grid).size(), 30u);
  EXPECT_EQ(grid.at(512, 513), 2000);  // the starting position is not capped
  EXPECT_EQ(grid.at(512, 524), 2000);
}

TEST(DeparturePaths, DiagonalStepsCapTheNewSampleAndTheTwoBetween) {
  const ElevationGrid before = flatGrid(2000);
  ElevationGrid grid = before;
  SamplePos pos{513, 513};  // P2 of an object at (512, 512)
  DepNE(grid, pos, 27, 0);
  EXPECT_EQ(pos, (SamplePos{523, 523}));
  EXPECT_EQ(grid.at(513, 514), 27);
  EXPECT_EQ(grid.at(514, 513), 27);
  EXPECT_EQ(grid.at(514, 514), 27);
  EXPECT_EQ(grid.at(523, 523), 678);
  EXPECT_EQ(changedSamples(before, grid).size(), 30u);

  // Every direction walks ten samples out and caps three per step.
  struct Case {
    void (*step)(ElevationGrid&, SamplePos&, int, std::int16_t);
    SamplePos end;
  };
  const Case cases[] = {{DepN, {522, 512}}, {DepNE, {522, 522}}, {DepE, {512, 522}}, {DepSE, {502, 522}},
                        {DepS, {502, 512}}, {DepSW, {502, 502}}, {DepW, {512, 502}}, {DepNW, {522, 502}}};
  for (const Case& c : cases) {
    ElevationGrid g = before;
    SamplePos p{512, 512};
    c.step(g, p, 47, 100);
    EXPECT_EQ(p, c.end);
    EXPECT_EQ(changedSamples(before, g).size(), 30u);
    EXPECT_EQ(g.at(static_cast<int>(c.end.row), static_cast<int>(c.end.col)), 1281);
    EXPECT_EQ(g.at(512, 512), 2000);
  }
}

TEST(DeparturePaths, CapsNeverRaiseAndOverlapsGiveTheSameGridInEitherOrder) {
  ElevationGrid before = flatGrid(50);
  before.set(512, 515, 9000);
  before.set(515, 515, 700);
  ElevationGrid one = before;
  ElevationGrid two = before;
  SamplePos a{512, 513}, b{513, 513};
  DepE(one, a, 32, 40);
  DepNE(one, b, 32, 40);
  a = {512, 513};
  b = {513, 513};
  DepNE(two, b, 32, 40);
  DepE(two, a, 32, 40);
  EXPECT_EQ(one.bytes(), two.bytes());
  EXPECT_EQ(changedSamples(before, one), (std::vector<std::pair<int, int>>{{512, 515}, {515, 515}}));
  EXPECT_EQ(one.at(512, 515), 40 + 84);
  EXPECT_EQ(one.at(515, 515), 40 + 84);
}

TEST(DeparturePaths, PathsStopAtTheGridsEdgeWithoutWrapping) {
  const ElevationGrid before = flatGrid(2000);
  ElevationGrid grid = before;
  SamplePos pos{500, 1020};
  DepE(grid, pos, 27, 0);
  EXPECT_EQ(pos, (SamplePos{500, 1030}));
  for (const auto& [r, c] : changedSamples(before, grid)) {
    EXPECT_TRUE(r >= 499 && r <= 501 && c >= 1021 && c <= 1023) << r << "," << c;
  }
  EXPECT_EQ(changedSamples(before, grid).size(), 9u);

  // Southwards past row 0 and westwards past column 0 the walk goes on, writing nothing.
  grid = before;
  pos = {3, 3};
  DepSW(grid, pos, 47, 0);
  EXPECT_EQ(pos, (SamplePos{-7, -7}));
  EXPECT_EQ(changedSamples(before, grid).size(), 9u);  // three steps, down to sample (0, 0)
  EXPECT_EQ(grid.at(0, 0), 219);
  // The north-east corner sample is never capped.
  grid = before;
  pos = {1013, 1023};
  DepN(grid, pos, 27, 0);
  EXPECT_EQ(grid.at(1023, 1023), 2000);
  EXPECT_EQ(grid.at(1023, 1022), 678);
}

TEST(ForestClearing, OnlyForestBecomesTheChosenType) {
  ParameterSet params;
  params.setChoice("Combo26", 1);
  CellGrid types;
  types.setPos(515, 5);
  ClearForest(params, types, 6155);  // sample (3, 5) lies in cell (1, 2)
  EXPECT_EQ(types.atPos(515), 1);

  // Two samples of the same block: the second finds grass.
  types.setPos(515, 5);
  params.setChoice("Combo26", 3);  // read at every call
  ClearForest(params, types, ElevPos(2, 4));
  params.setChoice("Combo26", 6);
  ClearForest(params, types, ElevPos(3, 4));
  EXPECT_EQ(types.atPos(515), 3);

  for (std::uint8_t other : {0, 1, 2, 3, 4, 6, 200}) {
    types.setPos(TypePos(10, 10), other);
    ClearForest(params, types, ElevPos(20, 20));
    EXPECT_EQ(types.atPos(TypePos(10, 10)), other);
  }
  params.setChoice("Combo26", 5);
  types.setPos(TypePos(10, 10), 5);
  ClearForest(params, types, ElevPos(21, 21));
  EXPECT_EQ(types.atPos(TypePos(10, 10)), 5);
}

TEST(ForestClearing, TheLastTwoCellsAndPositionsBeforeTheGridAreIgnored) {
  ParameterSet params;
  params.setChoice("Combo26", 1);
  CellGrid types;
  for (long long t = 1; t <= static_cast<long long>(kTypeBytes); ++t) types.setPos(t, 5);
  const CellGrid before = types;
  for (long long p : {2097151LL, ElevPos(1022, 1021), ElevPos(1023, 1020), 0LL, -1LL, -2049LL, 3000000LL})
    ClearForest(params, types, p);
  EXPECT_EQ(types.bytes(), before.bytes());
  ClearForest(params, types, ElevPos(1023, 1019));
  EXPECT_EQ(types.atPos(262142), 1);
  ClearForest(params, types, 1);
  EXPECT_EQ(types.atPos(1), 1);
}

}  // namespace
}  // namespace quarnby
