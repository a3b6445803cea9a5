#include "elevation/greyscale_import.h"

#include <cmath>

#include "core/number_text.h"
#include "core/rounding.h"
#include "elevation/import_common.h"
#include "terrain/terrain_folder.h"

namespace quarnby {

using namespace elevation;

Outcome SetElvGrey_Click(Context& cx) {
  cx.host.setProgress(ProgressBar::Bar1, 0);
  if (!checkTerrainFolder(cx)) return Outcome::EndedEarly;
  const auto bitmapPath = terrainFile(cx.folder, suffix::kGreyscale);
  const auto gridPath = terrainFile(cx.folder, suffix::kElevation);

  const auto bitmap = openGreyscale(cx, bitmapPath, "Can't open the greyscale File:");
  if (!bitmap) return Outcome::EndedEarly;
  std::string error;
  auto output = SafeFile::create(gridPath, error);
  if (!output) {
    cx.host.showMessage(fileMessage("Can't open the Elevation File:", gridPath, error), Icon::Critical);
    return Outcome::EndedEarly;
  }

  const double maxAlt = cx.params.number("MaxAlt");
  const std::int16_t smoothBelow = clampToInt16(cx.params.number("MaxSmothAlt"));
  const double maxGrey = cx.params.number("maxUbmp");
  const double seaGrey = cx.params.number("slUnitsBmp");
  const double exponent = cx.params.number("unitExp");
  const bool preserveZeros = cx.params.switchValue("PreserveZeros") != 0;
  if (maxGrey == seaGrey) {
    // Every grey level would map to an infinite or undefined height.
    cx.host.setFocus("slUnitsBmp");
    cx.host.showMessage("The SL grey level must differ from the Max grey level (both are " +
                            numberText(maxGrey) + "); run Find Units or change the SL grey level." + kCrLf +
                            "The Elevation File was not changed.",
                        Icon::Critical);
    return Outcome::EndedEarly;
  }

  auto feetOfGrey = [&](double g) { return maxAlt * std::pow((g - seaGrey) / (maxGrey - seaGrey), exponent); };
  // Grey levels up to gs are smoothed; gs is the grey level of the Smooth Below altitude.
  float gs = 255.0f;
  if (!(smoothBelow > maxAlt)) {
    gs = static_cast<float>(
        seaGrey + std::pow(smoothBelow * std::pow(maxGrey - seaGrey, exponent) / maxAlt, 1.0 / exponent));
    if (std::isnan(gs) || gs < seaGrey) gs = 0.0f;
  }
  const bool weightCentre = smoothBelow < maxAlt;
  int maximum = clampToInt16(maxAlt / 1.75);
  int maxRow = 0, maxColumn = 0;
  cx.host.setProgress(ProgressBar::Bar1, 5);

  const ImportWindow window(cx.params.option("MapSize256"));
  ElevationGrid grid;
  if (window.size256) writeZeroBorder(grid, false, cx.host);

  static constexpr int kNeighbours[8][2] = {{0, 1}, {-1, 1}, {1, 0}, {1, 1}, {1, -1}, {0, -1}, {-1, -1}, {-1, 0}};
  for (int r = window.first; r <= window.last; ++r) {
    const double fr = window.rowFactor(r);
    for (int c = window.first; c <= window.last; ++c) {
      const float fc = window.columnFactor(fr, c);
      const int p0 = bitmap->pixel(r, c);
      double e = 0.0;
      if (p0 < seaGrey || (preserveZeros && p0 == 0)) {
        e = 0.0;
      } else if (p0 > gs) {
        e = (feetOfGrey(p0) * fr) * fc;
      } else {
        // The 3 x 3 neighbourhood within the picture's bounds.
        int sum = 0, n = 1;
        for (const auto& [dr, dc] : kNeighbours) {
          const int nr = r + dr, nc = c + dc;
          if (nr < 0 || nr > 1023 || nc < 0 || nc > 1023) continue;
          sum += bitmap->pixel(nr, nc);
          ++n;
        }
        const double g = p0 > 0.95 * gs && weightCentre ? (3.0 * p0 + sum) / (n + 2) : static_cast<double>(p0 + sum) / n;
        e = (feetOfGrey(g) * fr) * fc;
      }
      const std::int16_t elevation = importedElevation(e);
      if (elevation > maximum) {
        maximum = elevation;
        maxRow = r;
        maxColumn = c;
      }
      grid.set(r, c, elevation);
    }
    cx.host.setProgress(ProgressBar::Bar1, rowProgress(r, window.last));
  }

  if (!saveElevationGrid(cx, *output, grid, gridPath)) return Outcome::EndedEarly;
  cx.host.showMessage(maximumReport(maximum, maxRow, maxColumn, 0.02), Icon::Information);
  return Outcome::Completed;
}

}  // namespace quarnby
