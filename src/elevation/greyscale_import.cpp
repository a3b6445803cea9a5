#include "elevation/greyscale_import.h"

#include <array>
#include <cmath>
#include <cstdint>

#include "core/number_text.h"
#include "core/rounding.h"
#include "elevation/import_common.h"
#include "steps/operation_steps.h"
#include "terrain/terrain_folder.h"

namespace quarnby {

using namespace elevation;

namespace {

// The window's scale from grey levels to feet.
struct GreyScale {
  double maxAlt;
  std::int16_t smoothBelow;
  double maxGrey;
  double seaGrey;
  double exponent;
  bool preserveZeros;
};

GreyScale readGreyScale(const Context& cx) {
  GreyScale s{};
  s.maxAlt = cx.params.number("MaxAlt");
  s.smoothBelow = clampToInt16(cx.params.number("MaxSmothAlt"));
  s.maxGrey = cx.params.number("maxUbmp");
  s.seaGrey = cx.params.number("slUnitsBmp");
  s.exponent = cx.params.number("unitExp");
  s.preserveZeros = cx.params.switchValue("PreserveZeros") != 0;
  return s;
}

// A pixel below the sea grey level (or 0, when zeros are kept) is 0; above gs it is
// converted directly; otherwise it is smoothed with its neighbours, the pixel weighing
// three times when above 0.95 gs. That depends on the grey level alone.
enum class Way : std::uint8_t { Sea, Direct, Weighted, Plain };

// A smoothed pixel's grey level is a whole-number sum (the centre once or three times
// and the neighbours taken) over a divisor of at most 11.
constexpr int kSums = 11 * 255 + 1;

// What each grey level gives, worked out once, and the elevation of each unfaded
// smoothed sum and divisor, worked out when first met.
struct GreyTables {
  std::array<Way, 256> wayOf{};
  std::array<double, 256> directFeet{};
  std::array<std::int16_t, 256> directElevation{};
  ElevationMemo ofAverage{0, 12 * kSums - 1};
};

class GreyRule {
 public:
  explicit GreyRule(const GreyScale& s) : s_(s) {
    // Grey levels up to gs are smoothed; gs is the grey level of the Smooth Below altitude.
    if (!(s.smoothBelow > s.maxAlt)) {
      gs_ = static_cast<float>(
          s.seaGrey +
          std::pow(s.smoothBelow * std::pow(s.maxGrey - s.seaGrey, s.exponent) / s.maxAlt, 1.0 / s.exponent));
      if (std::isnan(gs_) || gs_ < s.seaGrey) gs_ = 0.0f;
    }
    weightCentre_ = s.smoothBelow < s.maxAlt;
  }

  double feetOfGrey(double g) const {
    return s_.maxAlt * std::pow((g - s_.seaGrey) / (s_.maxGrey - s_.seaGrey), s_.exponent);
  }

  void fill(GreyTables& tables) const {
    for (int p0 = 0; p0 <= 255; ++p0) {
      if (p0 < s_.seaGrey || (s_.preserveZeros && p0 == 0)) {
        tables.wayOf[p0] = Way::Sea;
      } else if (p0 > gs_) {
        tables.wayOf[p0] = Way::Direct;
        tables.directFeet[p0] = feetOfGrey(p0);
        tables.directElevation[p0] = importedElevation(tables.directFeet[p0]);
      } else {
        tables.wayOf[p0] = p0 > 0.95 * gs_ && weightCentre_ ? Way::Weighted : Way::Plain;
      }
    }
  }

