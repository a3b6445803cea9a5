#include "typing/set_type.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <sstream>

#include "app/settings_file.h"
#include "batch/batch.h"
#include "demo/demo_terrain.h"
#include "support/system_texts.h"
#include "support/terrain_fixture.h"
#include "terrain/cover_bitmap.h"
#include "terrain/file_io.h"
#include "terrain/grids.h"

namespace quarnby {
namespace {

using testing::Harness;
using testing::TempFolder;

enum Type : std::uint8_t { Water, Grass, GrassyRock, Farm, Rock, Forest, Snow };

// A terrain whose thresholds are 100, 200, ..., 2200 feet, band 0 water and every other
// band grass, unless a test says otherwise. Samples are set at the south-west corner of
// a cell, the one sample that decides the cell's band.
class SetType : public testing::TerrainFixture {
 protected:
  SetType() {
    for (int k = 1; k <= 22; ++k) threshold(k, std::to_string(100 * k));
    for (int b = 0; b <= 23; ++b) bandType(b, b == 0 ? Water : Grass);
  }
  void threshold(int k, const std::string& text) { h.params.setText("Text" + std::to_string(k + 3), text); }
  void bandType(int band, int type) { h.params.setChoice("Combo" + std::to_string(band + 1), type); }
  void cell(int tr, int tc, std::int16_t e) { elev.set(2 * tr, 2 * tc, e); }
  // A sample beside a cell's deciding sample: dr, dc of -1, 0 or 1.
  void beside(int tr, int tc, int dr, int dc, std::int16_t e) { elev.set(2 * tr + dr, 2 * tc + dc, e); }

  std::filesystem::path typeFile() const { return file(suffix::kType); }

  struct Sample {
    std::int16_t elevation;
    Type type;
  };
  // Lays the samples on every other cell of row `tr` from column `tc`, runs, and checks the
  // type each of those cells got; the grid, for further checks.
  CellGrid expectTypes(int tr, int tc, const std::vector<Sample>& samples) {
    for (std::size_t i = 0; i < samples.size(); ++i) cell(tr, tc + 2 * static_cast<int>(i), samples[i].elevation);
    const CellGrid t = run();
    for (std::size_t i = 0; i < samples.size(); ++i)
      EXPECT_EQ(t.at(tr, tc + 2 * static_cast<int>(i)), samples[i].type) << "a sample of " << samples[i].elevation;
    return t;
  }
  CellGrid run() {
    writeElevation(elev);
    if (!cover.empty()) writeCover(cover);
    EXPECT_EQ(Command1_Click(h.cx), Outcome::Completed);
    EXPECT_EQ(h.host.onlyMessage(), "Done");
    h.host.messages.clear();
    return CellGrid(GridFile(testing::readBytes(typeFile()), kTypeBytes));
  }

  // The land cover layer: every cell without land cover until a test gives it one.
  void coverCell(int tr, int tc, std::uint8_t entry) {
    if (cover.empty()) cover.assign(kCoverPixelCount, kNoLandCover);
    cover[static_cast<std::size_t>(tr) * kCoverSize + static_cast<std::size_t>(tc)] = entry;
    h.params.setSwitch("UseCover", 1);
  }
  void writeCover(const std::vector<std::uint8_t>& cells) const {
    testing::writeBytes(file(suffix::kCover), coverBitmapFile(std::span<const std::uint8_t, kCoverPixelCount>(cells)));
  }

