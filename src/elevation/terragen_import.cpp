#include "elevation/terragen_import.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/number_text.h"
#include "core/rounding.h"
#include "elevation/import_common.h"
#include "steps/operation_steps.h"
#include "terrain/terrain_folder.h"

namespace quarnby {

using namespace elevation;

namespace {

// The window's scale from the height field's units to feet.
struct UnitScale {
  double maxAlt;
  std::int16_t smoothBelow;
  double maxUnits;
  double seaUnits;
  double exponent;
  double seaPower;
};

UnitScale readUnitScale(const Context& cx) {
  UnitScale s{};
  s.maxAlt = cx.params.number("MaxAlt");
  s.smoothBelow = clampToInt16(cx.params.number("MaxSmothAlt"));
  s.maxUnits = cx.params.number("MaxUnits");
  s.seaUnits = cx.params.number("slUnits");
  s.exponent = cx.params.number("unitExp");
  s.seaPower = std::pow(s.seaUnits, s.exponent);
  return s;
}

// Feet per unit of (u^e - s^e), or nothing after telling the user why there is none, with
// the focus on the field to mend. Only a finite scale above 0 gives heights: one of 0 of
// either sign would write nothing but sea. Sea level at the Max Units most often means the
// Max Units were never found.
std::optional<double> feetPerUnit(Context& cx, const UnitScale& s) {
  auto refuse = [&](const char* control, const std::string& why) -> std::optional<double> {
    cx.host.setFocus(control);
    cx.host.showMessage(why, Icon::Critical);
    return std::nullopt;
  };
  if (s.seaUnits == s.maxUnits)
    return refuse("slUnits", "The SL units equal the Max Units (" + numberText(s.maxUnits) +
                                 "), so they give no scale from units to feet." + kCrLf +
                                 "Run Find Units first, or set the SL units below the Max Units.");
  const double maxPower = std::pow(s.maxUnits, s.exponent);
  const double k = s.maxAlt / (maxPower - s.seaPower);
  if (k > 0 && std::isfinite(k)) return k;

  const std::string exponent = cx.params.text("unitExp");
  if (!(s.maxAlt > 0))
    return refuse("MaxAlt", "Max Alt (" + cx.params.text("MaxAlt") +
                                ") must be above 0: it is the height in feet of the Max Units.");
  if (s.exponent == 0)
    return refuse("unitExp", "The exponent unit^ (" + exponent +
                                 ") reads as 0, so the SL units and the Max Units would give the same height.");
  if (s.exponent < 0)
    return refuse("unitExp",
                  "The exponent unit^ (" + exponent + ") must be above 0, or higher units give lower ground.");
  if (std::isinf(maxPower))
    return refuse("unitExp", "The Max Units to the power unit^ (" + exponent +
                                 ") are too large to give a scale from units to feet.");
  if (s.seaUnits > s.maxUnits) return refuse("slUnits", "The SL units must be less then the Max Units.");
  return refuse("slUnits",
                "The SL units and the Max Units give no scale from units to feet with the exponent " + exponent + ".");
}

// The rule for one cell. Units below t are smoothed with their neighbours; within w of t
// the cell itself weighs three times.
class CellRule {
 public:
  CellRule(const TerragenFile& field, const UnitScale& s, double k) : field_(field), s_(s), k_(k) {
    t_ = k == 0 ? 0.0f : static_cast<float>(std::pow(s.smoothBelow / k, 1.0 / s.exponent));
    if (std::isnan(t_) || t_ < s.seaUnits) t_ = 0.0f;
    w_ = std::pow(500.0 / k, 1.0 / s.exponent);
  }

  // Feet above the sea of a height in units.
  double feet(double units) const { return (std::pow(units, s_.exponent) - s_.seaPower) * k_; }

  // A cell below the sea is 0; above t it is converted directly; otherwise it is smoothed
  // with its neighbours east, north-east and north, the cell weighing three times within
  // w of t. Then the fade of the map's edge.
  double cellFeet(int z0, int z1, int z2, int z3, double fr, float fc) const {
    const double u = field_.units(z0);
    if (u < s_.seaUnits) return 0.0;
    if (u > t_) return feet(u) * fr * fc;
    const double a = u > t_ - w_ ? (3.0 * z0 + z1 + z2 + z3) / 6.0 : (z0 + z1 + z2 + z3) / 4.0;
    return feet(field_.units(a)) * fr * fc;
  }

  // Where nothing is faded (factors of exactly 1 leave the feet as they are), a cell's
  // elevation depends only on its own sample, or, when smoothed, on the whole-number sum
  // 3 z0 + z1 + z2 + z3 (over 6) or z0 + z1 + z2 + z3 (over 4).
  static constexpr std::int16_t kWeighted = -2, kPlain = -3;
  std::int16_t bySample(int z0) const {
    const double u = field_.units(z0);
    if (u < s_.seaUnits) return importedElevation(0.0);
    if (u > t_) return importedElevation(feet(u));
    return u > t_ - w_ ? kWeighted : kPlain;
  }
  std::int16_t byWeightedSum(int sum) const { return importedElevation(feet(field_.units(sum / 6.0))); }
  std::int16_t byPlainSum(int sum) const { return importedElevation(feet(field_.units(sum / 4.0))); }

