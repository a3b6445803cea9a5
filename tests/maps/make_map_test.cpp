#include "maps/make_map.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <sstream>

#include "batch/batch.h"
#include "support/system_texts.h"
#include "support/terrain_fixture.h"
#include "terrain/file_io.h"
#include "terrain/grids.h"
#include "terrain/track_file.h"

namespace quarnby {
namespace {

using testing::Harness;

constexpr std::size_t kPixels = 98;  // where the pixel area starts
constexpr std::size_t kImageBytes = 1048676;

std::uint32_t le32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}
std::uint16_t le16(const std::vector<std::uint8_t>& b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

// World feet of a sample's centre.
std::string feet(int index) { return std::to_string((index - 512) * 2640); }

// A track record around the given point lines.
std::string trackRecord(const std::vector<std::string>& points) {
  std::string text =
      "0,Type\r\n0,Flags\r\n-1,ResourceType\r\n0,DestFieldIndex\r\n-1,SourceFieldOrObjectIndex\r\n"
      "5280.000000,SrcRadius\r\n5280.000000,DestRadius\r\nRoad to A01\r\n" +
      std::to_string(points.size()) + ",PntCnt\r\n";
  for (const std::string& p : points) text += p + "\r\n";
  return text;
}
// A point line at sample (row, column).
std::string at(int row, int column) { return feet(column) + ",0," + feet(row); }

class MakeMap : public testing::TerrainFixture {
 protected:
  void writeGrids() {
    writeElevation(elev);
    writeTypes(types);
  }
  std::vector<std::uint8_t> run(const std::string& option, const std::string& suffix) {
    h.params.setOption(option, true);
    writeGrids();
    EXPECT_EQ(Command3_Click(h.cx), Outcome::Completed);
    EXPECT_EQ(h.host.onlyMessage(), "Done");
    h.host.messages.clear();
    auto image = testing::readBytes(file(suffix));
    EXPECT_EQ(image.size(), kImageBytes);
    return image;
  }
  std::vector<std::uint8_t> colourMap() { return run("MapOp1", "_colormap.bmp"); }
  std::vector<std::uint8_t> roadMap(const std::string& tracks) {
    testing::writeText(file(".tra"), tracks);
    return run("MapOp2", "_roadmap.bmp");
  }
  std::vector<std::uint8_t> objectDots(const std::string& objects) {
    testing::writeText(file(".oba"), objects);
    return run("MapOp3", "_objdots.bmp");
  }
  static std::uint8_t pixel(const std::vector<std::uint8_t>& image, int row, int column) {
    return image[kPixels + static_cast<std::size_t>(row) * 1024 + static_cast<std::size_t>(column)];
  }
  // Every pixel set to something other than the background, as (row, column, index).
  static std::vector<std::tuple<int, int, int>> marks(const std::vector<std::uint8_t>& image) {
    std::vector<std::tuple<int, int, int>> found;
    for (std::size_t i = kPixels; i < kPixels + 1048576; ++i)
      if (image[i] != 0)
        found.emplace_back(static_cast<int>((i - kPixels) / 1024), static_cast<int>((i - kPixels) % 1024), image[i]);
    return found;
  }

  ElevationGrid elev;
  CellGrid types;
};

TEST_F(MakeMap, HeaderPaletteAndTrailerOfEveryKind) {
  const auto colour = colourMap();
  const auto road = roadMap("0\r\n");
  const auto dots = objectDots("");
  for (const auto* image : {&colour, &road, &dots}) {
    const auto& b = *image;
    ASSERT_EQ(b.size(), kImageBytes);
    EXPECT_EQ(b[0], 'B');
    EXPECT_EQ(b[1], 'M');
    EXPECT_EQ(le32(b, 2), kImageBytes);
    EXPECT_EQ(le32(b, 6), 0u);
    EXPECT_EQ(le32(b, 10), 98u);
    EXPECT_EQ(le32(b, 14), 40u);
    EXPECT_EQ(le32(b, 18), 1024u);
    EXPECT_EQ(le32(b, 22), 1024u);  // positive: bottom row first
    EXPECT_EQ(le16(b, 26), 1);
    EXPECT_EQ(le16(b, 28), 8);
    EXPECT_EQ(le32(b, 30), 0u);
    EXPECT_EQ(le32(b, 34), 0u);
    EXPECT_EQ(le32(b, 38), 2834u);
    EXPECT_EQ(le32(b, 42), 2834u);
    EXPECT_EQ(le32(b, 46), 11u);
    EXPECT_EQ(le32(b, 50), 11u);
    // Palette entries are blue, green, red, 0.
    const std::vector<std::uint8_t> palette(b.begin() + 58, b.begin() + 98);
    EXPECT_EQ(palette, (std::vector<std::uint8_t>{0xBD, 0xE2, 0xD4, 0,    0xB3, 0xDA, 0xC5, 0,    0xCD, 0xF1,
                                                  0xF7, 0,    0xA3, 0xE4, 0xF1, 0,    0x85, 0xC7, 0xE8, 0,
                                                  0x82, 0xB1, 0xE1, 0,    0x67, 0x9E, 0xD9, 0,    0x63, 0x63,
                                                  0x63, 0,    0x02, 0x02, 0x02, 0,    0,    0,    0,    0}));
    EXPECT_EQ(b[kImageBytes - 2], 0);
    EXPECT_EQ(b[kImageBytes - 1], 0);
  }
  EXPECT_EQ(std::vector<std::uint8_t>(colour.begin() + 54, colour.begin() + 58),
            (std::vector<std::uint8_t>{0xE5, 0xD8, 0xD1, 0}));
  EXPECT_EQ(std::vector<std::uint8_t>(road.begin() + 54, road.begin() + 58),
            (std::vector<std::uint8_t>{0xFF, 0xFF, 0xFF, 0}));
  EXPECT_EQ(std::vector<std::uint8_t>(dots.begin() + 54, dots.begin() + 58),
            (std::vector<std::uint8_t>{0xFF, 0xFF, 0xFF, 0}));
}

TEST_F(MakeMap, SeaLevelIsWaterOrLowLandByTheTypeGrid) {
  EXPECT_TRUE(marks(colourMap()).empty());
  types.bytes().assign(kTypeBytes, 5);
  const auto land = colourMap();
  EXPECT_TRUE(std::all_of(land.begin() + kPixels, land.end() - 2, [](auto b) { return b == 1; }));
}

TEST_F(MakeMap, ColourBandsByStrictlyGreaterTests) {
  const std::pair<std::int16_t, int> cases[] = {{1000, 1},  {1001, 2}, {2000, 2}, {2001, 3},  {3001, 4}, {4500, 4},
                                                {5000, 4},  {5001, 5}, {7000, 5}, {7001, 6},  {9000, 6}, {9001, 7},
                                                {32767, 7}, {1, 1},    {-5, 1},   {-32768, 1}};
  int column = 0;
  for (const auto& [e, index] : cases) elev.set(0, column++, e);
  elev.set(1023, 1023, 4000);  // the top right corner of the picture
  types.set(2, 3, 6);          // land at sea level covers samples (4..5, 6..7)
  const auto image = colourMap();
  column = 0;
  for (const auto& [e, index] : cases) EXPECT_EQ(pixel(image, 0, column++), index) << e;
  EXPECT_EQ(image[kImageBytes - 3], 4);
  EXPECT_EQ(pixel(image, 4, 6), 1);
  EXPECT_EQ(pixel(image, 5, 7), 1);
  EXPECT_EQ(pixel(image, 5, 8), 0);
  EXPECT_EQ(pixel(image, 3, 6), 0);
}

TEST_F(MakeMap, RoadsAlongRowsAndColumnsBothEndsIncluded) {
  const auto image = roadMap("3\r\n" + trackRecord({at(5, 10), at(5, 3)}) +       // eight pixels of row 5
                             trackRecord({at(20, 7), at(24, 7), at(24, 9)}) +     // up column 7, then east
                             trackRecord({at(40, 40), at(41, 41), at(41, 41)}));  // diagonal, then standing still
  std::vector<std::tuple<int, int, int>> expected;
  for (int c = 3; c <= 10; ++c) expected.emplace_back(5, c, 8);
  for (int r = 20; r <= 24; ++r) expected.emplace_back(r, 7, 8);
  expected.emplace_back(24, 8, 8);
  expected.emplace_back(24, 9, 8);
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(marks(image), expected);
}

TEST_F(MakeMap, RoadMapOfATrackFileAsMakeTracksWritesIt) {
  // Road, railway and river points sit on a sample's corner, half a spacing off; the
  // nearest sample with halves going up is then one row north for roads and railways,
  // and one column east for railways.
  const TrackSample road[] = {{100, 200, 50}, {104, 200, 60}, {104, 203, 0}};
  const TrackSample railway[] = {{300, 300, 0}, {300, 302, 0}};
  const TrackSample river[] = {{600, 600, 0}, {598, 600, 0}};
  const TrackSample still[] = {{700, 700, 0}, {700, 700, 0}};
  const auto image = roadMap(trackCountLine(4) + trackRecordText(kRoad, "A01HQT", road) +
                             trackRecordText(kRailway, "G07GMS", railway) + trackRecordText(kRiver, "B02AAF", river) +
                             trackRecordText(kRoad, "C01RDF", still));
  std::vector<std::tuple<int, int, int>> expected;
  for (int c = 100; c <= 104; ++c) expected.emplace_back(201, c, 8);
  for (int r = 202; r <= 204; ++r) expected.emplace_back(r, 104, 8);
  for (int r = 301; r <= 303; ++r) expected.emplace_back(r, 301, 8);
  for (int c = 598; c <= 600; ++c) expected.emplace_back(600, c, 8);
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(marks(image), expected);
}

TEST_F(MakeMap, RoadsOffTheGridAreLeftOutPixelByPixel) {
  std::vector<std::string> long_track;
  for (int i = 0; i < 12; ++i) long_track.push_back(at(600 + 2 * (i / 2), 600 + 2 * ((i + 1) / 2)));  // a staircase
  const auto image =
      roadMap("5\r\n" + trackRecord({at(9, 1020), at(9, 1100)}) + trackRecord({at(11, -30), at(11, 2)}) +
              trackRecord({at(2000, 5), at(2000, 9)}) +
              trackRecord({at(30, 30), "abc,0," + feet(30), at(30, 40), at(30, 45)}) + trackRecord(long_track));
  std::vector<std::tuple<int, int, int>> expected;
  for (int c = 1020; c <= 1023; ++c) expected.emplace_back(9, c, 8);
  for (int c = 0; c <= 2; ++c) expected.emplace_back(11, c, 8);
  for (int c = 40; c <= 45; ++c) expected.emplace_back(30, c, 8);  // only the pair clear of the bad point
  // The staircase runs 600,600 -> 600,602 -> 602,602 -> ... -> 610,610: its last steps
  // lie beyond the tenth point and are drawn too.
  for (int i = 0; i + 1 < 12; ++i) {
    const int r0 = 600 + 2 * (i / 2), c0 = 600 + 2 * ((i + 1) / 2);
    const int r1 = 600 + 2 * ((i + 1) / 2), c1 = 600 + 2 * ((i + 2) / 2);
    for (int r = r0; r <= r1; ++r)
      for (int c = c0; c <= c1; ++c) expected.emplace_back(r, c, 8);
  }
  std::sort(expected.begin(), expected.end());
  expected.erase(std::unique(expected.begin(), expected.end()), expected.end());
  EXPECT_EQ(marks(image), expected);
  EXPECT_EQ(pixel(image, 610, 610), 8);
}

TEST_F(MakeMap, OneDotPerObjectByItsCode) {
  const auto image = objectDots(
      "Objects,12\r\n"
      "A01HQT,\"HQ, north\"," +
      feet(10) + ",500," + feet(20) +
      ",0,0,0\r\n"
      "G07GMS,GUN," +
      feet(11) + ",0," + feet(20) +
      "\r\n"
      "B01TWN,Town," +
      feet(12) + ",0," + feet(20) +
      "\r\n"
      "C01CIT,City," +
      feet(13) + ",0," + feet(20) +
      "\r\n"
      "D01AAF,LAFLD0," +
      feet(14) + ".9,0," + feet(20) +
      ".9,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16\r\n"
      "note,E01BAF,SAFLD0," +
      feet(15) + ",0," + feet(20) +
      "\r\n"  // a code in a later field starts a record
      "HQT,x," +
      feet(16) + ",0," + feet(20) +
      "\r\n"  // the code must be characters 4 to 6
      "F01FUF,Depot,far,0," +
      feet(20) +
      "\r\n"  // no position
      "F02FUF,Depot," +
      feet(17) +
      ",0,north\r\n"
      "H01RDF,Radar,3000000,0," +
      feet(20) +
      "\r\n"  // beyond the grid
      "K01TWN,Town," +
      feet(10) + ",0," + feet(21) +
      "\r\n"
      "K02GMS,Gun," +
      feet(10) + ",0," + feet(21) + "\r\n");  // covers the town before it
  const std::vector<std::tuple<int, int, int>> expected = {{20, 10, 2}, {20, 11, 9}, {20, 12, 7}, {20, 13, 2},
                                                           {20, 14, 2}, {20, 15, 2}, {21, 10, 9}};
  EXPECT_EQ(marks(image), expected);
}

TEST_F(MakeMap, ObjectPositionsAreCutDownBeforeSnapping) {
  // -1320.5 cut to -1321 lies just west of half a spacing: column 511, not 512.
  const auto image = objectDots("A01HQT,HQ,-1320.5,0,1319.9\r\nA02HQT,HQ,1320,0,-1320\r\n");
  EXPECT_EQ(marks(image), (std::vector<std::tuple<int, int, int>>{{512, 511, 2}, {512, 513, 2}}));
}

TEST_F(MakeMap, ProgressFollowsThePixelArea) {
  colourMap();
  const auto progress = h.host.progressOf(ProgressBar::Bar2);
  ASSERT_EQ(progress.size(), 1026u);  // reset, one per row, full
  EXPECT_EQ(progress[0], 0);
  EXPECT_EQ(progress[1], 0);
  EXPECT_EQ(progress[11], 1);  // after row 9: 100 * (99 + 10239) / 1048676
  EXPECT_EQ(progress[10], 0);
  EXPECT_EQ(progress[1024], 99);
  EXPECT_EQ(progress[1025], 100);
}

TEST_F(MakeMap, FailuresNameTheFileAndKeepThePreviousImage) {
  const std::vector<std::uint8_t> old(500, 0x77);
  const auto expectRefused = [&](const std::string& message) {
    h.host.messages.clear();
    EXPECT_EQ(Command3_Click(h.cx), Outcome::EndedEarly);
    EXPECT_EQ(h.host.onlyMessage(), message);
    if (!h.host.messages.empty()) {
      EXPECT_EQ(h.host.messages[0].icon, Icon::Critical);
    }
  };
  const std::string missing = testing::systemText(ENOENT);

  h.params.setOption("MapOp2", true);
  testing::writeBytes(file("_roadmap.bmp"), old);
  expectRefused("Can't open the Elevation File:\r" + file(".elv").string() + "\r" + missing +
                "\r\nPress Set Elevation first: it writes Europe.elv.");
  testing::writeBytes(file(".elv"), elev.bytes());
  expectRefused("Can't open the Type File:\r" + file(".typ").string() + "\r" + missing +
                "\r\nPress Set Type first: it writes Europe.typ.");
  testing::writeBytes(file(".typ"), types.bytes());
  expectRefused("Can't open the Type File:\r" + file(".tra").string() + "\r" + missing +
                "\r\nPress Make Tracks first: it writes Europe.tra.");
  EXPECT_EQ(testing::readBytes(file("_roadmap.bmp")), old);

  h.params.setOption("MapOp3", true);
  expectRefused("Can't open the Type File:\r" + file(".oba").string() + "\r" + missing +
                "\r\nPut the terrain's object file Europe.oba in the folder: it lists the sites, and no button "
                "writes it.");
  EXPECT_FALSE(std::filesystem::exists(file("_objdots.bmp")));

  h.params.setOption("MapOp1", true);
  std::filesystem::create_directory(file("_colormap.bmp"));
  expectRefused("Can't open the map File:\r" + file("_colormap.bmp").string() + "\r" + testing::systemText(EISDIR));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 4);  // no temporary file left

  Harness noFolder("");
  EXPECT_EQ(Command3_Click(noFolder.cx), Outcome::EndedEarly);
  EXPECT_EQ(noFolder.host.onlyMessage(), "Please select a terrain folder.");
}

TEST_F(MakeMap, WithNoOptionChosenTheColourMapIsDrawn) {
  h.params.setOption("MapOp1", false);
  writeGrids();
  ASSERT_EQ(Command3_Click(h.cx), Outcome::Completed);
  EXPECT_EQ(testing::readBytes(file("_colormap.bmp")).size(), kImageBytes);
}

TEST_F(MakeMap, BatchCommandDrawsTheChosenKind) {
  writeGrids();
  testing::writeText(file(".oba"), "A01HQT,HQ,0,0,0\r\n");
  std::ostringstream out, err;
  const int status = runBatch(
      {"--config", (tmp.path() / "none.cfg").string(), "--set", "MapOp3=true", folder.string(), "make-map"}, out, err);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(out.str(), "Done\n");
  const auto image = testing::readBytes(file("_objdots.bmp"));
  ASSERT_EQ(image.size(), kImageBytes);
  EXPECT_EQ(marks(image), (std::vector<std::tuple<int, int, int>>{{512, 512, 2}}));
}

}  // namespace
}  // namespace quarnby
