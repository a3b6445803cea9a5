#include "elevation/range_finders.h"

#include <cmath>
#include <cstdint>

#include "core/number_text.h"
#include "elevation/import_common.h"
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
ScanArea scanArea(const ParameterSet& params) {
  return params.option("MapSize512") ? ScanArea{0, 1023} : ScanArea{256, 768};
}

}  // namespace

Outcome FindMaxMinUnits_Click(Context& cx) {
  cx.host.setProgress(ProgressBar::Bar1, 0);
  if (!checkTerrainFolder(cx)) return Outcome::EndedEarly;
  const auto fieldPath = terrainFile(cx.folder, suffix::kTerragen);
  const auto field = openTerragen(cx, fieldPath);
  if (!field) return Outcome::EndedEarly;

  // The starting values take part: heights all above 10000 leave the minimum at 10000.
  float maximum = -10000.0f;
  float minimum = 10000.0f;
  const ScanArea area = scanArea(cx.params);
  for (int r = area.first; r <= area.last; ++r) {
    for (int c = area.first; c <= area.last; ++c) {
      const auto x = static_cast<float>(field->units(field->rawSample(r, c)));
      if (x > maximum) maximum = x;
      if (x < minimum) minimum = x;
    }
    cx.host.setProgress(ProgressBar::Bar1, rowProgress(r, area.last));
  }

  auto threeDecimals = [](float x) { return std::floor(static_cast<double>(x) * 1000.0 + 0.5) / 1000.0; };
  cx.params.setText("MaxUnits", signedNumberText(threeDecimals(maximum)));
  cx.params.setText("MinUnits", signedNumberText(threeDecimals(minimum)));
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

  int maximum = -10000;
  int minimum = 10000;
  const ScanArea area = scanArea(cx.params);
  for (int r = area.first; r <= area.last; ++r) {
    for (int c = area.first; c <= area.last; ++c) {
      const int x = bitmap->pixel(r, c);
      if (x > maximum) maximum = x;
      if (x < minimum) minimum = x;
    }
    cx.host.setProgress(ProgressBar::Bar1, rowProgress(r, area.last));
  }

  cx.params.setText("maxUbmp", signedNumberText(maximum));
  cx.params.setText("minUbmp", signedNumberText(minimum));
  cx.host.setProgress(ProgressBar::Bar1, 100);
  cx.host.showMessage("Done", Icon::Information);
  return Outcome::Completed;
}

}  // namespace quarnby
