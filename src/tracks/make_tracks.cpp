#include "tracks/make_tracks.h"

#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "core/number_text.h"
#include "core/rounding.h"
#include "steps/operation_steps.h"
#include "terrain/file_io.h"
#include "terrain/grids.h"
#include "terrain/object_file.h"
#include "terrain/terrain_folder.h"
#include "terrain/track_file.h"
#include "tracks/step_search.h"

namespace quarnby {
namespace {

// The search keeps 13 positions, steps 0 to 12.
constexpr int kMostSteps = 12;
constexpr std::size_t kMostSlots = 257;

enum CodeEntry { kHqtEntry = 0, kGmsEntry = 1, kSupersedingEntry = 2 };
constexpr int kSuperseded = -1;

// The object codes with towns and cities taken out: "ZZZ" is carried by no record.
constexpr std::array<std::string_view, 9> kTrackCodes = {"HQT", "GMS", "ZZZ", "ZZZ", "AAF", "AMF", "BAF", "FUF", "RDF"};

struct DistanceBox {
  const char* control;
  const char* label;
  int most;  // GMS roads search one step beyond their distance
};
constexpr DistanceBox kDistanceBoxes[3] = {
    {"LenRoad", "Convoys", kMostSteps - 1}, {"LenTrack", "Trains", kMostSteps}, {"LenRiver", "Bargges", kMostSteps}};

// Every box is checked and every bad one named, in turn; true when all three are good.
bool checkDistances(Context& cx) {
  bool good = true;
  for (const DistanceBox& box : kDistanceBoxes) {
    const double value = cx.params.number(box.control);
    std::string reason;
    if (cx.params.text(box.control).empty() || !(value > 0)) reason = "All distances must be greater than 0.";
    else if (value != std::floor(value) || value > box.most)
      reason = std::string("The distance for ") + box.label + " must be a whole number from 1 to " +
               plainInteger(box.most) + ".";
    if (reason.empty()) continue;
    cx.host.setFocus(box.control);
    cx.host.showMessage("Please set the track's distance." + kCrLf + reason, Icon::Information);
    good = false;
  }
  return good;
}

struct Objects {
  std::vector<TrackObject> slots;
  HqTable hqs;
  long long trackCount = 0;
  long long skipped = 0;  // objects without a position on the map
  bool tooMany = false;   // more than kMostSlots objects qualified
};

std::string upperCase(std::string text) {
  for (char& ch : text)
    if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 'a' + 'A');
  return text;
}

// The side of field 17: not a number counts as 0; sides 3 to 5 are sides 0 to 2 again.
int sideOf(const ObjectRecord& record) {
  const double value = record.number(17).value_or(0.0);
  // Far outside 0..3 a side has no HQ whatever its exact value.
  long long side = std::fabs(value) < 1e6 ? static_cast<long long>(roundHalfEven(value)) : -1;
  if (side > 2) side -= 3;
  return side >= 0 && side <= 3 ? static_cast<int>(side) : -1;
}

// The earlier GMS object of the same prefix gives up its track to the current one. Only
// the latest such object is looked at; one given up before is not counted twice.
void supersede(Objects& objects) {
  const std::string wanted = objects.slots.back().leadToken.substr(0, 3) + "GMS";
  for (std::size_t j = objects.slots.size() - 1; j-- > 0;) {
    TrackObject& earlier = objects.slots[j];
    if (earlier.leadToken.substr(0, 6) != wanted) continue;
    if (earlier.kind != kSuperseded) {
      earlier.kind = kSuperseded;
      --objects.trackCount;
    }
    return;
  }
}

// The column (from X) or row (from Z) of a position in feet; nothing off the grid.
std::optional<long long> indexOnGrid(std::optional<double> feet) {
  if (!feet) return std::nullopt;
  const auto index = worldToIndex(*feet);
  if (!index || *index < 0 || *index >= kElevSize) return std::nullopt;
  return index;
}

Objects readObjects(std::string_view text) {
  Objects objects;
  ObjectFileReader reader(text, ObjectFileReader::Mode::Field, kTrackCodes, 17);
  while (auto record = reader.next()) {
    const auto column = indexOnGrid(record->number(2));
    const auto row = indexOnGrid(record->number(4));
    if (!column || !row) {
      ++objects.skipped;
      continue;
    }
    if (objects.slots.size() == kMostSlots) {
      objects.tooMany = true;
      break;
    }

    TrackObject object{record->leadToken, sideOf(*record), ElevPos(*row, *column), kRailway};
    const std::string site = upperCase(record->field(1));
    bool supersedes = false;
    if (record->codeIndex == kHqtEntry) {
      if (object.side >= 0 && object.side <= 3) objects.hqs[static_cast<std::size_t>(object.side)] = {*column, *row};
    } else if (record->codeIndex == kGmsEntry) {
      object.kind = site.starts_with("PORT") ? kRiver : kRoad;
      supersedes = site.starts_with("TOWN");
    } else if (record->codeIndex == kSupersedingEntry) {
      object.kind = kRoad;
      supersedes = true;
    }
    objects.slots.push_back(std::move(object));
    ++objects.trackCount;
    if (supersedes) supersede(objects);
  }
  return objects;
}

}  // namespace

