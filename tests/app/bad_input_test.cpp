// Damaged, missing and foreign input files, grouped by file kind: every operation that
// reads them ends with a clear message or carries on, never crashes, and changes no file
// it should not.
#include <gtest/gtest.h>

#include <map>

#include "app/commands.h"
#include "demo/terragen_builder.h"
#include "support/terrain_fixture.h"

namespace quarnby {
namespace {

struct BadInputTest : testing::TerrainFixture {
  BadInputTest() {
    // A small island with a hill, a type grid of land and water, a plain object file.
    ElevationGrid elevation;
    for (int r = 400; r < 600; ++r)
      for (int c = 400; c < 600; ++c) elevation.set(r, c, static_cast<std::int16_t>(100 + (r - 400) * 10));
    writeElevation(elevation);
    CellGrid types;
    for (int tr = 200; tr < 300; ++tr)
      for (int tc = 200; tc < 300; ++tc) types.set(tr, tc, 5);
    writeTypes(types);
    writeSubTypes(CellGrid());
    writeObjects(
        "A01HQT,HQ0,0,500,0,0,0,0,0,0,0,0,0,0,0,0,0,0\r\n"
        "A2AAAF,LAFLD0,26400,600,26400,0,0,0,0,0,0,0,0,0,0,0,0,0\r\n");
    writeTracks("0\r\n");
  }

