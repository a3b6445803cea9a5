#include "terrain/track_file.h"

#include <cmath>

#include "core/host.h"
#include "core/number_text.h"
#include "core/numeric_text.h"
#include "terrain/file_io.h"
#include "terrain/object_file.h"

namespace quarnby {
namespace {

constexpr long long kHalfSpacing = 1320;
constexpr long long kSpacing = 2640;
// A whole part beyond this is no position on any grid; it also keeps the value exact.
constexpr double kLargestCoordinate = 1e15;

std::string title(int kind, std::string_view leadToken) {
  const std::string_view prefix = leadToken.substr(0, 3);
  if (kind == kRailway) return "Train Track to " + std::string(leadToken);
  if (kind == kRiver) return "River to " + std::string(prefix);
  return "Road to " + std::string(prefix);
}

// The file's lines, ended by CR LF, LF or CR alone; a last line without an end counts.
std::vector<std::string_view> splitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
    if (text[end] == '\r' && start < text.size() && text[start] == '\n') ++start;
  }
  return lines;
}

std::string_view field(std::string_view line, std::size_t index, bool& present) {
  std::size_t start = 0;
  for (std::size_t i = 0; i < index; ++i) {
    const std::size_t comma = line.find(',', start);
    if (comma == std::string_view::npos) {
      present = false;
      return {};
    }
    start = comma + 1;
  }
  present = true;
  const std::size_t comma = line.find(',', start);
  return line.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start);
}

// The whole part of a coordinate field, or nothing when it is not a usable number.
std::optional<double> wholeCoordinate(std::string_view line, std::size_t index) {
  bool present = false;
  const std::string_view text = field(line, index, present);
  double value = 0;
  if (!present || !isWholeDecimalNumber(text, &value)) return std::nullopt;
  if (!std::isfinite(value) || std::fabs(value) > kLargestCoordinate) return std::nullopt;
  return std::floor(value);
}

TrackPoint parsePoint(std::string_view line) {
  const auto x = wholeCoordinate(line, 0);
  const auto z = wholeCoordinate(line, 2);
  if (!x || !z) return TrackPoint{0, 0, false};
  return TrackPoint{*x, *z, true};
}

}  // namespace

std::string trackCountLine(long long count) { return plainInteger(count) + kCrLf; }

int destFieldIndex(std::string_view leadToken) {
  if (objectCodeOf(leadToken) != "GMS") return 0;
  const char tens = leadToken[1];
  const char ones = leadToken[2];
  if (tens < '0' || tens > '9' || ones < '0' || ones > '9') return 0;
  const int number = (tens - '0') * 10 + (ones - '0');
  return number >= 1 ? number - 1 : 0;
}

long long trackPointX(int kind, long long column) {
  const long long centre = kSpacing * (column - 512);
  return kind == kRailway ? centre + kHalfSpacing : centre - kHalfSpacing;
}

long long trackPointZ(int kind, long long row) {
  const long long centre = kSpacing * (row - 512);
  return kind == kRiver ? centre - kHalfSpacing : centre + kHalfSpacing;
}

std::string trackRecordText(int kind, std::string_view leadToken, std::span<const TrackSample> points) {
  std::string text;
  text += plainInteger(kind) + ",Type" + kCrLf;
  text += std::string(objectCodeOf(leadToken) == "GMS" ? "2" : "0") + ",Flags" + kCrLf;
  text += "-1,ResourceType" + kCrLf;
  text += plainInteger(destFieldIndex(leadToken)) + ",DestFieldIndex" + kCrLf;
  text += "-1,SourceFieldOrObjectIndex" + kCrLf;
  text += "5280.000000,SrcRadius" + kCrLf;
  text += "5280.000000,DestRadius" + kCrLf;
  text += title(kind, leadToken) + kCrLf;
  text += plainInteger(static_cast<long long>(points.size())) + ",PntCnt" + kCrLf;
  for (const TrackSample& p : points) {
    text += plainInteger(trackPointX(kind, p.column)) + "," + plainInteger(p.elevation) + "," +
            plainInteger(trackPointZ(kind, p.row)) + kCrLf;
  }
  return text;
}

std::vector<TrackRecord> parseTrackRecords(std::string_view text) {
  constexpr std::size_t kHeaderLines = 8;
  const std::vector<std::string_view> lines = splitLines(text);
  std::vector<TrackRecord> tracks;
  std::size_t next = 1;  // the count line is not trusted
  while (next + kHeaderLines < lines.size()) {
    const std::string_view kindLine = lines[next];
    const std::string_view countLine = lines[next + kHeaderLines];
    next += kHeaderLines + 1;
    const double count = std::floor(numericValue(countLine.substr(0, countLine.find(','))));
    TrackRecord track;
    track.title = std::string(lines[next - 2]);
    if (double kind = 0; isWholeDecimalNumber(kindLine.substr(0, kindLine.find(',')), &kind)) {
      kind = std::floor(kind);
      if (kind >= -1 && kind <= kRiver) track.kind = static_cast<int>(kind);
    }
    // A count larger than what is left reads to the end of the file and no further.
    while (static_cast<double>(track.points.size()) < count && next < lines.size())
      track.points.push_back(parsePoint(lines[next++]));
    tracks.push_back(std::move(track));
  }
  return tracks;
}

std::vector<TrackPolyline> parseTrackFile(std::string_view text) {
  std::vector<TrackPolyline> tracks;
  for (TrackRecord& record : parseTrackRecords(text)) tracks.push_back(std::move(record.points));
  return tracks;
}

std::optional<std::vector<TrackRecord>> readTrackRecords(const std::filesystem::path& file, std::string& error) {
  const auto bytes = readWholeFile(file, readLimit::kText, error);
  if (!bytes) return std::nullopt;
  return parseTrackRecords(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
}

std::optional<std::vector<TrackPolyline>> readTrackFile(const std::filesystem::path& file, std::string& error) {
  const auto bytes = readWholeFile(file, readLimit::kText, error);
  if (!bytes) return std::nullopt;
  return parseTrackFile(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
}

}  // namespace quarnby
