#include "tracks/make_tracks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <sstream>

#include "batch/batch.h"
#include "support/system_texts.h"
#include "support/terrain_fixture.h"
#include "terrain/grids.h"
#include "terrain/terrain_folder.h"
#include "terrain/track_file.h"

namespace quarnby {
namespace {

using testing::readText;
using testing::writeText;

const std::string kRedo = "Use the Redo Objects button in the Roads Tab in the TE.";

std::string done(int objects, int tracks) {
  return "Done\r\nThere where " + std::to_string(objects) + " objects that required " + std::to_string(tracks) +
         " track(s).\r\n" + kRedo;
}

// A terrain all water at elevation 0 until a test lays land, and its object file.
struct MakeTracksTest : testing::TerrainFixture {
  ElevationGrid elevation;
  CellGrid types;
  std::string objects = "\"Objects of Europe\",3\r\n";

  void allLand() { std::fill(types.bytes().begin(), types.bytes().end(), 1); }
  void land(int r, int c, std::int16_t e = 0) {
    types.setPos(typePosOfElevPos(ElevPos(r, c)), 1);
    elevation.set(r, c, e);
  }
  // An object record on sample (r, c): site name, X, Y, Z, twelve unused fields, side.
  void add(const std::string& lead, const std::string& site, int r, int c, const std::string& side = "0") {
    objects += lead + ", " + site + "," + std::to_string((c - 512) * 2640) + ",0," + std::to_string((r - 512) * 2640) +
               ",0,0,0,0,0,0,0,0,0,0,0,0," + side + "\r\n";
  }
  Outcome run() {
    writeElevation(elevation);
    writeTypes(types);
    writeObjects(objects);
    return MakeTracks_Click(h.cx);
  }
  std::string tracks() const { return readText(file(suffix::kTracks)); }
  std::vector<std::string> messages() const {
    std::vector<std::string> texts;
    for (const auto& m : h.host.messages) texts.push_back(m.text);
    return texts;
  }
};

// A straight track from (r0, c0) to (r1, c1) on flat ground at elevation 0.
std::string straight(int kind, const std::string& lead, int r0, int c0, int r1, int c1) {
  const TrackSample points[] = {{c0, r0, 0}, {c1, r1, 0}};
  return trackRecordText(kind, lead, points);
}

TEST_F(MakeTracksTest, NoQualifyingObjectsGiveAnEmptyTrackFile) {
  add("G01TWN1", "TOWN1", 500, 500);
  add("G01CIT1", "CITY", 510, 510);
  objects += "HQT,not a record\r\n";
  EXPECT_EQ(run(), Outcome::Completed);
  EXPECT_EQ(tracks(), "0\r\n");
  EXPECT_EQ(messages(), std::vector<std::string>{done(0, 0)});
  EXPECT_EQ(h.host.messages[0].icon, Icon::Information);
  EXPECT_EQ(h.host.progressOf(ProgressBar::Bar3), (std::vector<int>{0, 100}));
}

TEST_F(MakeTracksTest, BadDistancesAreNamedInTurnAndNothingIsWritten) {
  writeText(file(suffix::kTracks), "old");
  h.params.setText("LenRoad", "");
  h.params.setText("LenTrack", "0");
  h.params.setText("LenRiver", "-1");
  EXPECT_EQ(run(), Outcome::EndedEarly);
  EXPECT_EQ(h.host.focus, (std::vector<std::string>{"LenRoad", "LenTrack", "LenRiver"}));
  EXPECT_EQ(messages(),
            std::vector<std::string>(3, "Please set the track's distance.\r\nAll distances must be greater than 0."));

  h.host = {};
  h.params.setText("LenRoad", "12");  // its GMS roads would search 13 steps
  h.params.setText("LenTrack", "12");
  h.params.setText("LenRiver", "2.5");
  EXPECT_EQ(run(), Outcome::EndedEarly);
  EXPECT_EQ(h.host.focus, (std::vector<std::string>{"LenRoad", "LenRiver"}));
  EXPECT_EQ(messages(),
            (std::vector<std::string>{
                "Please set the track's distance.\r\nThe distance for Convoys must be a whole number from 1 to 11.",
                "Please set the track's distance.\r\nThe distance for Bargges must be a whole number from 1 to 12."}));
  EXPECT_EQ(tracks(), "old");

  h.host = {};
  h.params.setText("LenRoad", " 11");
  h.params.setText("LenRiver", "1");
  EXPECT_EQ(run(), Outcome::Completed);
}

TEST_F(MakeTracksTest, TownRoadSupersedesTheEarlierGmsOfItsPrefix) {
  allLand();  // no HQT: tracks pull toward column 0, row 0, south before west
  add("G07GMS1", "SUPPLY", 600, 600);
  add("G07GMS2", "town2", 700, 700);
  EXPECT_EQ(run(), Outcome::Completed);
  EXPECT_EQ(tracks(), "1\r\n" + straight(kRoad, "G07GMS2", 700, 700, 684, 700));
  EXPECT_EQ(messages(), std::vector<std::string>{done(2, 1)});
}

TEST_F(MakeTracksTest, ASupersededSlotIsNotCountedTwice) {
  allLand();
  add("G07GMS1", "SUPPLY", 600, 600);
  add("G07ZZZ1", "ANY", 700, 700);  // supersedes G07GMS1
  add("G07ZZZ2", "ANY", 800, 800);  // finds G07GMS1 again, already given up
  EXPECT_EQ(run(), Outcome::Completed);
  EXPECT_EQ(tracks(),
            "2\r\n" + straight(kRoad, "G07ZZZ1", 700, 700, 684, 700) + straight(kRoad, "G07ZZZ2", 800, 800, 784, 800));
  EXPECT_EQ(messages(), std::vector<std::string>{done(3, 2)});
}

TEST_F(MakeTracksTest, PortGetsARiverOfTheRiverDistance) {
  h.params.setText("LenRiver", "2");
  add("G04GMS1", "port1", 512, 512);
  EXPECT_EQ(run(), Outcome::Completed);
  EXPECT_EQ(tracks(), "1\r\n" + straight(kRiver, "G04GMS1", 512, 512, 508, 512));
}

TEST_F(MakeTracksTest, EachSideIsPulledTowardItsLastHq) {
  allLand();
  add("G01HQT1", "HQ", 512, 100, "3");  // side 0
  add("G02HQT1", "HQ", 900, 900, "4");  // side 1, replaced below
  add("G03HQT1", "HQ", 512, 900, "1");  // side 1
  add("G04HQT1", "HQ", 900, 100, "7");  // side 4 after all: no HQ of its own
  add("G05AAF1", "LAFLD0", 512, 500, "4");
  add("G06AMF1", "MAFLD0", 512, 480, "x");  // not a number: side 0
  add("G07BAF1", "SAFLD0", 300, 300, "2");  // no HQT: toward column 0, row 0
  add("G08FUF1", "SAFLD1", 200, 200, "9");  // side 6: no HQ either
  EXPECT_EQ(run(), Outcome::Completed);
  EXPECT_EQ(tracks(),
            "8\r\n" + straight(kRailway, "G01HQT1", 512, 100, 532, 100) +
                straight(kRailway, "G02HQT1", 900, 900, 920, 900) + straight(kRailway, "G03HQT1", 512, 900, 532, 900) +
                straight(kRailway, "G04HQT1", 900, 100, 920, 100) + straight(kRailway, "G05AAF1", 512, 500, 512, 520) +
                straight(kRailway, "G06AMF1", 512, 480, 512, 460) + straight(kRailway, "G07BAF1", 300, 300, 280, 300) +
                straight(kRailway, "G08FUF1", 200, 200, 180, 200));
}

TEST_F(MakeTracksTest, GmsRoadsSearchOneStepBeyondWhatIsWritten) {
  h.params.setText("LenRoad", "1");
  h.params.setText("LenTrack", "1");
  // Two short strips of land leading west; past them only water, behind them the object.
  land(512, 512, -5);
  land(512, 510);
  land(300, 300);
  land(300, 298);
  add("G01GMS1", "SUPPLY", 512, 512);
  add("G02AAF1", "LAFLD0", 300, 300);
  EXPECT_EQ(run(), Outcome::Completed);
  const TrackSample road[] = {{512, 512, -5}, {510, 512, 0}};
  EXPECT_EQ(tracks(),
            "2\r\n" + trackRecordText(kRoad, "G01GMS1", road) + straight(kRailway, "G02AAF1", 300, 300, 300, 298));
  EXPECT_EQ(messages(),
            (std::vector<std::string>{"No suitable path found for G01GMS1.\r\nWill need to check this track manually.",
                                      done(2, 2)}));
}

TEST_F(MakeTracksTest, FilesThatCannotBeOpenedStopInOrderAndKeepTheOldTracks) {
  writeText(file(suffix::kTracks), "old");
  EXPECT_EQ(MakeTracks_Click(h.cx), Outcome::EndedEarly);
  EXPECT_EQ(messages(), std::vector<std::string>{"Can't open the file:\r" + file(suffix::kObjects).string() + "\r" +
                                                 testing::systemText(ENOENT) +
                                                 "\r\nPut the terrain's object file Europe.oba in the folder: it "
                                                 "lists the sites, and no button writes it."});
  EXPECT_EQ(h.host.messages[0].icon, Icon::Critical);

  writeText(file(suffix::kObjects), objects);
  h.host = {};
  EXPECT_EQ(MakeTracks_Click(h.cx), Outcome::EndedEarly);
  EXPECT_EQ(messages(), std::vector<std::string>{
                            "Can't open the Elevation File:\r" + file(suffix::kElevation).string() + "\r" +
                            testing::systemText(ENOENT) + "\r\nPress Set Elevation first: it writes Europe.elv."});

  elevation.save(file(suffix::kElevation));
  h.host = {};
  EXPECT_EQ(MakeTracks_Click(h.cx), Outcome::EndedEarly);
  EXPECT_EQ(messages(),
            std::vector<std::string>{"Can't open the Type File:\r" + file(suffix::kType).string() + "\r" +
                                     testing::systemText(ENOENT) + "\r\nPress Set Type first: it writes Europe.typ."});
  EXPECT_EQ(tracks(), "old");

  std::filesystem::remove(file(suffix::kTracks));
  std::filesystem::create_directory(file(suffix::kTracks));
  h.host = {};
  EXPECT_EQ(run(), Outcome::EndedEarly);
  EXPECT_EQ(messages(), std::vector<std::string>{"Can't open the output File:\r" + file(suffix::kTracks).string() +
                                                 "\r" + testing::systemText(EISDIR)});
}

TEST_F(MakeTracksTest, MoreThan257ObjectsAreRefusedWhole) {
  allLand();
  writeText(file(suffix::kTracks), "old");
  for (int i = 0; i < 258; ++i)
    add("G01AAF" + std::to_string(i), "LAFLD0", 100 + 2 * (i / 100) * 20, 100 + 4 * (i % 100));
  EXPECT_EQ(run(), Outcome::EndedEarly);
  EXPECT_EQ(messages(), std::vector<std::string>{"The object file holds more than 257 objects that require tracks.\r\n"
                                                 "No track file was written."});
  EXPECT_EQ(tracks(), "old");

  objects.erase(objects.rfind("G01AAF257"));
  h.host = {};
  EXPECT_EQ(run(), Outcome::Completed);
  EXPECT_EQ(parseTrackFile(tracks()).size(), 257u);
  EXPECT_EQ(messages(), std::vector<std::string>{done(257, 257)});
}

TEST_F(MakeTracksTest, ObjectsWithoutAPositionOnTheMapGetNoTrack) {
  allLand();
  add("G01AAF1", "LAFLD0", 1023, 1023);
  add("G02AAF1", "LAFLD0", 1024, 500);
  objects += "G03AAF1,LAFLD0,abc,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0\r\n";
  add("G04AAF1", "LAFLD0", 500, 500);
  EXPECT_EQ(run(), Outcome::Completed);
  EXPECT_EQ(parseTrackFile(tracks()).size(), 2u);
  EXPECT_EQ(messages(), std::vector<std::string>{done(2, 2) + "\r\nSkipped 2 objects without a position on the map."});
  EXPECT_EQ(h.host.progressOf(ProgressBar::Bar3), (std::vector<int>{0, 0, 100, 100}));
}

TEST_F(MakeTracksTest, BatchCommandWritesTheFileAndPrintsTheClosingMessage) {
  allLand();
  add("G01AAF1", "LAFLD0", 500, 500);
  add("G02AAF1", "LAFLD0", 600, 600);
  add("G03AAF1", "LAFLD0", 700, 700);
  elevation.save(file(suffix::kElevation));
  types.save(file(suffix::kType));
  writeText(file(suffix::kObjects), objects);
  std::ostringstream out, err;
  EXPECT_EQ(runBatch({"--config", (tmp.path() / "quarnby.cfg").string(), folder.string(), "make-tracks"}, out, err), 0);
  EXPECT_EQ(out.str(), "Done\nThere where 3 objects that required 3 track(s).\n" + kRedo + "\n");
  EXPECT_EQ(parseTrackFile(tracks()).size(), 3u);
}

}  // namespace
}  // namespace quarnby