  ElevationGrid elev;
  std::vector<std::uint8_t> cover;
};

TEST_F(SetType, TheFirstThresholdAboveTheSampleDecidesTheBand) {
  bandType(2, Rock);
  bandType(22, Forest);
  bandType(23, Snow);
  // 100 is equal to Alt(1): the band above.
  const CellGrid t = expectTypes(0, 0,
                                 {{0, Water},
                                  {99, Grass},
                                  {100, Rock},
                                  {-5, Grass},
                                  {-32768, Grass},
                                  {2199, Forest},
                                  {2200, Snow},
                                  {32767, Snow}});
  EXPECT_EQ(t.at(0, 1), Water);  // untouched ground at 0
}

TEST_F(SetType, ZeroIsSeaLevelWhateverTheFirstThreshold) {
  threshold(1, "-10");
  bandType(2, Rock);
  expectTypes(3, 3, {{0, Water}, {-5, Rock}, {-20, Grass}});
}

TEST_F(SetType, ThresholdsNeedNotAscend) {
  threshold(21, "12000");
  threshold(22, "11200");
  bandType(21, Forest);
  bandType(22, Rock);
  bandType(23, Snow);
  // Band 22 can never occur.
  expectTypes(1, 1, {{11500, Forest}, {11199, Forest}, {12000, Snow}, {12500, Snow}});
}

TEST_F(SetType, ThresholdsAreReadAsTextAndKeptInSinglePrecision) {
  bandType(2, Rock);
  threshold(1, " 100.000001");  // 100 in single precision: a sample of 100 lies above it
  expectTypes(2, 2, {{100, Rock}, {99, Grass}});
  threshold(1, "abc");  // no number: 0
  expectTypes(2, 2, {{50, Rock}, {-1, Grass}});
  threshold(1, "1e300");  // beyond the single range: above every sample
  expectTypes(2, 2, {{32767, Grass}, {-1, Grass}});
}

TEST_F(SetType, ShoreRuleFindsLandOnEveryNeighbour) {
  bandType(1, Forest);
  const int around[8][2] = {{1, 0}, {0, 1}, {1, 1}, {-1, 0}, {0, -1}, {1, -1}, {-1, 1}, {-1, -1}};
  for (int k = 0; k < 8; ++k) beside(10, 3 + 3 * k, around[k][0], around[k][1], 50);
  // Surrounded by sea level and below: stays water.
  for (const auto& d : around) beside(20, 20, d[0], d[1], d[0] == 0 ? 0 : -5);
  const CellGrid t = run();
  for (int k = 0; k < 8; ++k) EXPECT_EQ(t.at(10, 3 + 3 * k), Forest) << "neighbour " << k;
  EXPECT_EQ(t.at(20, 20), Water);
}

TEST_F(SetType, ShoreRuleLooksNeitherSouthOfTheFirstRowNorWestOfTheFirstColumn) {
  bandType(1, Forest);
  // West, north-west and south-west of cell (3, 0) lie at the far end of the rows below.
  elev.set(5, 1023, 500);
  elev.set(6, 1023, 500);
  elev.set(4, 1023, 500);
  beside(0, 5, 1, 0, 50);  // first row: north still counts
  beside(0, 0, 1, 1, 50);  // first cell: north-east still counts
  const CellGrid t = run();
  EXPECT_EQ(t.at(3, 0), Water);
  EXPECT_EQ(t.at(0, 5), Forest);
  EXPECT_EQ(t.at(0, 0), Forest);
}

TEST_F(SetType, ShoreFarmOnASteepSlopeReturnsToWater) {
  bandType(1, Farm);
  beside(5, 5, 1, 0, 100);    // 3.8 %: a gentle shore stays farmland
  beside(5, 10, 1, 0, 1000);  // 37.9 %: steep
  const CellGrid t = run();
  EXPECT_EQ(t.at(5, 5), Farm);
  EXPECT_EQ(t.at(5, 10), Water);
  EXPECT_EQ(h.random.state(), RandomSource::kStartState);
}

TEST_F(SetType, AGradeEqualToTheLimitIsNotSteep) {
  bandType(1, Farm);
  h.params.setText("MaxFarmGrade", "50");
  beside(4, 4, 1, 0, 1320);  // exactly 50 %
  beside(4, 8, 1, 0, 1321);
  beside(4, 12, 1, 0, 1);  // shore; the steep neighbour lies below
  beside(4, 12, -1, -1, -1400);
  const CellGrid t = run();
  EXPECT_EQ(t.at(4, 4), Farm);
  EXPECT_EQ(t.at(4, 8), Water);
  EXPECT_EQ(t.at(4, 12), Water);

  h.params.setText("MaxFarmGrade", "none");  // no number: every rise is steep
  EXPECT_EQ(run().at(4, 4), Water);
}

TEST_F(SetType, CliffsBeyondTheSixteenBitRangeKeepTheirTrueGrade) {
  bandType(4, Rock);
  bandType(5, Farm);
  bandType(6, Forest);
  // 33,218 feet down: 1258 %, where a difference wrapped to 16 bits would give 1224 %.
  h.params.setText("MaxFarmGrade", "1240");
  cell(6, 6, 450);
  beside(6, 6, -1, 0, -32768);
  EXPECT_EQ(run().at(6, 6), Rock);  // steep; upper half of the band with a first draw of .706
}

TEST_F(SetType, FarmsAboveBandSeventeenAreNeverChanged) {
  for (int b = 18; b <= 22; ++b) {
    bandType(b, Farm);
    cell(7, 2 * b, static_cast<std::int16_t>(100 * b - 50));
    beside(7, 2 * b, 1, 0, static_cast<std::int16_t>(100 * b + 2000));
  }
  const CellGrid t = run();
  for (int b = 18; b <= 22; ++b) EXPECT_EQ(t.at(7, 2 * b), Farm) << "band " << b;
  EXPECT_EQ(h.random.state(), RandomSource::kStartState);  // no draw
}

// Band 5 (400..500 feet) is farmland between rock below and forest above; a steep farm
// cell draws once: in the lower half of the band it goes up when the draw is above 0.2,
// in the upper half above 0.8, and otherwise down.
TEST_F(SetType, SteepFarmsInTheMiddleBandsDrawOnceEachInRowOrder) {
  bandType(4, Rock);
  bandType(5, Farm);
  bandType(6, Forest);
  bandType(18, Farm);
  h.params.setText("MaxFarmGrade", "20");
  // The first nine draws after start-up: .706 .533 .580 .290 .302 .775 .014 .761 .814
  const std::int16_t samples[9] = {410, 490, 460, 420, 449, 499, 449, 451, 450};
  const Type expected[9] = {Forest, Rock, Rock, Forest, Forest, Rock, Rock, Rock, Forest};
  for (int i = 0; i < 9; ++i) {
    const int tr = 1 + i / 4, tc = 2 + 4 * (i % 4);
    cell(tr, tc, samples[i]);
    beside(tr, tc, 1, 1, 2000);
    cell(tr, tc + 2, 430);  // 16 % above the sea-level ground around it: gentle, no draw
  }
  cell(9, 9, 1750);  // steep farm in band 18: no draw
  beside(9, 9, 0, 1, 5000);
  const CellGrid t = run();
  for (int i = 0; i < 9; ++i) {
    const int tr = 1 + i / 4, tc = 2 + 4 * (i % 4);
    EXPECT_EQ(t.at(tr, tc), expected[i]) << "steep farm cell " << i;
    EXPECT_EQ(t.at(tr, tc + 2), Farm);
  }
  EXPECT_EQ(t.at(9, 9), Farm);
  RandomSource nineDraws;
  for (int i = 0; i < 9; ++i) nineDraws.next();
  EXPECT_EQ(h.random.state(), nineDraws.state());
}

TEST_F(SetType, RunsFromAFreshStartAgreeAndALaterRunDiffersOnlyAtSteepMiddleFarms) {
  for (int b : {1, 3, 5, 9, 16, 17, 19, 23}) bandType(b, Farm);
  for (int r = 0; r < kElevSize; ++r)
    for (int c = 0; c < kElevSize; ++c)
      elev.set(r, c, static_cast<std::int16_t>((r * 7919 + c * 104729 + r * c * 31) % 2500 - 100));
  const CellGrid first = run();

  TempFolder otherTemp;
  Harness other(otherTemp.terrain("Europe"));
  for (const std::string& name : h.params.names()) other.params.setFromText(name, h.params.valueText(name));
  testing::writeBytes(other.cx.folder / "Europe.elv", elev.bytes());
  ASSERT_EQ(Command1_Click(other.cx), Outcome::Completed);
  EXPECT_EQ(testing::readBytes(other.cx.folder / "Europe.typ"), first.bytes());

  const CellGrid second = run();
  int differing = 0;
  for (int tr = 0; tr < kTypeSize; ++tr)
    for (int tc = 0; tc < kTypeSize; ++tc) {
      if (first.at(tr, tc) == second.at(tr, tc)) continue;
      ++differing;
      const int e = elev.at(2 * tr, 2 * tc);
      const int band = e == 0 ? 0 : e < 100 ? 1 : std::min(23, e / 100 + 1);
      ASSERT_TRUE(band >= 2 && band <= 17 && h.params.choice("Combo" + std::to_string(band + 1)) == Farm)
          << "cell " << tr << "," << tc << " band " << band;
    }
  EXPECT_GT(differing, 100);
}

TEST_F(SetType, ABandWithoutATypeIsRefusedAndNothingIsWritten) {
  const std::vector<std::uint8_t> old(kTypeBytes, 7);
  testing::writeBytes(typeFile(), old);
  writeElevation(elev);
  bandType(7, -1);
  h.params.setText("Text10", " 3852");
  EXPECT_EQ(Command1_Click(h.cx), Outcome::EndedEarly);
  ASSERT_EQ(h.host.messages.size(), 1u);
  // The box is named as the user sees it, by the threshold beside it, and takes the focus.
  EXPECT_EQ(h.host.messages[0].text.substr(0, h.host.messages[0].text.find('\r')),
            "Band 7 has no terrain type: the type beside 3852 ft is not one of the seven types.");
  EXPECT_EQ(h.host.focus, std::vector<std::string>{"Combo8"});
  EXPECT_EQ(h.host.messages[0].icon, Icon::Critical);
  EXPECT_EQ(testing::readBytes(typeFile()), old);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 2);  // no temporary file left
}

TEST_F(SetType, OpenFailuresLeaveTheTypeGridAsItWas) {
  Harness noFolder("");
  EXPECT_EQ(Command1_Click(noFolder.cx), Outcome::EndedEarly);
  EXPECT_EQ(noFolder.host.onlyMessage(), "Please select a terrain folder.");
  EXPECT_EQ(noFolder.host.progressOf(ProgressBar::Bar1), std::vector<int>{0});

  const std::vector<std::uint8_t> old(100, 9);
  testing::writeBytes(typeFile(), old);
  EXPECT_EQ(Command1_Click(h.cx), Outcome::EndedEarly);
  // The message names no file but the advice names the whole path, so the user sees where it looked.
  EXPECT_EQ(h.host.onlyMessage(), "Can't open the Elevation File:\r" + testing::systemText(ENOENT) +
                                      "\r\nPress Set Elevation first: it writes " + file(suffix::kElevation).string() +
                                      ".");
  EXPECT_EQ(h.host.messages[0].icon, Icon::Critical);
  EXPECT_EQ(testing::readBytes(typeFile()), old);

  h.host.messages.clear();
  writeElevation(elev);
  std::filesystem::remove(typeFile());
  std::filesystem::create_directory(typeFile());
  EXPECT_EQ(Command1_Click(h.cx), Outcome::EndedEarly);
  EXPECT_EQ(h.host.onlyMessage(), "Can't open the Type File:\r" + testing::systemText(EISDIR));
}

TEST_F(SetType, WritesExactlyTheGridAndReportsEachRow) {
  testing::writeBytes(typeFile(), std::vector<std::uint8_t>(kTypeBytes + 5000, 9));
  testing::writeBytes(folder / "Europe.elv", std::vector<std::uint8_t>(10, 0));  // a short grid reads as sea level
  ASSERT_EQ(Command1_Click(h.cx), Outcome::Completed);
  const auto written = testing::readBytes(typeFile());
  EXPECT_EQ(written, std::vector<std::uint8_t>(kTypeBytes, Water));
  const auto progress = h.host.progressOf(ProgressBar::Bar1);
  ASSERT_EQ(progress.size(), 513u);
  EXPECT_EQ(progress[0], 0);
  EXPECT_EQ(progress[1], 0);
  EXPECT_EQ(progress[6], 0);
  EXPECT_EQ(progress[7], 1);  // row 6: 600 / 512
  EXPECT_EQ(progress[512], 99);
}

TEST_F(SetType, BatchCommandWritesTheTypeGrid) {
  cell(100, 100, 5000);
  writeElevation(elev);
  std::ostringstream out, err;
  const int status = runBatch({"--config", (tmp.path() / "none.cfg").string(), folder.string(), "set-type"}, out, err);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(out.str(), "Done\n");
  EXPECT_EQ(err.str(), "");
  const CellGrid t(GridFile(testing::readBytes(typeFile()), kTypeBytes));
  EXPECT_EQ(t.at(100, 100), Forest);  // the laid-out band 13
  EXPECT_EQ(t.at(0, 0), Water);
}

// Band k holds the samples 100 (k - 1) to 100 k - 1; bands 2 to 7 are given each type, so
// that every land cover entry meets every band type.
TEST_F(SetType, LandCoverTypesTheCellsAboveTheSeaAndTheBandsFillInWhereItSaysNothing) {
  const Type bandTypes[7] = {Grass, GrassyRock, Farm, Rock, Forest, Snow, Water};
  for (int k = 1; k <= 7; ++k) bandType(k, bandTypes[k - 1]);
  h.params.setText("MaxFarmGrade", "100");  // no farm on these gentle slopes gives way
  struct Case {
    std::uint8_t entry;
    Type expected[7];  // in bands 1 to 7
  };
  const std::vector<Case> cases = {
      {kNoLandCover, {Grass, GrassyRock, Farm, Rock, Forest, Snow, Water}},
      {kCoverOpen, {Grass, GrassyRock, Grass, Rock, Grass, Snow, Grass}},
      {kCoverBare, {GrassyRock, GrassyRock, GrassyRock, Rock, GrassyRock, Snow, GrassyRock}},
      {kCoverWater, {Water, Water, Water, Water, Water, Water, Water}},
      {Farm, {Farm, Farm, Farm, Farm, Farm, Farm, Farm}},
      {Snow, {Snow, Snow, Snow, Snow, Snow, Snow, Snow}},
  };
  for (std::size_t i = 0; i < cases.size(); ++i)
    for (int k = 1; k <= 7; ++k) {
      const int tr = 10 + 2 * static_cast<int>(i), tc = 10 + 2 * k;
      cell(tr, tc, static_cast<std::int16_t>(100 * k - 50));
      coverCell(tr, tc, cases[i].entry);
    }
  const CellGrid t = run();
  for (std::size_t i = 0; i < cases.size(); ++i)
    for (int k = 1; k <= 7; ++k)
      EXPECT_EQ(t.at(10 + 2 * static_cast<int>(i), 10 + 2 * k), cases[i].expected[k - 1])
          << "entry " << int(cases[i].entry) << " in band " << k;
}

// The coast follows the elevation: land cover says nothing at sea level, and its water
// above it is a lake the shore rule leaves alone.
TEST_F(SetType, TheSeaBandKeepsItsRulesAndLandCoverWaterKeepsItsLakes) {
  bandType(1, Farm);
  cell(5, 5, 0);  // sea beside land: the shore rule, whatever land cover says
  beside(5, 5, 1, 0, 40);
  coverCell(5, 5, Forest);
  cell(5, 9, 0);  // open sea under land cover land
  coverCell(5, 9, Rock);
  cell(5, 13, 60);  // a lake above the sea beside higher ground
  beside(5, 13, 0, 1, 300);
  coverCell(5, 13, kCoverWater);
  bandType(3, Water);  // band water beside land without land cover: the shore rule as ever
  cell(5, 17, 250);
  beside(5, 17, 1, 1, 300);
  coverCell(5, 17, kNoLandCover);
  h.params.setText("MaxFarmGrade", "100");
  const CellGrid t = run();
  EXPECT_EQ(t.at(5, 5), Farm);
  EXPECT_EQ(t.at(5, 9), Water);
  EXPECT_EQ(t.at(5, 13), Water);
  EXPECT_EQ(t.at(5, 17), Farm);
}

// Farm from land cover meets the farm slope rule exactly as farm from the bands: the same
// types and the same draws from the random source, over a field of every slope.
TEST_F(SetType, FarmFromLandCoverGivesWayOnSlopesAsFarmFromTheBands) {
  const int farmBands[4] = {5, 9, 16, 19};
  auto isFarmBand = [&](int e) {
    const int band = e == 0 ? 0 : e < 100 ? 1 : std::min(23, e / 100 + 1);
    return std::find(std::begin(farmBands), std::end(farmBands), band) != std::end(farmBands);
  };
  bandType(4, Rock);
  bandType(6, Forest);
  for (int r = 0; r < kElevSize; ++r)
    for (int c = 0; c < kElevSize; ++c)
      elev.set(r, c, static_cast<std::int16_t>((r * 7919 + c * 104729 + r * c * 31) % 2500 - 100));

  TempFolder otherTemp;
  Harness fromBands(otherTemp.terrain("Europe"));
  for (const std::string& name : h.params.names()) fromBands.params.setFromText(name, h.params.valueText(name));
  for (int b : farmBands) fromBands.params.setChoice("Combo" + std::to_string(b + 1), Farm);
  testing::writeBytes(fromBands.cx.folder / "Europe.elv", elev.bytes());
  ASSERT_EQ(Command1_Click(fromBands.cx), Outcome::Completed);

  for (int tr = 0; tr < kTypeSize; ++tr)
    for (int tc = 0; tc < kTypeSize; ++tc)
      if (isFarmBand(elev.at(2 * tr, 2 * tc))) coverCell(tr, tc, Farm);
  const CellGrid fromCover = run();
  EXPECT_EQ(testing::readBytes(fromBands.cx.folder / "Europe.typ"), fromCover.bytes());
  EXPECT_EQ(h.random.state(), fromBands.random.state());
  EXPECT_NE(h.random.state(), RandomSource().state());
}

TEST_F(SetType, ACoverBitmapOfAnotherShapeIsRefusedAndTheTypeGridKept) {
  const std::vector<std::uint8_t> old(kTypeBytes, 4);
  testing::writeBytes(typeFile(), old);
  writeElevation(elev);
  auto bytes =
      coverBitmapFile(std::span<const std::uint8_t, kCoverPixelCount>(std::vector<std::uint8_t>(kCoverPixelCount)));
  bytes[28] = 24;
  testing::writeBytes(file(suffix::kCover), bytes);
  h.params.setSwitch("UseCover", 1);
  EXPECT_EQ(Command1_Click(h.cx), Outcome::EndedEarly);
  EXPECT_EQ(h.host.onlyMessage(), "The Land Cover File can't be used:\r\n" + file(suffix::kCover).string() +
                                      "\r\nIt is not a 512 x 512 8-bit palette bitmap (it is 512 x 512, 24-bit).\r\n"
                                      "The Type File was left unchanged; turn off \"Use land cover\" to type from the "
                                      "altitude bands alone.");
  EXPECT_EQ(testing::readBytes(typeFile()), old);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 3);  // no temporary file left