Outcome MakeTracks_Click(Context& cx) {
  cx.host.setProgress(ProgressBar::Bar3, 0);
  if (!checkTerrainFolder(cx)) return Outcome::EndedEarly;
  const auto objectFile = terrainFile(cx.folder, suffix::kObjects);
  const auto elevationFile = terrainFile(cx.folder, suffix::kElevation);
  const auto typeFile = terrainFile(cx.folder, suffix::kType);
  const auto trackFile = terrainFile(cx.folder, suffix::kTracks);

  if (!checkDistances(cx)) return Outcome::EndedEarly;
  int distance[3];
  for (int kind = 0; kind < 3; ++kind)
    distance[kind] = static_cast<int>(cx.params.number(kDistanceBoxes[kind].control));

  std::string error;
  const auto objectText = readObjectFile(objectFile, error);
  if (!objectText) return reportInputFailure(cx.host, "Can't open the file:", objectFile, error, {.lineBreak = kCr});
  const Objects objects = readObjects(*objectText);
  if (objects.tooMany) {
    cx.host.showMessage("The object file holds more than " + plainInteger(kMostSlots) +
                            " objects that require tracks." + kCrLf + "No track file was written.",
                        Icon::Critical);
    return Outcome::EndedEarly;
  }

  const auto elevation = ElevationGrid::load(elevationFile, error);
  if (!elevation)
    return reportInputFailure(cx.host, "Can't open the Elevation File:", elevationFile, error, {.lineBreak = kCr});
  const auto types = CellGrid::load(typeFile, error);
  if (!types) return reportInputFailure(cx.host, "Can't open the Type File:", typeFile, error, {.lineBreak = kCr});
  auto out = SafeFile::create(trackFile, error);
  if (!out) return reportFileFailure(cx.host, "Can't open the output File:", trackFile, error, {.lineBreak = kCr});

  std::vector<long long> objectSamples;
  for (const TrackObject& object : objects.slots) objectSamples.push_back(object.elevPos);

  out->write(trackCountLine(objects.trackCount));
  const std::size_t lastSlot = objects.slots.empty() ? 0 : objects.slots.size() - 1;
  for (std::size_t i = 0; i < objects.slots.size(); ++i) {
    const TrackObject& object = objects.slots[i];
    if (object.kind != kSuperseded) {
      const int written = distance[object.kind];
      const bool gmsRoad = object.kind == kRoad && objectCodeOf(object.leadToken) == "GMS";
      const TrackWalk walk =
          walkTrack(object, written + (gmsRoad ? 1 : 0), objects.hqs, objectSamples, *elevation, *types);
      if (walk.deadEnd)
        cx.host.showMessage(
            "No suitable path found for " + object.leadToken + "." + kCrLf + "Will need to check this track manually.",
            Icon::Information);
      std::vector<TrackSample> points;
      for (long long p : trackPoints(walk, written))
        points.push_back({columnOfElevPos(p), rowOfElevPos(p), elevation->atPos(p)});
      out->write(trackRecordText(object.kind, object.leadToken, points));
    }
    if (lastSlot > 0) cx.host.setProgress(ProgressBar::Bar3, static_cast<int>(100 * i / lastSlot));
  }
  if (const auto failed = out->commit())
    return reportFileFailure(cx.host, "Can't write the output File:", trackFile, *failed, {.lineBreak = kCr});

  cx.host.setProgress(ProgressBar::Bar3, 100);
  std::string done = "Done" + kCrLf + "There where " + plainInteger(static_cast<long long>(objects.slots.size())) +
                     " objects that required " + plainInteger(objects.trackCount) + " track(s)." + kCrLf +
                     "Use the Redo Objects button in the Roads Tab in the TE.";
  if (objects.skipped > 0)
    done += kCrLf + "Skipped " + plainInteger(objects.skipped) + " objects without a position on the map.";
  cx.host.showMessage(done, Icon::Information);
  return Outcome::Completed;
}

}  // namespace quarnby
