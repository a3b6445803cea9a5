#pragma once
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quarnby {

// The track file (".tra") that Make Tracks writes for the terrain editor and the road
// map reads back. Plain text, CR LF after every line including the last:
//
//   count
//   then per track: kind,Type / 2,Flags or 0,Flags / -1,ResourceType /
//   n,DestFieldIndex / -1,SourceFieldOrObjectIndex / 5280.000000,SrcRadius /
//   5280.000000,DestRadius / title / n,PntCnt / one X,Y,Z line per point
//
// Track kinds as the file numbers them.
inline constexpr int kRoad = 0;
inline constexpr int kRailway = 1;
inline constexpr int kRiver = 2;

// ---- Writing ---------------------------------------------------------------------

// A point of a track: an elevation sample and the elevation stored there.
struct TrackSample {
  long long column = 0;
  long long row = 0;
  std::int16_t elevation = 0;
};

// The first line of the file: the number of records that follow.
std::string trackCountLine(long long count);

// One record, every line ended by CR LF. `leadToken` is the object's first field: its
// characters 4 to 6 are the object code, 2 and 3 a GMS object's field number, 1 to 3
// the prefix in road and river titles. `kind` is kRoad, kRailway or kRiver.
std::string trackRecordText(int kind, std::string_view leadToken, std::span<const TrackSample> points);

// The DestFieldIndex of a record: for a GMS object the two-digit number in characters
// 2 and 3 of its lead token minus 1 ("07" -> 6); 0 for every other object and for a
// GMS object whose characters 2 and 3 are not a number from 01 up.
int destFieldIndex(std::string_view leadToken);

// World feet of a track point as the terrain editor expects them: a sample's corner,
// half a spacing off its centre, on a side that depends on the kind.
long long trackPointX(int kind, long long column);
long long trackPointZ(int kind, long long row);

// ---- Reading ---------------------------------------------------------------------
//
// Usage (the road map):
//
//   std::string error;
//   auto tracks = readTrackFile(terrainFile(folder, suffix::kTracks), error);
//   if (!tracks) { /* "Can't open ..." + error */ }
//   for (const TrackPolyline& track : *tracks)
//     for (std::size_t i = 1; i < track.size(); ++i) {
//       const TrackPoint& a = track[i - 1];
//       const TrackPoint& b = track[i];
//       if (!a.isNumber || !b.isNumber) continue;  // a point without a position
//       auto col = worldToIndex(a.x); ...           // terrain/grids.h
//     }
//
// The reader skips line 1 (the count is not trusted); then, record by record until the
// file ends, skips eight lines, takes the point count from the text before the comma of
// the ninth, and reads that many point lines X,Y,Z. Y is ignored. It never fails on
// content: a short file ends the last record where it ends (the points read so far
// are kept), a point count that is not a number or not above 0 gives a record without
// points, and a count larger than the lines left simply reads to the end of the file.

// X and Z of a point, each cut to its whole part (toward minus infinity). `isNumber` is
// false when X or Z is not a number (or too large to be a position): x and z are then
// 0 and mean nothing, and a line touching this point should be left out.
struct TrackPoint {
  double x = 0;
  double z = 0;
  bool isNumber = true;
};
using TrackPolyline = std::vector<TrackPoint>;

// The tracks of a track file's text, in file order.
std::vector<TrackPolyline> parseTrackFile(std::string_view text);

// A track with its kind, the whole part of the number before the comma of the record's
// first line: kRoad, kRailway, kRiver, -1 for a superseded track, kUnknownTrackKind for
// anything else (no number there, or another one). The points are those parseTrackFile gives.
inline constexpr int kUnknownTrackKind = -2;
struct TrackRecord {
  int kind = kUnknownTrackKind;
  std::string title;  // the record's eighth line, as it stands
  TrackPolyline points;
};
std::vector<TrackRecord> parseTrackRecords(std::string_view text);
std::optional<std::vector<TrackRecord>> readTrackRecords(const std::filesystem::path& file, std::string& error);

// Reads and parses a track file; nothing (and the system's error text) when it cannot
// be read.
std::optional<std::vector<TrackPolyline>> readTrackFile(const std::filesystem::path& file, std::string& error);

}  // namespace quarnby