  // Turned off, the layer is not read at all.
  h.host.messages.clear();
  h.params.setSwitch("UseCover", 0);
  EXPECT_EQ(Command1_Click(h.cx), Outcome::Completed);
}

// The switch follows the folder; the batch program turns the layer off for one run with --set.
TEST_F(SetType, TheSwitchIsOnWhereTheFolderHasTheLayerAndOffForOneRun) {
  Dir1_Change(h.params, folder);
  EXPECT_EQ(h.params.switchValue("UseCover"), 0);
  cell(100, 100, 5000);
  coverCell(100, 100, Snow);
  writeElevation(elev);
  writeCover(cover);
  Dir1_Change(h.params, folder);
  EXPECT_EQ(h.params.switchValue("UseCover"), 1);

  const std::string cfg = (tmp.path() / "none.cfg").string();
  for (const auto& [sets, expected] :
       std::vector<std::pair<std::vector<std::string>, Type>>{{{}, Snow}, {{"--set", "UseCover=0"}, Forest}}) {
    std::vector<std::string> args = {"--config", cfg};
    args.insert(args.end(), sets.begin(), sets.end());
    args.insert(args.end(), {folder.string(), "set-type"});
    std::ostringstream out, err;
    EXPECT_EQ(runBatch(args, out, err), 0) << err.str();
    EXPECT_EQ(readTypes().at(100, 100), expected) << ::testing::PrintToString(sets);
  }
}

