#include "sites/modify_terrain.h"

#include <gtest/gtest.h>
#include <cerrno>
#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

#include <sstream>

#include "batch/batch.h"
#include "support/file_size_limit.h"
#include "support/system_texts.h"
#include "support/terrain_fixture.h"
#include "terrain/grids.h"
#include "terrain/terrain_folder.h"

namespace quarnby {
namespace {

using testing::readBytes;
using testing::writeBytes;

// One object record at a sample of the grid: X and Z are the sample's world position.
std::string record(std::string_view code, std::string_view site, int row, int col, std::string_view rotation = "0") {
  std::ostringstream line;
  line << "001" << code << "," << site << "," << (col - 512) * 2640 << ",55," << (row - 512) * 2640 << ",0,0,"
       << rotation << ",1,1,1\r\n";
  return line.str();
}

ElevationGrid flatGrid(std::int16_t height) {
  ElevationGrid grid;
  for (int r = 0; r < kElevSize; ++r)
    for (int c = 0; c < kElevSize; ++c) grid.set(r, c, height);
  return grid;
}

CellGrid filledCells(std::uint8_t value) {
  CellGrid grid;
  std::fill(grid.bytes().begin(), grid.bytes().end(), value);
  return grid;
}

// The file's identity on its volume: the same after a rewrite in place, new after a replace.
#ifdef _WIN32
std::uint64_t inodeOf(const std::filesystem::path& file) {
  const HANDLE h = ::CreateFileW(file.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
  BY_HANDLE_FILE_INFORMATION info{};
  ::GetFileInformationByHandle(h, &info);
  ::CloseHandle(h);
  return (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
}
#else
ino_t inodeOf(const std::filesystem::path& file) {
  struct stat st {};
  ::stat(file.c_str(), &st);
  return st.st_ino;
}
#endif

class ModifyTerrain : public testing::TerrainFixture {
 protected:
  void SetUp() override {
    setOptions(0, 0, 0, 0);
    h.params.setChoice("Combo25", 1);
    h.params.setChoice("Combo26", 1);
  }
  void setOptions(int level, int typing, int paths, int clearing) {
    h.params.setSwitch("LevelTerr", level);
    h.params.setSwitch("Check1", typing);
    h.params.setSwitch("Check2", paths);
    h.params.setSwitch("Check3", clearing);
  }
  void writeTerrain(const ElevationGrid& elev, const CellGrid& types, const CellGrid& subTypes) {
    writeElevation(elev);
    writeTypes(types);
    writeSubTypes(subTypes);
  }
  Outcome run() { return Command2_Click(h.cx); }
  std::string lastMessage() const { return h.host.messages.empty() ? "" : h.host.messages.back().text; }
};

TEST_F(ModifyTerrain, WithEveryOptionOffItOnlyCountsTheRecords) {
  writeElevation(flatGrid(300));
  writeObjects("Objects,3\r\n" + record("HQT", "HQ", 512, 512) + "HQT,x,1,2,3,4,5,6\r\n" + "junk,001TWN,1,2,3\r\n" +
               record("CIT", "Paris", 600, 600, "-1") + record("RDF", "LAFLD0", 100, 100) +
               record("RDF", "LAFLD0", 0, 0));  // no type or sub-type file: neither is opened
  const auto inode = inodeOf(file(suffix::kElevation));
  EXPECT_EQ(run(), Outcome::Completed);
  ASSERT_EQ(h.host.messages.size(), 1u);
  EXPECT_EQ(h.host.messages[0].text, "Done.\r\nProcessed 4 objects.");
  EXPECT_EQ(h.host.messages[0].icon, Icon::Information);
  EXPECT_EQ(h.host.messages[0].title, "");
  EXPECT_EQ(inodeOf(file(suffix::kElevation)), inode);  // not rewritten
  EXPECT_EQ(readBytes(file(suffix::kElevation)), flatGrid(300).bytes());
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 2);
}

TEST_F(ModifyTerrain, LevelsTheBlockAndBlendsTheRing) {
  ElevationGrid elev = flatGrid(100);
  elev.set(512, 512, 7);    // the centre does not count towards the level
  elev.set(513, 511, 104);  // north-west: L = Int(804 / 8 + 0.5) = 101
  elev.set(510, 510, 90);   // ring: Int(191 / 2) = 95
  elev.set(509, 512, 77);   // three samples out: untouched
  elev.set(202, 200, -5);   // ring of an object at (200, 200) on sea level: Int(-5 / 2) = -3
  for (int r = 699; r <= 701; ++r)
    for (int c = 699; c <= 701; ++c) elev.set(r, c, 30000);
  elev.set(698, 700, 30001);  // the exact mean, not a 16-bit wrap: Int(60001 / 2) = 30000
  for (int r = 199; r <= 201; ++r)
    for (int c = 199; c <= 201; ++c) elev.set(r, c, 0);
  writeElevation(elev);
  writeObjects(record("HQT", "HQ", 512, 512) + record("GMS", "x", 200, 200) + record("AAF", "x", 700, 700));
  setOptions(1, 0, 0, 0);
  ASSERT_EQ(run(), Outcome::Completed);
  EXPECT_EQ(lastMessage(), "Done.\r\nProcessed 3 objects.");

  ElevationGrid expected = elev;
  for (int r = 511; r <= 513; ++r)
    for (int c = 511; c <= 513; ++c) expected.set(r, c, 101);
  expected.set(510, 510, 95);
  for (int r = 510; r <= 514; ++r)
    for (int c = 510; c <= 514; ++c)
      if (expected.at(r, c) == 100) expected.set(r, c, 100);  // Int(201 / 2)
  expected.set(202, 200, -3);
  for (int r = 198; r <= 202; ++r)
    for (int c = 198; c <= 202; ++c)
      if (expected.at(r, c) == 100) expected.set(r, c, 50);
  expected.set(698, 700, 30000);
  for (int r = 698; r <= 702; ++r)
    for (int c = 698; c <= 702; ++c)
      if (expected.at(r, c) == 100) expected.set(r, c, 15050);
  EXPECT_EQ(readElevation().bytes(), expected.bytes());
}

TEST_F(ModifyTerrain, TypesTheCellUnderEachObjectAndPortsAsWater) {
  writeTerrain(flatGrid(10), filledCells(1), filledCells(7));
  writeObjects(record("TWN", "PORT0", 200, 201) + record("TWN", "PORT01", 300, 301) + record("HQT", "x", 401, 400));
  setOptions(0, 1, 0, 0);
  h.params.setChoice("Combo25", 3);
  ASSERT_EQ(run(), Outcome::Completed);
  CellGrid types = filledCells(1);
  CellGrid subTypes = filledCells(7);
  types.set(100, 100, 0);
  types.set(150, 150, 3);
  types.set(200, 200, 3);
  for (int cell : {100, 150, 200}) subTypes.set(cell, cell, 0);
  EXPECT_EQ(readTypes().bytes(), types.bytes());
  EXPECT_EQ(readSubTypes().bytes(), subTypes.bytes());
  EXPECT_EQ(readBytes(file(suffix::kElevation)), flatGrid(10).bytes());
}

TEST_F(ModifyTerrain, CitiesTurnedSlightlyWestwardsMoveOneColumnEast) {
  writeTerrain(flatGrid(10), filledCells(1), filledCells(7));
  // Column 513 lies in cell 256; one column east is cell 257.
  writeObjects(record("CIT", "a", 100, 513, "-1.5") + record("CIT", "b", 200, 513, "0") +
               record("CIT", "c", 300, 513, "-3") + record("TWN", "d", 400, 513, "-1.5") +
               record("CIT", "e", 500, 513, "-2.99"));
  setOptions(0, 1, 0, 0);
  h.params.setChoice("Combo25", 4);
  ASSERT_EQ(run(), Outcome::Completed);
  const CellGrid types = readTypes();
  EXPECT_EQ(types.at(50, 257), 4);
  EXPECT_EQ(types.at(100, 256), 4);
  EXPECT_EQ(types.at(150, 256), 4);
  EXPECT_EQ(types.at(200, 256), 4);
  EXPECT_EQ(types.at(250, 257), 4);
  EXPECT_EQ(types.at(50, 256) + types.at(100, 257) + types.at(150, 257) + types.at(200, 257), 4);
}

TEST_F(ModifyTerrain, TheSiteNameAloneMakesAnAirfield) {
  ElevationGrid elev = flatGrid(3000);
  for (int row : {200, 400, 600})
    for (int r = row - 1; r <= row + 1; ++r)
      for (int c = 199; c <= 201; ++c) elev.set(r, c, 0);  // L = 0 around each object
  writeElevation(elev);
  writeObjects(record("HQT", "LAFLD0", 200, 200) + record("TWN", "MAFLD0", 400, 200) +
               record("HQT", "LAFLD", 600, 200));
  setOptions(0, 0, 1, 0);
  ASSERT_EQ(run(), Outcome::Completed);
  const ElevationGrid after = readElevation();
  EXPECT_EQ(after.at(200, 202), 27);    // LAFLD0, east-west: east path, first step
  EXPECT_EQ(after.at(202, 202), 27);    // and north-east
  EXPECT_EQ(after.at(202, 200), 3000);  // no north path on this axis
  EXPECT_EQ(after.at(400, 202), 32);    // MAFLD0 climbs at 32
  EXPECT_EQ(after.at(400, 211), 804);
  for (int c = 202; c <= 212; ++c) EXPECT_EQ(after.at(600, c), 3000);  // not an airfield
}

TEST_F(ModifyTerrain, ForestIsClearedBeyondTheEndsOfTheDeparturePaths) {
  writeTerrain(flatGrid(3000), filledCells(5), filledCells(7));
  // SAFLD0 on an east-west axis: runway ends to the north-east and south-west.
  writeObjects(record("AAF", "SAFLD0", 512, 512, "3.5"));
  setOptions(0, 0, 1, 1);
  h.params.setChoice("Combo26", 1);
  ASSERT_EQ(run(), Outcome::Completed);
  CellGrid expected = filledCells(5);
  expected.set(262, 262, 1);  // sample (524, 524), twelve steps out
  expected.set(250, 250, 1);  // sample (500, 500)
  EXPECT_EQ(readTypes().bytes(), expected.bytes());
  EXPECT_EQ(readSubTypes().bytes(), filledCells(7).bytes());               // not opened without Check1
  EXPECT_EQ(readBytes(file(suffix::kElevation)), flatGrid(3000).bytes());  // all below the climb surface

  // Without departure paths the clearing lies two steps out; north-south axis now.
  writeTerrain(flatGrid(3000), filledCells(5), filledCells(7));
  writeObjects(record("AAF", "SAFLD1", 512, 512, "2"));
  setOptions(0, 0, 0, 1);
  ASSERT_EQ(run(), Outcome::Completed);
  expected = filledCells(5);
  expected.set(255, 257, 1);  // south-east: sample (510, 514)
  expected.set(257, 255, 1);  // north-west: sample (514, 510)
  EXPECT_EQ(readTypes().bytes(), expected.bytes());
  EXPECT_EQ(readBytes(file(suffix::kElevation)), flatGrid(3000).bytes());
}

TEST_F(ModifyTerrain, ObjectsAtOrBeyondTheEdgeChangeNothing) {
  const ElevationGrid elev = flatGrid(3000);
  writeTerrain(elev, filledCells(5), filledCells(7));
  std::string objects;
  for (int edge : {0, 1, 1022, 1023, -40, 2000}) {
    objects += record("AAF", "LAFLD0", edge, 500);
    objects += record("AAF", "LAFLD0", 500, edge);
  }
  objects += "001HQT,x,abc,0,0,0,0,0\r\n001HQT,x,0,0,,0,0,0\r\n001HQT,x,0,0,0,0,0,\r\n001HQT,x,1e400,0,0,0,0,0\r\n";
  writeObjects(objects);
  setOptions(1, 1, 1, 1);
  ASSERT_EQ(run(), Outcome::Completed);
  EXPECT_EQ(lastMessage(), "Done.\r\nProcessed 16 objects.");
  EXPECT_EQ(readBytes(file(suffix::kElevation)), elev.bytes());
  EXPECT_EQ(readBytes(file(suffix::kType)), filledCells(5).bytes());
}

TEST_F(ModifyTerrain, PathsNearTheEdgeNeverReachTheFarSideOfTheGrid) {
  // Paths run off the east, west, north and south edges and corners; forest clearing
  // follows them. Each object stands on a low block, so every path cuts into the terrain.
  struct Site {
    const char* name;
    int row, col;
    const char* rotation;
  };
  const Site sites[] = {{"MAFLD0", 500, 1016, "0"}, {"MAFLD0", 300, 7, "0"},     {"MAFLD0", 1016, 300, "1"},
                        {"MAFLD0", 7, 600, "1"},    {"SAFLD0", 1021, 1021, "0"}, {"SAFLD0", 2, 2, "0"}};
  ElevationGrid elev = flatGrid(3000);
  std::string objects;
  for (const Site& s : sites) {
    for (int r = s.row - 1; r <= s.row + 1; ++r)
      for (int c = s.col - 1; c <= s.col + 1; ++c) elev.set(r, c, 0);
    objects += record("AAF", s.name, s.row, s.col, s.rotation);
  }
  std::vector<std::uint8_t> withTail = elev.bytes();
  withTail.insert(withTail.end(), {'T', 'A', 'I', 'L'});
  writeBytes(file(suffix::kElevation), withTail);
  writeTypes(filledCells(5));
  writeObjects(objects);
  setOptions(1, 0, 1, 1);
  ASSERT_EQ(run(), Outcome::Completed);

  const auto bytes = readBytes(file(suffix::kElevation));
  ASSERT_EQ(bytes.size(), kElevBytes + 4);
  EXPECT_EQ(std::string(bytes.end() - 4, bytes.end()), "TAIL");
  const ElevationGrid after(GridFile(bytes, kElevBytes));
  for (int r = 0; r < kElevSize; ++r)
    for (int c = 0; c < kElevSize; ++c) {
      const bool nearASite = (std::abs(r - 500) <= 12 && c >= 1004) || (std::abs(r - 300) <= 12 && c <= 19) ||
                             (std::abs(c - 300) <= 12 && r >= 1004) || (std::abs(c - 600) <= 12 && r <= 19) ||
                             (r >= 1009 && c >= 1009) || (r <= 14 && c <= 14);
      if (!nearASite) {
        ASSERT_EQ(after.at(r, c), 3000) << r << "," << c;
      }
    }
  EXPECT_EQ(after.at(500, 1023), 393);    // the east path did run to the edge
  EXPECT_EQ(after.at(0, 0), 36);          // blended, then capped by the south-west path's first step
  EXPECT_EQ(after.at(1023, 1023), 1500);  // the corner sample is blended, never capped

  // Ten clearings land on the grid: two for each object but the corner airfields' one.
  const CellGrid types = readTypes();
  EXPECT_EQ(std::count(types.bytes().begin(), types.bytes().end(), 1), 10);
  EXPECT_EQ(types.at(7, 7), 1);      // sample (14, 14), beyond the north-east path from (2, 2)
  EXPECT_EQ(types.at(504, 504), 1);  // sample (1009, 1009)
  EXPECT_EQ(types.at(250, 502), 1);  // sample (500, 1004), beyond the west path
}

TEST_F(ModifyTerrain, OpenFailuresNameTheFileAndChangeNothing) {
  const auto elvPath = file(suffix::kElevation).string();
  EXPECT_EQ(run(), Outcome::EndedEarly);
  EXPECT_EQ(lastMessage(), "Can't open the Elevation File:\r\n" + elvPath + "\r\n" + testing::systemText(ENOENT) +
                               "\r\nPress Set Elevation first: it writes Europe.elv.");
  EXPECT_EQ(h.host.messages.back().icon, Icon::Critical);
  EXPECT_EQ(h.host.messages.back().title, "");

  writeElevation(flatGrid(5));
  setOptions(1, 0, 1, 1);  // clearing needs the type grid
  EXPECT_EQ(run(), Outcome::EndedEarly);
  EXPECT_EQ(lastMessage(), "Can't open the Type File:\r\n" + file(suffix::kType).string() + "\r\n" +
                               testing::systemText(ENOENT) + "\r\nPress Set Type first: it writes Europe.typ.");
  EXPECT_EQ(h.host.messages.back().title, "");

  writeTypes(filledCells(5));
  setOptions(1, 1, 1, 0);  // the object file is opened before the sub-type grid
  EXPECT_EQ(run(), Outcome::EndedEarly);
  EXPECT_EQ(lastMessage(),
            "Can't open the Object File:\r\n" + file(suffix::kObjects).string() + "\r\n" + testing::systemText(ENOENT) +
                "\r\nPut the terrain's object file Europe.oba in the folder: it lists the sites, and no button "
                "writes it.");
  EXPECT_EQ(h.host.messages.back().title, "Opening oFile");

  writeObjects(record("AAF", "LAFLD0", 512, 512));
  EXPECT_EQ(run(), Outcome::EndedEarly);
  EXPECT_EQ(lastMessage(), "Can't open the Tile Sub-Type File:\r\n" + file(suffix::kSubType).string() + "\r\n" +
                               testing::systemText(ENOENT) + "\r\nPress Set Sub-Types first: it writes Europe.SYP.");
  EXPECT_EQ(h.host.messages.back().title, "Opening oFile");
  EXPECT_EQ(readBytes(file(suffix::kElevation)), flatGrid(5).bytes());
  EXPECT_EQ(readBytes(file(suffix::kType)), filledCells(5).bytes());

  h.cx.folder = "/";
  EXPECT_EQ(run(), Outcome::EndedEarly);
  EXPECT_EQ(lastMessage(), "Please select a terrain folder.");
}

TEST_F(ModifyTerrain, AnEmptyTypeChoiceIsRefusedBeforeAnythingIsWritten) {
  writeTerrain(flatGrid(3000), filledCells(5), filledCells(7));
  writeObjects(record("AAF", "LAFLD0", 512, 512));
  setOptions(1, 1, 1, 0);
  h.params.setChoice("Combo25", -1);
  EXPECT_EQ(run(), Outcome::EndedEarly);
  EXPECT_EQ(lastMessage(),
            "The type beside \"Set Terrain Type Under Object to:\" is not one of the seven types.\r\n"
            "Pick a type for it; no file was changed.");
  EXPECT_EQ(h.host.focus.back(), "Combo25");
  EXPECT_EQ(h.host.messages.back().icon, Icon::Critical);
  setOptions(1, 0, 1, 1);
  h.params.setChoice("Combo26", -1);
  EXPECT_EQ(run(), Outcome::EndedEarly);
  EXPECT_EQ(lastMessage(),
            "The type beside \"Clear Forest from EORs using:\" is not one of the seven types.\r\n"
            "Pick a type for it; no file was changed.");
  EXPECT_EQ(h.host.focus.back(), "Combo26");
  EXPECT_EQ(readBytes(file(suffix::kElevation)), flatGrid(3000).bytes());
  EXPECT_EQ(readBytes(file(suffix::kType)), filledCells(5).bytes());
}

TEST_F(ModifyTerrain, AFailedSaveLeavesEveryGridAsItWas) {
#ifdef _WIN32
  GTEST_SKIP() << "no file-size limit (rlimit) on Windows";
#else
  // The sub-type grid carries a long tail, so it is the one file a size limit refuses.
  writeElevation(flatGrid(5));
  writeTypes(filledCells(1));
  std::vector<std::uint8_t> longSubTypes(kElevBytes, 7);
  writeBytes(file(suffix::kSubType), longSubTypes);
  writeObjects(record("HQT", "x", 512, 512));
  setOptions(0, 1, 0, 0);
  h.params.setChoice("Combo25", 3);

  Outcome outcome;
  {
    testing::FileSizeLimit limit(1000000);
    outcome = run();
  }

  EXPECT_EQ(outcome, Outcome::EndedEarly);
  EXPECT_EQ(lastMessage(),
            "Can't write the Tile Sub-Type File:\r\n" + file(suffix::kSubType).string() + "\r\nFile too large");
  EXPECT_EQ(readBytes(file(suffix::kType)), filledCells(1).bytes());
  EXPECT_EQ(readBytes(file(suffix::kSubType)), longSubTypes);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 4);  // no temporary files left
#endif
}

TEST_F(ModifyTerrain, TheBatchProgramRunsItAndPrintsTheCount) {
  writeTerrain(flatGrid(3000), filledCells(5), filledCells(7));
  writeObjects(record("AAF", "LAFLD0", 512, 512) + record("TWN", "x", 300, 300));
  std::ostringstream out, err;
  const std::string config = (tmp.path() / "quarnby.cfg").string();
  const int status = runBatch(
      {"--config", config, folder.string(), "--set", "Check1=1", "--set", "Check3=1", "modify-terrain"}, out, err);
  EXPECT_EQ(status, 0) << err.str();
  EXPECT_EQ(out.str(), "Done.\nProcessed 2 objects.\n");
  EXPECT_EQ(readTypes().at(256, 256), 1);  // typed with the start-up choice, Grass
}

}  // namespace
}  // namespace quarnby
