#include "maps/preview_terrain.h"

#include <gtest/gtest.h>

#include "support/temp_folder.h"
#include "terrain/track_file.h"

namespace quarnby::preview {
namespace {

using testing::TempFolder;

std::string feet(long long index) { return std::to_string(worldFeetOf(index)); }

TEST(PreviewTerrain, EveryFileMissingGivesEmptyLayersNamedByTheirFile) {
  TempFolder temp;
  const auto folder = temp.terrain("Demo");
  const PreviewTerrain terrain = loadPreviewTerrain(folder);
  EXPECT_EQ(terrain.baseName, "Demo");
  EXPECT_FALSE(terrain.elevation);
  EXPECT_EQ(terrain.elevation.note, "No Demo.elv");
  EXPECT_EQ(terrain.types.note, "No Demo.typ");
  EXPECT_EQ(terrain.subTypes.note, "No Demo.SYP");
  EXPECT_EQ(terrain.tracks.note, "No Demo.tra");
  EXPECT_EQ(terrain.sites.note, "No Demo.oba");
  EXPECT_EQ(terrain.cover.note, "No Demo_cover.bmp: Import Land Cover... writes it");
  // The read-out still names the place.
  EXPECT_EQ(readout(terrain, 0, 1023),
            "Row 0, column 1023    X 1,349,040 ft, Z -1,351,680 ft    Elevation -    Type -");

  // No folder at all (the file system's root has no base name).
  EXPECT_EQ(loadPreviewTerrain("/").types.note, "No terrain folder");
}

TEST(PreviewTerrain, ShortGridsAreEmptyLongOnesAreKept) {
  TempFolder temp;
  const auto folder = temp.terrain("Demo");
  testing::writeBytes(folder / "Demo.typ", std::vector<std::uint8_t>(1000, 1));
  std::vector<std::uint8_t> elevation(kElevBytes + 10, 0);
  elevation[ElevPos(700, 300) - 1] = 0xD2;  // 1234 feet
  elevation[ElevPos(700, 300)] = 0x04;
  testing::writeBytes(folder / "Demo.elv", elevation);
  std::vector<std::uint8_t> subTypes(kTypeBytes, 0);
  subTypes[TypePos(350, 150) - 1] = 17;
  testing::writeBytes(folder / "Demo.SYP", subTypes);
  std::filesystem::create_directory(folder / "Demo.oba");                              // a folder where a file belongs
  testing::writeBytes(folder / "Demo_cover.bmp", std::vector<std::uint8_t>(1000, 1));  // no bitmap

  const PreviewTerrain terrain = loadPreviewTerrain(folder);
  EXPECT_FALSE(terrain.types);
  EXPECT_EQ(terrain.types.note, "Demo.typ is short: 1,000 of 262,144 bytes");
  ASSERT_TRUE(terrain.elevation);
  EXPECT_EQ(terrain.elevation.data->at(700, 300), 1234);
  EXPECT_TRUE(terrain.subTypes);
  EXPECT_EQ(terrain.sites.note, "No Demo.oba");
  EXPECT_FALSE(terrain.cover);
  EXPECT_EQ(terrain.cover.note.rfind("Can't read Demo_cover.bmp: ", 0), 0u) << terrain.cover.note;
  EXPECT_EQ(readout(terrain, 700, 300),
            "Row 700, column 300    X -559,680 ft, Z 496,320 ft    Elevation 1,234 ft    Type -, sub-type 17");
}

TEST(PreviewTerrain, ReadoutNamesTypeSubTypeAndSite) {
  PreviewTerrain terrain;
  terrain.elevation.data.emplace();
  terrain.elevation.data->set(512, 512, -40);
  terrain.types.data.emplace();
  terrain.types.data->set(256, 256, 2);
  terrain.subTypes.data.emplace();
  terrain.subTypes.data->set(256, 256, 200);
  const Site site{SiteKind::Airfield, "GERAAF", "LAFLD0", {512, 512}};
  EXPECT_EQ(
      readout(terrain, 512, 512, &site),
      "Row 512, column 512    X 0 ft, Z 0 ft    Elevation -40 ft    Type Grassy Rock (2), sub-type 200    GERAAF LAFLD0");
  EXPECT_EQ(groupedNumber(0), "0");
  EXPECT_EQ(groupedNumber(999), "999");
  EXPECT_EQ(groupedNumber(-1000), "-1,000");
  EXPECT_EQ(groupedNumber(1234567), "1,234,567");
  EXPECT_EQ(groupedNumber(-9223372036854775807LL - 1), "-9,223,372,036,854,775,808");
}

TEST(PreviewTerrain, TracksBySampleAndKindSplitWherePointsHaveNoPosition) {
  const TrackSample road[] = {{100, 200, 0}, {101, 200, 0}, {101, 201, 0}};
  std::string text = trackCountLine(3) + trackRecordText(kRoad, "GERGMS01", road);
  text += trackRecordText(kRiver, "GERGMS02", road);
  // A railway whose middle point has no position: two lines, the lone last point kept.
  text +=
      "1,Type\r\n0,Flags\r\n-1,ResourceType\r\n0,DestFieldIndex\r\n-1,SourceFieldOrObjectIndex\r\n"
      "5280.000000,SrcRadius\r\n5280.000000,DestRadius\r\nTrain Track to X\r\n4,PntCnt\r\n" +
      feet(10) + ",0," + feet(20) + "\r\n" + feet(11) + ",0," + feet(20) + "\r\nx,0,5\r\n" + feet(12) + ",0," +
      feet(30) + "\r\n";
  const auto lines = trackLinesOf(text);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0].kind, kRoad);
  // Points lie on sample corners, half a spacing off by kind; they fall into the
  // samples the road map colours for them.
  EXPECT_EQ(lines[0].points, (std::vector<GridPoint>{{100, 201}, {101, 201}, {101, 202}}));
  EXPECT_EQ(lines[1].kind, kRiver);
  EXPECT_EQ(lines[1].points.front(), (GridPoint{100, 200}));
  EXPECT_EQ(lines[2].kind, kRailway);
  EXPECT_EQ(lines[2].points, (std::vector<GridPoint>{{10, 20}, {11, 20}}));
  EXPECT_EQ(lines[3].points, (std::vector<GridPoint>{{12, 30}}));
}