 private:
  const TerragenFile& field_;
  const UnitScale& s_;
  double k_;
  float t_;
  double w_;
};

// What each unfaded cell gives, worked out once: per raw sample, and per sum of the
// smoothing neighbourhood.
struct Tables {
  std::int16_t lowest;
  std::vector<std::int16_t> ofSample;
  ElevationMemo ofWeightedSum;
  ElevationMemo ofPlainSum;
  // The column factors of the rows that are not faded themselves.
  std::array<float, kElevSize> columnFactors{};
};

Tables buildTables(const TerragenFile& field, const CellRule& rule, const ImportWindow& window) {
  // The raw samples the window reads, its smoothing neighbours included, bound the tables.
  std::array<std::int16_t, TerragenFile::kPoints> row;
  std::int16_t lowest = INT16_MAX, highestRaw = INT16_MIN;
  for (int r = window.first; r <= window.last + 1; ++r) {
    field.rawRow(r, row);
    for (int c = window.first; c <= window.last + 1; ++c) {
      lowest = std::min(lowest, row[c]);
      highestRaw = std::max(highestRaw, row[c]);
    }
  }
  // A terrain's samples fill most of the range between its lowest and highest, so what each
  // sample gives (an elevation, or the kind of smoothing) is worked out beforehand.
  Tables tables{lowest, std::vector<std::int16_t>(static_cast<std::size_t>(highestRaw - lowest + 1)),
                ElevationMemo(6 * lowest, 6 * highestRaw), ElevationMemo(4 * lowest, 4 * highestRaw)};
  for (int z = lowest; z <= highestRaw; ++z) tables.ofSample[static_cast<std::size_t>(z - lowest)] = rule.bySample(z);
  for (int c = window.first; c <= window.last; ++c) tables.columnFactors[c] = window.columnFactor(1.0, c);
  return tables;
}

// Converts the window's rows and writes the grid, keeping the highest cell.
void writeElevationRows(const TerragenFile& field, const CellRule& rule, Tables& tables, const ImportWindow& window,
                        bool mirror, SafeFile& output, Host& host, HighestCell& highest) {
  auto byWeightedSum = [&](int sum) { return rule.byWeightedSum(sum); };
  auto byPlainSum = [&](int sum) { return rule.byPlainSum(sum); };
  std::array<std::int16_t, TerragenFile::kPoints> row, above;
  writeImportRows(output, window, mirror, host, [&](int r, std::array<std::int16_t, kElevSize>& elevations) {
    field.rawRow(r, row);
    field.rawRow(r + 1, above);
    const double fr = window.rowFactor(r);
    const bool wholeRow = fr == 1.0;
    for (int c = window.first; c <= window.last; ++c) {
      const float fc = wholeRow ? tables.columnFactors[c] : window.columnFactor(fr, c);
      const int z0 = row[c], z1 = row[c + 1], z2 = above[c + 1], z3 = above[c];
      std::int16_t elevation = 0;
      if (wholeRow && fc == 1.0f) {
        elevation = tables.ofSample[static_cast<std::size_t>(z0 - tables.lowest)];
        if (elevation == CellRule::kWeighted)
          elevation = tables.ofWeightedSum.get(3 * z0 + z1 + z2 + z3, byWeightedSum);
        if (elevation == CellRule::kPlain) elevation = tables.ofPlainSum.get(z0 + z1 + z2 + z3, byPlainSum);
      } else {
        elevation = importedElevation(rule.cellFeet(z0, z1, z2, z3, fr, fc));
      }
      elevations[c] = elevation;
      highest.offer(elevation, r, c);
    }
  });
}

}  // namespace

Outcome SetElv_Click(Context& cx) {
  cx.host.setProgress(ProgressBar::Bar1, 0);
  if (!checkTerrainFolder(cx)) return Outcome::EndedEarly;
  const auto fieldPath = terrainFile(cx.folder, suffix::kTerragen);
  const auto gridPath = terrainFile(cx.folder, suffix::kElevation);

  const auto field = openTerragen(cx, fieldPath);
  if (!field) return Outcome::EndedEarly;

  const UnitScale scale = readUnitScale(cx);
  const auto k = feetPerUnit(cx, scale);
  if (!k) return Outcome::EndedEarly;

  std::string error;
  auto output = SafeFile::create(gridPath, error);
  if (!output) return reportFileFailure(cx.host, "Can't open the Elevation File:", gridPath, error);

  const CellRule rule(*field, scale, *k);
  HighestCell highest(clampToInt16(scale.maxAlt / 1.5));
  cx.host.setProgress(ProgressBar::Bar1, 5);
  const ImportWindow window(cx.params.option("MapSize256"));
  const bool mirror = cx.params.switchValue("InvFileOrder") == 1;

  Tables tables = buildTables(*field, rule, window);
  writeElevationRows(*field, rule, tables, window, mirror, *output, cx.host, highest);

  if (auto failed = output->commit())
    return reportFileFailure(cx.host, "Can't write the Elevation File:", gridPath, *failed);
  cx.host.showMessage(maximumReport(highest, 0.04), Icon::Information);
  return Outcome::Completed;
}

}  // namespace quarnby