 private:
  const GreyScale& s_;
  float gs_ = 255.0f;
  bool weightCentre_;
};

// The elevation of the pixel at row r, column c, whose own row and the rows below and
// above it are given, faded by fr and fc.
std::int16_t cellElevation(const GreyscaleBitmap& bitmap, const GreyRule& rule, GreyTables& tables,
                           const std::array<std::uint8_t, kGreyscaleSize>& below,
                           const std::array<std::uint8_t, kGreyscaleSize>& row,
                           const std::array<std::uint8_t, kGreyscaleSize>& above, int r, int c, double fr, float fc) {
  static constexpr int kNeighbours[8][2] = {{0, 1}, {-1, 1}, {1, 0}, {1, 1}, {1, -1}, {0, -1}, {-1, -1}, {-1, 0}};
  auto byAverage = [&](int key) {
    return importedElevation(rule.feetOfGrey(static_cast<double>(key % kSums) / (key / kSums)));
  };
  const bool unfaded = fr == 1.0 && fc == 1.0f;  // factors of exactly 1 leave the feet as they are
  const int p0 = row[c];
  std::int16_t elevation = 0;
  switch (tables.wayOf[p0]) {
    case Way::Sea: break;
    case Way::Direct:
      elevation = unfaded ? tables.directElevation[p0] : importedElevation((tables.directFeet[p0] * fr) * fc);
      break;
    case Way::Weighted:
    case Way::Plain: {
      // The 3 x 3 neighbourhood within the picture's bounds.
      int sum = 0, n = 1;
      if (r > 0 && r < 1023 && c > 0 && c < 1023) {
        sum = row[c + 1] + below[c + 1] + above[c] + above[c + 1] + above[c - 1] + row[c - 1] + below[c - 1] + below[c];
        n = 9;
      } else {
        for (const auto& [dr, dc] : kNeighbours) {
          const int nr = r + dr, nc = c + dc;
          if (nr < 0 || nr > 1023 || nc < 0 || nc > 1023) continue;
          sum += bitmap.pixel(nr, nc);
          ++n;
        }
      }
      const bool weighted = tables.wayOf[p0] == Way::Weighted;
      const int total = weighted ? 3 * p0 + sum : p0 + sum;
      const int divisor = weighted ? n + 2 : n;
      elevation = unfaded ? tables.ofAverage.get(divisor * kSums + total, byAverage)
                          : importedElevation((rule.feetOfGrey(static_cast<double>(total) / divisor) * fr) * fc);
      break;
    }
  }
  return elevation;
}

// Converts the window's rows and writes the grid, keeping the highest cell.
void writeElevationRows(const GreyscaleBitmap& bitmap, const GreyRule& rule, GreyTables& tables,
                        const ImportWindow& window, SafeFile& output, Host& host, HighestCell& highest) {
  std::array<std::uint8_t, kGreyscaleSize> below{}, row{}, above{};
  writeImportRows(output, window, false, host, [&](int r, std::array<std::int16_t, kElevSize>& elevations) {
    if (r > 0) bitmap.pixelRow(r - 1, below);
    bitmap.pixelRow(r, row);
    if (r < 1023) bitmap.pixelRow(r + 1, above);
    const double fr = window.rowFactor(r);
    for (int c = window.first; c <= window.last; ++c) {
      const float fc = window.columnFactor(fr, c);
      const std::int16_t elevation = cellElevation(bitmap, rule, tables, below, row, above, r, c, fr, fc);
      elevations[c] = elevation;
      highest.offer(elevation, r, c);
    }
  });
}

}  // namespace

Outcome SetElvGrey_Click(Context& cx) {
  cx.host.setProgress(ProgressBar::Bar1, 0);
  if (!checkTerrainFolder(cx)) return Outcome::EndedEarly;
  const auto bitmapPath = terrainFile(cx.folder, suffix::kGreyscale);
  const auto gridPath = terrainFile(cx.folder, suffix::kElevation);

  const auto bitmap = openGreyscale(cx, bitmapPath, "Can't open the greyscale File:");
  if (!bitmap) return Outcome::EndedEarly;
  std::string error;
  auto output = SafeFile::create(gridPath, error);
  if (!output) return reportFileFailure(cx.host, "Can't open the Elevation File:", gridPath, error);

  const GreyScale scale = readGreyScale(cx);
  if (scale.maxGrey == scale.seaGrey) {
    // Every grey level would map to an infinite or undefined height.
    cx.host.setFocus("slUnitsBmp");
    cx.host.showMessage("The SL grey level must differ from the Max grey level (both are " + numberText(scale.maxGrey) +
                            "); run Find Units or change the SL grey level." + kCrLf +
                            "The Elevation File was not changed.",
                        Icon::Critical);
    return Outcome::EndedEarly;
  }

  const GreyRule rule(scale);
  HighestCell highest(clampToInt16(scale.maxAlt / 1.75));
  cx.host.setProgress(ProgressBar::Bar1, 5);
  const ImportWindow window(cx.params.option("MapSize256"));

  GreyTables tables;
  rule.fill(tables);
  writeElevationRows(*bitmap, rule, tables, window, *output, cx.host, highest);

  if (auto failed = output->commit())
    return reportFileFailure(cx.host, "Can't write the Elevation File:", gridPath, *failed);
  cx.host.showMessage(maximumReport(highest, 0.02), Icon::Information);
  return Outcome::Completed;
}

}  // namespace quarnby
