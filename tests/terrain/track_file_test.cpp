#include "terrain/track_file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "support/system_texts.h"
#include "support/temp_folder.h"

namespace quarnby {
namespace {

TEST(TrackFileWriting, RoadRecordLineByLine) {
  const TrackSample points[] = {{512, 512, 100}, {514, 512, -7}, {514, 516, 0}};
  EXPECT_EQ(trackRecordText(kRoad, "G07GMS", points),
            "0,Type\r\n"
            "2,Flags\r\n"
            "-1,ResourceType\r\n"
            "6,DestFieldIndex\r\n"
            "-1,SourceFieldOrObjectIndex\r\n"
            "5280.000000,SrcRadius\r\n"
            "5280.000000,DestRadius\r\n"
            "Road to G07\r\n"
            "3,PntCnt\r\n"
            "-1320,100,1320\r\n"
            "3960,-7,1320\r\n"
            "3960,0,11880\r\n");
}

TEST(TrackFileWriting, RailwayAndRiverOffsetsAndTitles) {
  const TrackSample sample[] = {{0, 1023, -32768}, {0, 1023, -32768}};
  EXPECT_EQ(trackRecordText(kRailway, "F01AAF12", sample),
            "1,Type\r\n0,Flags\r\n-1,ResourceType\r\n0,DestFieldIndex\r\n-1,SourceFieldOrObjectIndex\r\n"
            "5280.000000,SrcRadius\r\n5280.000000,DestRadius\r\nTrain Track to F01AAF12\r\n2,PntCnt\r\n"
            "-1350360,-32768,1350360\r\n-1350360,-32768,1350360\r\n");
  const std::string river = trackRecordText(kRiver, "B03GMS", sample);
  EXPECT_NE(river.find("2,Type\r\n2,Flags\r\n-1,ResourceType\r\n2,DestFieldIndex\r\n"), std::string::npos);
  EXPECT_NE(river.find("\r\nRiver to B03\r\n2,PntCnt\r\n-1353000,-32768,1347720\r\n"), std::string::npos);
}

TEST(TrackFileWriting, PointCoordinatesAreOddMultiplesOfHalfASpacing) {
  for (int kind : {kRoad, kRailway, kRiver})
    for (long long i : {0LL, 511LL, 512LL, 513LL, 1023LL}) {
      EXPECT_EQ(std::abs(trackPointX(kind, i) % 2640), 1320);
      EXPECT_EQ(std::abs(trackPointZ(kind, i) % 2640), 1320);
    }
  EXPECT_EQ(trackPointX(kRoad, 512), -1320);
  EXPECT_EQ(trackPointX(kRailway, 512), 1320);
  EXPECT_EQ(trackPointZ(kRoad, 512), 1320);
  EXPECT_EQ(trackPointZ(kRailway, 512), 1320);
  EXPECT_EQ(trackPointZ(kRiver, 512), -1320);
}

TEST(TrackFileWriting, DestFieldIndexOnlyForAGmsFieldNumberFromOne) {
  const std::vector<std::pair<std::string, int>> cases = {
      {"G07GMS", 6}, {"G01GMS", 0}, {"G99GMS1", 98}, {"G00GMS", 0}, {"G7 GMS", 0},
      {"GAbGMS", 0}, {"G07HQT", 0}, {"G07", 0},      {"", 0},
  };
  for (const auto& [lead, index] : cases) EXPECT_EQ(destFieldIndex(lead), index) << "'" << lead << "'";
}

TEST(TrackFileWriting, CountLine) {
  EXPECT_EQ(trackCountLine(0), "0\r\n");
  EXPECT_EQ(trackCountLine(257), "257\r\n");
}

std::string record(std::string_view countLine, std::string_view points) {
  return "0,Type\r\n0,Flags\r\n-1,ResourceType\r\n0,DestFieldIndex\r\n-1,SourceFieldOrObjectIndex\r\n"
         "5280.000000,SrcRadius\r\n5280.000000,DestRadius\r\nRoad to GER\r\n" +
         std::string(countLine) + "\r\n" + std::string(points);
}

TEST(TrackFileReading, ReadsWhatTheWriterWrites) {
  const TrackSample a[] = {{10, 5, 3}, {3, 5, -4}};
  const TrackSample b[] = {{0, 0, 0}, {0, 6, 1}, {8, 6, 2}};
  const std::string text =
      trackCountLine(2) + trackRecordText(kRoad, "GERGMS01", a) + trackRecordText(kRiver, "GERGMS02", b);
  const auto tracks = parseTrackFile(text);
  ASSERT_EQ(tracks.size(), 2u);
  ASSERT_EQ(tracks[0].size(), 2u);
  EXPECT_EQ(tracks[0][0].x, trackPointX(kRoad, 10));
  EXPECT_EQ(tracks[0][0].z, trackPointZ(kRoad, 5));
  EXPECT_EQ(tracks[0][1].x, trackPointX(kRoad, 3));
  ASSERT_EQ(tracks[1].size(), 3u);
  EXPECT_EQ(tracks[1][2].x, trackPointX(kRiver, 8));
  EXPECT_EQ(tracks[1][2].z, trackPointZ(kRiver, 6));
  for (const auto& t : tracks)
    for (const auto& p : t) EXPECT_TRUE(p.isNumber);
}

TEST(TrackFileReading, WholePartsTowardMinusInfinityAndYIgnored) {
  const auto tracks = parseTrackFile("1\r\n" + record("2,PntCnt", "-1320.5,junk,7.9\r\n 12 , 0 , -0.25 \r\n"));
  ASSERT_EQ(tracks.size(), 1u);
  ASSERT_EQ(tracks[0].size(), 2u);
  EXPECT_EQ(tracks[0][0].x, -1321);
  EXPECT_EQ(tracks[0][0].z, 7);
  EXPECT_TRUE(tracks[0][0].isNumber);
  EXPECT_EQ(tracks[0][1].x, 12);
  EXPECT_EQ(tracks[0][1].z, -1);
}

TEST(TrackFileReading, PointsWithoutANumberAreMarked) {
  const auto tracks = parseTrackFile("x\r\n" + record("4,PntCnt", "abc,0,5\r\n5,0\r\n5,0,1e300\r\n1,2,3\r\n"));
  ASSERT_EQ(tracks.size(), 1u);
  ASSERT_EQ(tracks[0].size(), 4u);
  EXPECT_FALSE(tracks[0][0].isNumber);
  EXPECT_FALSE(tracks[0][1].isNumber);  // Z missing
  EXPECT_FALSE(tracks[0][2].isNumber);  // no position on any grid
  EXPECT_TRUE(tracks[0][3].isNumber);
}

TEST(TrackFileReading, ShortFilesAndLyingCountsNeverFail) {
  EXPECT_TRUE(parseTrackFile("").empty());
  EXPECT_TRUE(parseTrackFile("0\r\n").empty());
  // A header cut short is no record.
  EXPECT_TRUE(parseTrackFile("1\r\n0,Type\r\n0,Flags\r\n").empty());
  // A count larger than the lines left reads to the end and stops.
  auto tracks = parseTrackFile("1\r\n" + record("1000000000000,PntCnt", "1,0,1\r\n2,0,2\r\n"));
  ASSERT_EQ(tracks.size(), 1u);
  EXPECT_EQ(tracks[0].size(), 2u);
  // A count that is not a number, or negative, gives a record without points; the
  // lines that follow are taken as the next record.
  tracks = parseTrackFile("2\r\n" + record("x,PntCnt", "") + record("-3,PntCnt", "") + record("1,PntCnt", "4,0,4"));
  ASSERT_EQ(tracks.size(), 3u);
  EXPECT_TRUE(tracks[0].empty());
  EXPECT_TRUE(tracks[1].empty());
  ASSERT_EQ(tracks[2].size(), 1u);  // last line without a line end still counts
  EXPECT_EQ(tracks[2][0].x, 4);
  // Bare LF and CR line ends are taken as line ends too.
  tracks = parseTrackFile("1\n0\n0\n0\n0\n0\n0\n0\nRoad\n1,PntCnt\r5,0,6\n");
  ASSERT_EQ(tracks.size(), 1u);
  ASSERT_EQ(tracks[0].size(), 1u);
  EXPECT_EQ(tracks[0][0].z, 6);
  // Binary garbage neither crashes nor loops.
  std::string garbage;
  for (int i = 0; i < 5000; ++i) garbage += static_cast<char>((i * 7919) % 256);
  (void)parseTrackFile(garbage);
}

TEST(TrackFileReading, FromDiskOrTheSystemsError) {
  testing::TempFolder temp;
  std::string error;
  EXPECT_FALSE(readTrackFile(temp.path() / "absent.tra", error));
  EXPECT_EQ(error, testing::systemText(ENOENT));
  testing::writeText(temp.path() / "t.tra", "1\r\n" + record("1,PntCnt", "2640,5,-2640\r\n"));
  const auto tracks = readTrackFile(temp.path() / "t.tra", error);
  ASSERT_TRUE(tracks);
  ASSERT_EQ(tracks->size(), 1u);
  EXPECT_EQ((*tracks)[0][0].z, -2640);
}

TEST(TrackFileReading, RecordsKeepTheirKind) {
  const TrackSample a[] = {{1, 1, 0}, {2, 1, 0}};
  std::string text =
      trackCountLine(5) + trackRecordText(kRailway, "GERHQT01", a) + trackRecordText(kRiver, "GERGMS02", a);
  // A superseded track, a kind that is no number, and one out of range.
  text += "-1,Type\r\n" + record("0,PntCnt", "").substr(8) + "Road,Type\r\n" + record("0,PntCnt", "").substr(8) +
          "7,Type\r\n" + record("1,PntCnt", "5,0,6\r\n").substr(8);
  const auto records = parseTrackRecords(text);
  ASSERT_EQ(records.size(), 5u);
  EXPECT_EQ(records[0].kind, kRailway);
  EXPECT_EQ(records[1].kind, kRiver);
  EXPECT_EQ(records[2].kind, -1);
  EXPECT_EQ(records[3].kind, kUnknownTrackKind);
  EXPECT_EQ(records[4].kind, kUnknownTrackKind);
  ASSERT_EQ(records[4].points.size(), 1u);
  EXPECT_EQ(records[4].points[0].z, 6);
  // The same points as the plain reader gives.
  const auto plain = parseTrackFile(text);
  ASSERT_EQ(plain.size(), records.size());
  EXPECT_EQ(plain[1].size(), records[1].points.size());
  EXPECT_EQ(plain[1][1].x, records[1].points[1].x);
}

}  // namespace
}  // namespace quarnby
