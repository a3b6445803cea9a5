#include "elevation/terragen_import.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <vector>

#include "core/number_text.h"
#include "core/rounding.h"
#include "elevation/import_common.h"
#include "steps/operation_steps.h"
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

  // Feet per unit of (u^e - s^e). Sea level at the Max Units gives none: most often the
  // Max Units were never found, and an all-sea grid would replace the user's terrain.
  if (seaUnits == maxUnits) {
    cx.host.setFocus("slUnits");
    cx.host.showMessage("The SL units equal the Max Units (" + numberText(maxUnits) +
                            "), so they give no scale from units to feet." + kCrLf +
                            "Run Find Units first, or set the SL units below the Max Units.",
                        Icon::Critical);
    return Outcome::EndedEarly;
  }
  const double k = maxAlt / (std::pow(maxUnits, exponent) - seaPower);
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
  if (!output) return reportFileFailure(cx.host, "Can't open the Elevation File:", gridPath, error);

  // Units below t are smoothed with their neighbours; within w of t the cell itself
  // weighs three times.
  float t = k == 0 ? 0.0f : static_cast<float>(std::pow(smoothBelow / k, 1.0 / exponent));
  if (std::isnan(t) || t < seaUnits) t = 0.0f;
  const double w = std::pow(500.0 / k, 1.0 / exponent);
  HighestCell highest{clampToInt16(maxAlt / 1.5)};
  cx.host.setProgress(ProgressBar::Bar1, 5);

  const ImportWindow window(cx.params.option("MapSize256"));
  const bool mirror = cx.params.switchValue("InvFileOrder") == 1;

  // Feet above the sea of a height in units.
  auto feet = [&](double units) { return (std::pow(units, exponent) - seaPower) * k; };
  // A cell below the sea is 0; above t it is converted directly; otherwise it is smoothed
  // with its neighbours east, north-east and north, the cell weighing three times within
  // w of t. Then the fade of the map's edge.
  auto cellFeet = [&](int z0, int z1, int z2, int z3, double fr, float fc) {
    const double u = field->units(z0);
    if (u < seaUnits) return 0.0;
    if (u > t) return feet(u) * fr * fc;
    const double a = u > t - w ? (3.0 * z0 + z1 + z2 + z3) / 6.0 : (z0 + z1 + z2 + z3) / 4.0;
    return feet(field->units(a)) * fr * fc;
  };

  // Where nothing is faded (factors of exactly 1 leave the feet as they are), a cell's
  // elevation depends only on its own sample, or, when smoothed, on the whole-number sum
  // 3 z0 + z1 + z2 + z3 (over 6) or z0 + z1 + z2 + z3 (over 4); each is worked out once.
  constexpr std::int16_t kWeighted = -2, kPlain = -3;
  auto bySample = [&](int z0) {
    const double u = field->units(z0);
    if (u < seaUnits) return importedElevation(0.0);
    if (u > t) return importedElevation(feet(u));
    return u > t - w ? kWeighted : kPlain;
  };
  auto byWeightedSum = [&](int sum) { return importedElevation(feet(field->units(sum / 6.0))); };
  auto byPlainSum = [&](int sum) { return importedElevation(feet(field->units(sum / 4.0))); };

  // The raw samples the window reads, its smoothing neighbours included, bound the tables.
  std::array<std::int16_t, TerragenFile::kPoints> row, above;
  std::int16_t lowest = INT16_MAX, highestRaw = INT16_MIN;
  for (int r = window.first; r <= window.last + 1; ++r) {
    field->rawRow(r, row);
    for (int c = window.first; c <= window.last + 1; ++c) {
      lowest = std::min(lowest, row[c]);
      highestRaw = std::max(highestRaw, row[c]);
    }
  }
  // A terrain's samples fill most of the range between its lowest and highest, so what each
  // sample gives (an elevation, or the kind of smoothing) is worked out beforehand.
  std::vector<std::int16_t> ofSample(static_cast<std::size_t>(highestRaw - lowest + 1));
  for (int z = lowest; z <= highestRaw; ++z) ofSample[static_cast<std::size_t>(z - lowest)] = bySample(z);
  ElevationMemo ofWeightedSum(6 * lowest, 6 * highestRaw);
  ElevationMemo ofPlainSum(4 * lowest, 4 * highestRaw);

  // The column factors of the rows that are not faded themselves.
  std::array<float, kElevSize> columnFactors{};
  for (int c = window.first; c <= window.last; ++c) columnFactors[c] = window.columnFactor(1.0, c);

  writeImportRows(*output, window, mirror, cx.host, [&](int r, std::array<std::int16_t, kElevSize>& elevations) {
    field->rawRow(r, row);
    field->rawRow(r + 1, above);
    const double fr = window.rowFactor(r);
    const bool wholeRow = fr == 1.0;
    for (int c = window.first; c <= window.last; ++c) {
      const float fc = wholeRow ? columnFactors[c] : window.columnFactor(fr, c);
      const int z0 = row[c], z1 = row[c + 1], z2 = above[c + 1], z3 = above[c];
      std::int16_t elevation = 0;
      if (wholeRow && fc == 1.0f) {
        elevation = ofSample[static_cast<std::size_t>(z0 - lowest)];
        if (elevation == kWeighted) elevation = ofWeightedSum.get(3 * z0 + z1 + z2 + z3, byWeightedSum);
        if (elevation == kPlain) elevation = ofPlainSum.get(z0 + z1 + z2 + z3, byPlainSum);
      } else {
        elevation = importedElevation(cellFeet(z0, z1, z2, z3, fr, fc));
      }
      elevations[c] = elevation;
      highest.offer(elevation, r, c);
    }
  });

  if (auto failed = output->commit())
    return reportFileFailure(cx.host, "Can't write the Elevation File:", gridPath, *failed);
  cx.host.showMessage(maximumReport(highest.value, highest.row, highest.column, 0.04), Icon::Information);
  return Outcome::Completed;
}

}  // namespace quarnby