TEST(PreviewTerrain, SitesByCodeAndName) {
  const std::string text =
      "Theatre objects,3\r\n"
      "A01HQT,HQ0," +
      feet(100) + ",0," + feet(200) +
      "\r\n"
      "A07GMS,port1," +
      feet(110) + ",0," + feet(210) +
      "\r\n"
      "A12GMS,DEPOT0," +
      feet(120) + ",0," + feet(220) +
      "\r\n"
      "A41TWN,TOWN1,-1,0,-1\r\n"
      "A31CIT,CITY0,nowhere,0,5\r\n"
      "A21BAF,SAFLD0,1319.9,0,1320\r\n"
      "A51FUF,FUEL0,0,0,0,A52RDF,RADAR0,0,0,0\r\n";
  const auto sites = sitesOf(text);
  ASSERT_EQ(sites.size(), 6u);  // the city has no position
  EXPECT_EQ(sites[0].kind, SiteKind::Headquarters);
  EXPECT_EQ(sites[0].sample, (GridPoint{100, 200}));
  EXPECT_EQ(sites[0].leadToken, "A01HQT");
  EXPECT_EQ(sites[0].siteName, "HQ0");
  EXPECT_EQ(sites[1].kind, SiteKind::Port);
  EXPECT_EQ(sites[2].kind, SiteKind::Supply);
  EXPECT_EQ(sites[3].kind, SiteKind::Town);
  EXPECT_EQ(sites[3].sample, (GridPoint{512, 512}));
  EXPECT_EQ(sites[4].kind, SiteKind::Airfield);
  EXPECT_EQ(sites[4].sample, (GridPoint{512, 513}));  // halfway rounds up
  EXPECT_EQ(sites[5].kind, SiteKind::FUF);            // the rest of its line is passed over

  const Site* near = siteNear(sites, 100.5, 200.5, 1.0);
  ASSERT_NE(near, nullptr);
  EXPECT_EQ(near->siteName, "HQ0");
  EXPECT_EQ(siteNear(sites, 102.0, 200.5, 1.0), nullptr);
  EXPECT_EQ(siteNear(sites, 512.5, 513.2, 1.0)->siteName, "SAFLD0");  // the nearer one
  EXPECT_EQ(siteNear(sites, 512.5, 512.5, 1.0)->siteName, "FUEL0");   // drawn over the town
}

}  // namespace
}  // namespace quarnby::preview