  Outcome run(const std::string& command, std::map<std::string, std::string> sets = {}) {
    for (const auto& [control, value] : sets) EXPECT_TRUE(h.params.setFromText(control, value));
    h.host.messages.clear();
    h.host.answers = {true};
    const Command* c = findCommand(command);
    EXPECT_NE(c, nullptr) << command;
    return c ? c->run(h.cx) : Outcome::EndedEarly;
  }
  std::string firstLine() const {
    if (h.host.messages.empty()) return {};
    const std::string& text = h.host.messages.front().text;
    return text.substr(0, text.find_first_of("\r\n"));
  }
};

// Every operation that reads the elevation grid or the type grid.
const std::vector<std::pair<std::string, std::map<std::string, std::string>>> kGridReaders = {
    {"set-type", {}},
    {"set-sub-types", {}},
    {"modify-terrain", {{"Check1", "1"}, {"Check3", "1"}}},
    {"make-tracks", {}},
    {"make-map", {{"MapOp1", "true"}}},
    {"make-map", {{"MapOp2", "true"}}},
    {"make-map", {{"MapOp3", "true"}}},
    {"export-greyscale", {}},
};

TEST_F(BadInputTest, GridFilesThatAreMissingEndTheOperationAndChangeNothing) {
  for (std::string_view grid : {suffix::kElevation, suffix::kType}) {
    const auto saved = testing::readBytes(file(grid));
    std::filesystem::remove(file(grid));
    for (const auto& [command, sets] : kGridReaders) {
      if (grid == suffix::kElevation && command == "set-sub-types") continue;  // reads no elevation
      if (grid == suffix::kType && (command == "set-type" || command == "export-greyscale")) continue;
      const auto before = snapshot();
      EXPECT_EQ(run(command, sets), Outcome::EndedEarly) << command << " without " << grid;
      EXPECT_EQ(firstLine().rfind("Can't open the ", 0), 0u) << command << ": " << firstLine();
      EXPECT_EQ(snapshot(), before) << command;
    }
    testing::writeBytes(file(grid), saved);
  }
}

TEST_F(BadInputTest, GridFilesThatAreEmptyShortOrLongAreReadAsFarAsTheyGo) {
  std::vector<std::uint8_t> longer = testing::readBytes(file(suffix::kElevation));
  const std::string tail = "tail kept";
  longer.insert(longer.end(), tail.begin(), tail.end());
  const std::vector<std::vector<std::uint8_t>> contents = {{}, std::vector<std::uint8_t>(1001, 0x41), longer};
  for (const auto& content : contents) {
    testing::writeBytes(file(suffix::kElevation), content);
    testing::writeBytes(file(suffix::kType), std::vector<std::uint8_t>(content.size() % 5000, 1));
    for (const auto& [command, sets] : kGridReaders) {
      EXPECT_EQ(run(command, sets), Outcome::Completed)
          << command << " on " << content.size() << " bytes: " << firstLine();
      EXPECT_EQ(h.host.messages.back().icon, Icon::Information) << command;
    }
    // A longer elevation grid keeps its tail through Modify Terrain.
    const auto elevation = testing::readBytes(file(suffix::kElevation));
    if (content.size() > kElevBytes) {
      EXPECT_NE(elevation, content);  // the objects' ground was levelled
      EXPECT_EQ(std::string(elevation.end() - static_cast<std::ptrdiff_t>(tail.size()), elevation.end()), tail);
    }
  }
}

TEST_F(BadInputTest, ObjectFilesOfGarbageAreReadWithoutHarm) {
  std::string huge = "A01HQT";
  for (int i = 0; i < 10000; ++i) huge += ",7";
  std::string binary;
  for (int i = 0; i < 4096; ++i) binary += static_cast<char>((i * 7919) & 0xFF);
  const std::vector<std::string> files = {
      binary,
      "A01HQT,\"HQ0,0,0,0,0,0,0 and the quote never ends",
      huge + "\r\n",
      "A01HQT,HQ0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0",  // no final line end
      "A2AAAF,LAFLD0,1e400,0,0,0,0,0\r\nA2BAAF,LAFLD0,nan,0,nan,0,0,0\r\nA2CAAF,LAFLD0,-1e400,0,5,0,0,0\r\n",
  };
  for (const auto& text : files) {
    writeObjects(text);
    for (const auto& [command, sets] : std::vector<std::pair<std::string, std::map<std::string, std::string>>>{
             {"modify-terrain", {{"Check1", "1"}, {"Check3", "1"}}},
             {"make-tracks", {}},
             {"make-map", {{"MapOp3", "true"}}}}) {
      const Outcome outcome = run(command, sets);
      EXPECT_EQ(outcome, Outcome::Completed) << command << ": " << firstLine();
    }
  }
  // Records without a position on the map change no grid.
  const auto before = snapshot();
  writeObjects(files.back());
  run("modify-terrain", {{"Check1", "1"}, {"Check3", "1"}});
  auto after = snapshot();
  after.erase("Europe.oba");
  auto expected = before;
  expected.erase("Europe.oba");
  EXPECT_EQ(after, expected);
}

TEST_F(BadInputTest, ATrackFileWhosePointCountLiesDrawsWhatItHas) {
  writeTracks(
      "5\r\n0,Type\r\n0,Flags\r\n-1,ResourceType\r\n0,DestFieldIndex\r\n-1,SourceFieldOrObjectIndex\r\n"
      "5280.000000,SrcRadius\r\n5280.000000,DestRadius\r\nRoad to A01\r\n99999999,PntCnt\r\n"
      "-1320,0,1320\r\n-1320,0,27720\r\n");
  EXPECT_EQ(run("make-map", {{"MapOp2", "true"}}), Outcome::Completed) << firstLine();
  const auto map = testing::readBytes(file(suffix::kRoadMap));
  ASSERT_EQ(map.size(), 1048676u);
  EXPECT_EQ(map[98 + 1024 * 513 + 512], 8);  // the one segment that is there is drawn
}

TEST_F(BadInputTest, ATerragenFileOfAHundredBytes) {
  // A hundred bytes that are no height field: refused, nothing written.
  std::vector<std::uint8_t> junk(100);
  for (std::size_t i = 0; i < junk.size(); ++i) junk[i] = static_cast<std::uint8_t>(i * 37);
  testing::writeBytes(file(suffix::kTerragen), junk);
  const auto before = snapshot();
  for (const char* command : {"find-units-terragen", "set-elevation-terragen"}) {
    EXPECT_EQ(run(command), Outcome::EndedEarly) << command;
    EXPECT_EQ(firstLine(), "Can't use the Terragen File:") << command;
  }
  EXPECT_EQ(snapshot(), before);

  // A true height field cut short after its header is refused too, not imported as sea.
  auto bytes = demo::TerragenBuilder().bytes();
  bytes.resize(100);
  testing::writeBytes(file(suffix::kTerragen), bytes);
  const auto withShortField = snapshot();
  for (const char* command : {"find-units-terragen", "set-elevation-terragen"}) {
    EXPECT_EQ(run(command), Outcome::EndedEarly) << command;
    EXPECT_NE(h.host.messages.at(0).text.find("1050615 of its 1050625 height samples are missing"), std::string::npos);
  }
  EXPECT_EQ(snapshot(), withShortField);
}

TEST_F(BadInputTest, ABitmapOfAnotherSizeIsReadAtItsFixedPlaces) {
  // A 16 x 16 picture: its few pixels land where the reader looks, the rest reads 0.
  std::vector<std::uint8_t> small(1078 + 256, 200);
  small[0] = 'B';
  small[1] = 'M';
  testing::writeBytes(file(suffix::kGreyscale), small);
  EXPECT_EQ(run("find-units-greyscale", {{"MapSize512", "true"}}), Outcome::Completed);
  EXPECT_EQ(h.params.text("maxUbmp"), " 200");
  EXPECT_EQ(h.params.text("minUbmp"), " 0");
  EXPECT_EQ(run("set-elevation-greyscale", {{"MaxAlt", "14000"}}), Outcome::Completed) << firstLine();
  EXPECT_EQ(testing::readBytes(file(suffix::kElevation)).size(), kElevBytes);
}

}  // namespace
}  // namespace quarnby