// On the demo terrain, a layer without land cover and a layer turned off both leave Set
// Type's bytes exactly as they are without the file.
TEST(SetTypeDemo, WithoutLandCoverTheTypeGridIsByteForByteTheSame) {
  TempFolder tmp;
  ASSERT_FALSE(demo::writeDemoTerrain(tmp.path()));
  const auto folder = tmp.path() / "Demo";
  const std::string cfg = (tmp.path() / "quarnby.cfg").string();
  auto typesAfter = [&](std::vector<std::string> args) {
    args.insert(args.begin(), {"--config", cfg});
    std::ostringstream out, err;
    EXPECT_EQ(runBatch(args, out, err), 0) << err.str();
    return testing::readBytes(folder / "Demo.typ");
  };
  auto writeLayer = [&](std::uint8_t entry) {
    const std::vector<std::uint8_t> cells(kCoverPixelCount, entry);
    testing::writeBytes(folder / "Demo_cover.bmp",
                        coverBitmapFile(std::span<const std::uint8_t, kCoverPixelCount>(cells)));
  };
  const auto today = typesAfter({folder.string(), "find-units-terragen", "set-elevation-terragen", "set-type"});
  writeLayer(kNoLandCover);
  EXPECT_EQ(typesAfter({folder.string(), "set-type"}), today);
  writeLayer(Forest);
  EXPECT_EQ(typesAfter({"--set", "UseCover=0", folder.string(), "set-type"}), today);
  EXPECT_NE(typesAfter({folder.string(), "set-type"}), today);
}

}  // namespace
}  // namespace quarnby
