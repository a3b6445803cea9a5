#include "elevation/terragen_import.h"

#include <cmath>

#include "core/rounding.h"
#include "elevation/import_common.h"
#include "terrain/terrain_folder.h"

namespace quarnby {

using namespace elevation;

Outcome SetElv_Click(Context& cx) {
  cx.host.setProgress(ProgressBar::Bar1, 0);
  if (!checkTerrainFolder(cx)) return Outcome::EndedEarly;
  const auto fieldPath = terrainFile(cx.folder, suffix::kTerragen);
  const auto gridPath = terrainFile(cx.folder, suffix::kElevation);

  const auto field = openTerragen(cx, fieldPath);
  if (!field) return Outcome::EndedEarly;

  const double maxAlt = cx.params.number("MaxAlt");
  const std::int16_t smoothBelow = clampToInt16(cx.params.number("MaxSmothAlt"));
  const double maxUnits = cx.params.number("MaxUnits");
  const double seaUnits = cx.params.number("slUnits");
  const double exponent = cx.params.number("unitExp");
  const double seaPower = std::pow(seaUnits, exponent);

  // Feet per unit of (u^e - s^e); sea level at the Max Units leaves every cell at sea level.
  const double k = seaUnits != maxUnits ? maxAlt / (std::pow(maxUnits, exponent) - seaPower) : 0.0;
  if (k < 0) {
    cx.host.setFocus("slUnits");
    cx.host.showMessage("The SL units must be less then the Max Units.", Icon::Critical);
    return Outcome::EndedEarly;
  }
  if (!std::isfinite(k)) {
    cx.host.setFocus("slUnits");
    cx.host.showMessage("The SL units and the Max Units give no scale from units to feet with the exponent " +
                            cx.params.text("unitExp") + ".",
                        Icon::Critical);
    return Outcome::EndedEarly;
  }

  std::string error;
  auto output = SafeFile::create(gridPath, error);
  if (!output) {
    cx.host.showMessage(fileMessage("Can't open the Elevation File:", gridPath, error), Icon::Critical);
    return Outcome::EndedEarly;
  }

  // Units below t are smoothed with their neighbours; within w of t the cell itself
  // weighs three times.
  float t = k == 0 ? 0.0f : static_cast<float>(std::pow(smoothBelow / k, 1.0 / exponent));
  if (std::isnan(t) || t < seaUnits) t = 0.0f;
  const double w = std::pow(500.0 / k, 1.0 / exponent);
  int maximum = clampToInt16(maxAlt / 1.5);
  int maxRow = 0, maxColumn = 0;
  cx.host.setProgress(ProgressBar::Bar1, 5);

  const ImportWindow window(cx.params.option("MapSize256"));
  const bool mirror = cx.params.switchValue("InvFileOrder") == 1;
  ElevationGrid grid;
  if (window.size256) writeZeroBorder(grid, mirror, cx.host);

  auto feet = [&](double units, double rowFactor, float columnFactor) {
    return ((std::pow(units, exponent) - seaPower) * k) * rowFactor * columnFactor;
  };
  for (int r = window.first; r <= window.last; ++r) {
    const double fr = window.rowFactor(r);
    for (int c = window.first; c <= window.last; ++c) {
      const float fc = window.columnFactor(fr, c);
      const int z0 = field->rawSample(r, c);
      const double u = field->units(z0);
      double e = 0.0;
      if (u < seaUnits) {
        e = 0.0;
      } else if (u > t) {
        e = feet(u, fr, fc);
      } else {
        const int z1 = field->rawSample(r, c + 1);
        const int z2 = field->rawSample(r + 1, c + 1);
        const int z3 = field->rawSample(r + 1, c);
        const double a = u > t - w ? (3.0 * z0 + z1 + z2 + z3) / 6.0 : (z0 + z1 + z2 + z3) / 4.0;
        e = feet(field->units(a), fr, fc);
      }
      const std::int16_t elevation = importedElevation(e);
      grid.set(mirror ? 1023 - r : r, c, elevation);
      if (elevation > maximum) {
        maximum = elevation;
        maxRow = r;
        maxColumn = c;
      }
    }
    cx.host.setProgress(ProgressBar::Bar1, rowProgress(r, window.last));
  }

  if (!saveElevationGrid(cx, *output, grid, gridPath)) return Outcome::EndedEarly;
  cx.host.showMessage(maximumReport(maximum, maxRow, maxColumn, 0.04), Icon::Information);
  return Outcome::Completed;
}

}  // namespace quarnby
