#include "maps/make_map.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "maps/map_bitmap.h"
#include "steps/operation_steps.h"
#include "terrain/file_io.h"
#include "terrain/grids.h"
#include "terrain/object_file.h"
#include "terrain/terrain_folder.h"
#include "terrain/track_file.h"

namespace quarnby {
namespace {

enum class MapKind { Colour, Road, ObjectDots };

// The first chosen option decides; with none chosen the colour map is drawn, which is
// also the file name and the palette used then.
MapKind chosenKind(const ParameterSet& params) {
  if (params.option("MapOp1")) return MapKind::Colour;
  if (params.option("MapOp2")) return MapKind::Road;
  if (params.option("MapOp3")) return MapKind::ObjectDots;
  return MapKind::Colour;
}

// The sample of a world position, when it lies on the grid.
struct Sample {
  int row;
  int column;
};
std::optional<Sample> sampleOf(double x, double z) {
  const auto column = worldToIndex(x);
  const auto row = worldToIndex(z);
  if (!column || !row || *column < 0 || *column >= kMapSize || *row < 0 || *row >= kMapSize) return std::nullopt;
  return Sample{static_cast<int>(*row), static_cast<int>(*column)};
}

// The pixel area is filled in file order; the bar moves once per row, to the value it
// has after the row's last pixel.
void reportRow(Context& cx, int r) {
  const long long p = static_cast<long long>(r + 1) * kMapSize - 1;
  cx.host.setProgress(ProgressBar::Bar2, static_cast<int>(100 * (99 + p) / static_cast<long long>(kMapFileBytes)));
}

std::uint8_t colourOf(std::int16_t e, std::uint8_t typeOfCell) {
  if (e == 0) return typeOfCell != 0 ? mapColour::kLowLand : mapColour::kBackground;
  // No band boundary at 4000, 6000 or 8000 feet.
  if (e > 9000) return 7;
  if (e > 7000) return 6;
  if (e > 5000) return 5;
  if (e > 3000) return 4;
  if (e > 2000) return 3;
  if (e > 1000) return 2;
  return mapColour::kLowLand;  // up to 1000 feet, and below sea level
}

void drawColourMap(Context& cx, std::vector<std::uint8_t>& pixels, const ElevationGrid& elev, const CellGrid& types) {
  for (int r = 0; r < kMapSize; ++r) {
    for (int c = 0; c < kMapSize; ++c) {
      const std::int16_t e = elev.at(r, c);
      // The type grid matters only at sea level: water or low land.
      pixels[mapPixel(r, c)] = colourOf(e, e == 0 ? types.at(r / 2, c / 2) : 0);
    }
    reportRow(cx, r);
  }
}

void fillBackground(Context& cx, std::vector<std::uint8_t>& pixels) {
  for (int r = 0; r < kMapSize; ++r) {
    std::fill_n(pixels.begin() + static_cast<std::ptrdiff_t>(mapPixel(r, 0)), kMapSize, mapColour::kBackground);
    reportRow(cx, r);
  }
}

// Only straight runs along a row or a column are drawn, both ends included; the part
// of a run that leaves the grid is left out.
void drawSegment(std::vector<std::uint8_t>& pixels, const TrackPoint& a, const TrackPoint& b) {
  if (!a.isNumber || !b.isNumber) return;
  const auto ca = worldToIndex(a.x), ra = worldToIndex(a.z);
  const auto cb = worldToIndex(b.x), rb = worldToIndex(b.z);
  if (!ca || !ra || !cb || !rb) return;
  const auto run = [&](long long fixed, long long from, long long to, bool alongRow) {
    if (fixed < 0 || fixed >= kMapSize) return;
    const long long lo = std::max(std::min(from, to), 0LL);
    const long long hi = std::min(std::max(from, to), static_cast<long long>(kMapSize - 1));
    for (long long i = lo; i <= hi; ++i)
      pixels[alongRow ? mapPixel(static_cast<int>(fixed), static_cast<int>(i))
                      : mapPixel(static_cast<int>(i), static_cast<int>(fixed))] = mapColour::kTrack;
  };
  if (*ra == *rb && *ca != *cb) run(*ra, *ca, *cb, true);
  else if (*ca == *cb && *ra != *rb) run(*ca, *ra, *rb, false);
  // The same sample twice, or a diagonal pair: nothing.
}

void drawRoads(std::vector<std::uint8_t>& pixels, const std::vector<TrackPolyline>& tracks) {
  // Roads, railways and rivers alike, every point of every track.
  for (const TrackPolyline& track : tracks)
    for (std::size_t i = 1; i < track.size(); ++i) drawSegment(pixels, track[i - 1], track[i]);
}

void drawObjectDots(std::vector<std::uint8_t>& pixels, std::string_view objects) {
  constexpr int kGunSite = 1, kTown = 2;  // positions of "GMS" and "TWN" in the code table
  ObjectFileReader reader(objects, ObjectFileReader::Mode::Field, kObjectCodes, 4);
  while (const auto record = reader.next()) {
    const auto x = record->number(2);
    const auto z = record->number(4);
    if (!x || !z) continue;  // no position, no dot
    const auto sample = sampleOf(std::floor(*x), std::floor(*z));
    if (!sample) continue;
    // A later object on the same sample covers an earlier one.
    pixels[mapPixel(sample->row, sample->column)] = record->codeIndex == kGunSite ? mapColour::kGunSite
                                                    : record->codeIndex == kTown  ? mapColour::kHighest
                                                                                  : mapColour::kObject;
  }
}

}  // namespace

Outcome Command3_Click(Context& cx) {
  cx.host.setProgress(ProgressBar::Bar2, 0);
  if (!checkTerrainFolder(cx)) return Outcome::EndedEarly;
  const MapKind kind = chosenKind(cx.params);
  const auto imageFile = terrainFile(cx.folder, kind == MapKind::Road         ? suffix::kRoadMap
                                                : kind == MapKind::ObjectDots ? suffix::kObjectDots
                                                                              : suffix::kColourMap);
  std::string error;
  const auto elevationFile = terrainFile(cx.folder, suffix::kElevation);
  const auto elevation = ElevationGrid::load(elevationFile, error);
  if (!elevation)
    return reportInputFailure(cx.host, "Can't open the Elevation File:", elevationFile, error, {.lineBreak = kCr});
  const auto typeFile = terrainFile(cx.folder, suffix::kType);
  const auto types = CellGrid::load(typeFile, error);
  if (!types) return reportInputFailure(cx.host, "Can't open the Type File:", typeFile, error, {.lineBreak = kCr});
  // The image replaces the old one only when it is complete, so a run that stops at any
  // step leaves the previous image as it was.
  auto image = SafeFile::create(imageFile, error);
  if (!image) return reportFileFailure(cx.host, "Can't open the map File:", imageFile, error, {.lineBreak = kCr});
  std::vector<TrackPolyline> tracks;
  std::string objects;
  if (kind == MapKind::Road) {
    const auto trackFile = terrainFile(cx.folder, suffix::kTracks);
    auto read = readTrackFile(trackFile, error);
    if (!read) return reportInputFailure(cx.host, "Can't open the Type File:", trackFile, error, {.lineBreak = kCr});
    tracks = std::move(*read);
  } else if (kind == MapKind::ObjectDots) {
    const auto objectFile = terrainFile(cx.folder, suffix::kObjects);
    auto read = readObjectFile(objectFile, error);
    if (!read) return reportInputFailure(cx.host, "Can't open the Type File:", objectFile, error, {.lineBreak = kCr});
    objects = std::move(*read);
  }

  std::vector<std::uint8_t> pixels(kMapPixelCount, mapColour::kBackground);
  switch (kind) {
    case MapKind::Colour: drawColourMap(cx, pixels, *elevation, *types); break;
    case MapKind::Road:
      fillBackground(cx, pixels);
      drawRoads(pixels, tracks);
      break;
    case MapKind::ObjectDots:
      fillBackground(cx, pixels);
      drawObjectDots(pixels, objects);
      break;
  }

  image->write(mapBitmapFile(kind != MapKind::Colour, pixels));
  if (auto failed = image->commit())
    return reportFileFailure(cx.host, "Can't write the map File:", imageFile, *failed,
                             {.lineBreak = kCr, .closingLine = "The previous map was left unchanged."});
  cx.host.setProgress(ProgressBar::Bar2, 100);
  cx.host.showMessage("Done", Icon::Information);
  return Outcome::Completed;
}

}  // namespace quarnby
