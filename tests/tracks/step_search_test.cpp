#include "tracks/step_search.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "terrain/track_file.h"

namespace quarnby {
namespace {

// A full-size terrain, all water at elevation 0 until a test lays land.
struct Terrain {
  ElevationGrid elevation;
  CellGrid types;

  void land(long long r, long long c, std::int16_t e = 0) {
    types.setPos(typePosOfElevPos(ElevPos(r, c)), 1);
    elevation.set(static_cast<int>(r), static_cast<int>(c), e);
  }
  void water(long long r, long long c) { types.setPos(typePosOfElevPos(ElevPos(r, c)), 0); }
  void allLand() { std::fill(types.bytes().begin(), types.bytes().end(), 1); }

  TrackWalk walk(std::string lead, int kind, long long r, long long c, int steps, HqTable hqs = {},
                 std::vector<long long> samples = {}) {
    const TrackObject object{std::move(lead), 0, ElevPos(r, c), kind};
    samples.push_back(object.elevPos);
    return walkTrack(object, steps, hqs, samples, elevation, types);
  }
};

HqTable hqAt(long long r, long long c) {
  HqTable hqs;
  hqs[0] = {c, r};
  return hqs;
}

TEST(StepSearch, RoadSurroundedByWaterStaysAndSaysSoOnce) {
  Terrain t;
  t.land(512, 512, 40);
  const TrackWalk w = t.walk("G01GMS", kRoad, 512, 512, 9, hqAt(0, 0));
  EXPECT_EQ(w.directions, "0000000000");
  EXPECT_EQ(std::count(w.positions.begin(), w.positions.end(), ElevPos(512, 512)), 10);
  EXPECT_TRUE(w.deadEnd);
  EXPECT_EQ(trackPoints(w, 8), (std::vector<long long>{ElevPos(512, 512), ElevPos(512, 512)}));
}

TEST(StepSearch, RiverTakesItsOnlyWaterWhateverThePull) {
  Terrain t;
  t.allLand();
  t.water(514, 512);
  const TrackWalk w = t.walk("P01GMS", kRiver, 512, 512, 1, hqAt(0, 0));
  EXPECT_EQ(w.directions, "01");
  EXPECT_EQ(w.positions[1], ElevPos(514, 512));
  EXPECT_FALSE(w.deadEnd);
}

TEST(StepSearch, RailwayOnFlatLandHeadsAlongTheHqRow) {
  Terrain t;
  t.allLand();
  TrackWalk w = t.walk("G01AAF", kRailway, 512, 512, 12, hqAt(512, 900));
  EXPECT_EQ(w.directions, "0222222222222");
  EXPECT_EQ(w.positions[12], ElevPos(512, 536));
  EXPECT_EQ(trackPoints(w, 12).size(), 2u);
  w = t.walk("G01AAF", kRailway, 512, 512, 3, hqAt(512, 100));
  EXPECT_EQ(w.directions, "0444");
  w = t.walk("G01AAF", kRailway, 512, 512, 3, hqAt(100, 512));
  EXPECT_EQ(w.directions, "0333");
}

TEST(StepSearch, EqualCostsGoToTheLowerDirection) {
  Terrain t;
  t.allLand();
  // No pull while standing on the HQ's sample: all four cost 0.
  EXPECT_EQ(t.walk("G01AAF", kRailway, 512, 512, 1, hqAt(512, 512)).directions, "01");
  // North closed: east, south and west tie.
  t.water(514, 512);
  EXPECT_EQ(t.walk("G01AAF", kRailway, 512, 512, 1, hqAt(512, 512)).directions, "02");
  t.water(512, 514);
  EXPECT_EQ(t.walk("G01AAF", kRailway, 512, 512, 1, hqAt(512, 512)).directions, "03");
}

TEST(StepSearch, AnotherObjectsSampleIsOpenOnlyAtTheFirstStep) {
  Terrain t;
  t.allLand();
  // Standing on its HQ the track goes north at step 1, onto the other object.
  TrackWalk w = t.walk("G01AAF", kRailway, 512, 512, 1, hqAt(512, 512), {ElevPos(514, 512)});
  EXPECT_EQ(w.directions, "01");
  // Two steps north lies another object: step 2 turns east instead.
  w = t.walk("G01AAF", kRailway, 512, 512, 2, hqAt(512, 512), {ElevPos(516, 512)});
  EXPECT_EQ(w.directions, "012");
  EXPECT_EQ(w.positions[2], ElevPos(514, 514));
}

TEST(StepSearch, HqtGetsTheLargerStraightBonusAndNoPull) {
  Terrain t;
  t.allLand();
  // The HQ far east pulls a railway east; an HQT ignores it and ties north.
  EXPECT_EQ(t.walk("G01AAF", kRailway, 512, 512, 1, hqAt(512, 900)).directions, "02");
  EXPECT_EQ(t.walk("G01HQT", kRailway, 512, 512, 1, hqAt(512, 900)).directions, "01");
  // After going north a climb of 300 lies ahead: 350 keeps the HQT straight, 150 does not.
  t.land(516, 512, 300);
  EXPECT_EQ(t.walk("G01HQT", kRailway, 512, 512, 2, hqAt(512, 512)).directions, "011");
  EXPECT_EQ(t.walk("G01AAF", kRailway, 512, 512, 2, hqAt(512, 512)).directions, "012");
}

// Along an east-west corridor toward an HQ far east, step k offers a branch north on
// flat ground against a climb east. The climb at which east stops winning measures the
// pull of that step.
TEST(StepSearch, PullFadesStepByStep) {
  const long long weights[] = {250, 200, 160, 128, 102, 81, 64, 51, 40, 32, 25, 20};
  for (int k = 1; k <= 12; ++k) {
    const long long ahead = (k == 1 ? 0 : 150) + weights[k - 1];
    for (long long climb : {ahead - 1, ahead}) {
      Terrain t;
      for (long long c = 400; c < 600; c += 2) t.land(512, c);
      const long long branch = 512 + 2 * (k - 1);
      t.land(514, branch);
      t.land(512, branch + 2, static_cast<std::int16_t>(climb));
      const TrackWalk w = t.walk("G01AAF", kRailway, 512, 512, k, hqAt(512, 1000));
      EXPECT_EQ(w.directions.back(), climb < ahead ? '2' : '1') << "step " << k << ", climb " << climb;
    }
  }
}

TEST(StepSearch, KeepsItsDirectionOntoWaterWhenNothingIsBelowTheCeiling) {
  Terrain t;
  for (long long c = 512; c <= 516; c += 2) t.land(512, c);
  const TrackWalk w = t.walk("G01GMS", kRoad, 512, 512, 5, hqAt(512, 1000));
  EXPECT_EQ(w.directions, "022222");
  EXPECT_EQ(w.positions[5], ElevPos(512, 522));
  // The ground left behind still counts as usable for the dead-end test until step 5.
  EXPECT_TRUE(w.deadEnd);
}

TEST(StepSearch, NeverLeavesTheGridNorWrapsAcrossItsEdge) {
  Terrain t;
  t.land(512, 1020);
  t.land(512, 1022);
  // Where a column change would wrap: the next row's western edge.
  t.land(513, 0);
  const TrackWalk w = t.walk("G01GMS", kRoad, 512, 1020, 4, hqAt(512, 1023));
  EXPECT_EQ(w.directions, "02222");
  EXPECT_EQ(w.positions[4], ElevPos(512, 1022));
  EXPECT_EQ(trackPoints(w, 4), (std::vector<long long>{ElevPos(512, 1020), ElevPos(512, 1022)}));
  // The southern edge: a railway at row 0 with its HQ further south stays put.
  Terrain s;
  s.allLand();
  s.water(0, 2);
  s.water(2, 0);
  const TrackWalk south = s.walk("G01AAF", kRailway, 0, 0, 2, HqTable{});
  EXPECT_EQ(south.directions, "000");
}

TEST(StepSearch, ExtremeClimbsDoNotWrapAround) {
  Terrain t;
  t.land(512, 512, -32768);
  t.land(514, 512, 32767);  // a difference of 65535, never below the ceiling
  t.land(512, 514, -32268);
  const TrackWalk w = t.walk("G01AAF", kRailway, 512, 512, 1, hqAt(512, 512));
  EXPECT_EQ(w.directions, "02");
}

TEST(TrackPoints, StartTurnsAndEnd) {
  TrackWalk w;
  w.positions = {10, 20, 30, 40, 50, 60, 70};
  w.directions = "0112234";
  EXPECT_EQ(trackPoints(w, 6), (std::vector<long long>{10, 30, 50, 60, 70}));
  // A step searched beyond the distance adds neither a turn nor a point.
  EXPECT_EQ(trackPoints(w, 4), (std::vector<long long>{10, 30, 50}));
  EXPECT_EQ(trackPoints(w, 1), (std::vector<long long>{10, 20}));
  // A first step without a direction makes the start a turn of its own.
  w.directions = "0011111";
  EXPECT_EQ(trackPoints(w, 3), (std::vector<long long>{10, 20, 40}));
}

}  // namespace
}  // namespace quarnby
