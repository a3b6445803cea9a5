#include "elevation/range_finders.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstdint>

#include "core/number_text.h"
#include "core/progress.h"
#include "elevation/import_common.h"
#include "steps/operation_steps.h"
#include "terrain/terrain_folder.h"

namespace quarnby {

using namespace elevation;

namespace {

// The scan covers the whole grid for the 512-mile map, otherwise rows and columns
// 256..768 around the centre.
struct ScanArea {
  int first;
  int last;
};
ScanArea scanArea(bool mapSize512) { return mapSize512 ? ScanArea{0, 1023} : ScanArea{256, 768}; }

}  // namespace

UnitRange elevation::findUnitRange(const TerragenFile& field, bool mapSize512, ProgressSteps* progress) {
  // The starting values take part: heights all above 10000 leave the minimum at 10000.
  float maximum = -10000.0f;
  float minimum = 10000.0f;
  auto take = [&](float x) {
    if (x > maximum) maximum = x;
    if (x < minimum) minimum = x;
  };
  // A height is the raw value scaled and shifted, exactly, then rounded to single
  // precision: it never falls as the raw value rises (or never rises, for a negative
  // scale), so the extreme heights are those of the extreme raw values.
  const ScanArea area = scanArea(mapSize512);
  std::array<std::int16_t, TerragenFile::kPoints> row;
  std::int16_t lowest = INT16_MAX, highest = INT16_MIN;
  for (int r = area.first; r <= area.last; ++r) {
    field.rawRow(r, row);
    for (int c = area.first; c <= area.last; ++c) {
      lowest = std::min(lowest, row[c]);
      highest = std::max(highest, row[c]);
    }
    if (progress) progress->set(rowProgress(r, area.last));
  }
  take(static_cast<float>(field.units(lowest)));
  take(static_cast<float>(field.units(highest)));

  auto threeDecimals = [](float x) { return std::floor(static_cast<double>(x) * 1000.0 + 0.5) / 1000.0; };
  return {threeDecimals(maximum), threeDecimals(minimum)};
}

Outcome FindMaxMinUnits_Click(Context& cx) {
  cx.host.setProgress(ProgressBar::Bar1, 0);
  if (!checkTerrainFolder(cx)) return Outcome::EndedEarly;
  const auto fieldPath = terrainFile(cx.folder, suffix::kTerragen);
  const auto field = openTerragen(cx, fieldPath);
  if (!field) return Outcome::EndedEarly;

  ProgressSteps progress(cx.host, ProgressBar::Bar1, 0);
  const UnitRange range = findUnitRange(*field, cx.params.option("MapSize512"), &progress);
  cx.params.setText("MaxUnits", signedNumberText(range.maximum));
  cx.params.setText("MinUnits", signedNumberText(range.minimum));
  cx.host.setProgress(ProgressBar::Bar1, 100);
  cx.host.showMessage("Done", Icon::Information);
  return Outcome::Completed;
}

Outcome FindMaxMinUnitsBmp_Click(Context& cx) {
  cx.host.setProgress(ProgressBar::Bar1, 0);
  if (!checkTerrainFolder(cx)) return Outcome::EndedEarly;
  const auto bitmapPath = terrainFile(cx.folder, suffix::kGreyscale);
  const auto bitmap = openGreyscale(cx, bitmapPath, "Can't open the Greyscale File:");
  if (!bitmap) return Outcome::EndedEarly;

  const ScanArea area = scanArea(cx.params.option("MapSize512"));
  ProgressSteps progress(cx.host, ProgressBar::Bar1, 0);
  std::array<std::uint8_t, kGreyscaleSize> row;
  std::uint8_t darkest = UINT8_MAX, brightest = 0;
  for (int r = area.first; r <= area.last; ++r) {
    bitmap->pixelRow(r, row);
    for (int c = area.first; c <= area.last; ++c) {
      darkest = std::min(darkest, row[c]);
      brightest = std::max(brightest, row[c]);
    }
    progress.set(rowProgress(r, area.last));
  }
  // The starting values -10000 and 10000 lie beyond every grey level.
  const int maximum = std::max(-10000, static_cast<int>(brightest));
  const int minimum = std::min(10000, static_cast<int>(darkest));

  cx.params.setText("maxUbmp", signedNumberText(maximum));
  cx.params.setText("minUbmp", signedNumberText(minimum));
  cx.host.setProgress(ProgressBar::Bar1, 100);
  cx.host.showMessage("Done", Icon::Information);
  return Outcome::Completed;
}

}  // namespace quarnby
