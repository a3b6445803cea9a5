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
  HighestCell highest{clampToInt16(maxAlt / 1.75)};
  cx.host.setProgress(ProgressBar::Bar1, 5);

  const ImportWindow window(cx.params.option("MapSize256"));

  // A pixel below the sea grey level (or 0, when zeros are kept) is 0; above gs it is
  // converted directly; otherwise it is smoothed with its neighbours, the pixel weighing
  // three times when above 0.95 gs. That depends on the grey level alone.
  enum class Way : std::uint8_t { Sea, Direct, Weighted, Plain };
  std::array<Way, 256> wayOf{};
  std::array<double, 256> directFeet{};
  std::array<std::int16_t, 256> directElevation{};
  for (int p0 = 0; p0 <= 255; ++p0) {
    if (p0 < seaGrey || (preserveZeros && p0 == 0)) {
      wayOf[p0] = Way::Sea;
    } else if (p0 > gs) {
      wayOf[p0] = Way::Direct;
      directFeet[p0] = feetOfGrey(p0);
      directElevation[p0] = importedElevation(directFeet[p0]);
    } else {
      wayOf[p0] = p0 > 0.95 * gs && weightCentre ? Way::Weighted : Way::Plain;
    }
  }
  // A smoothed pixel's grey level is a whole-number sum (the centre once or three times
  // and the neighbours taken) over a divisor of at most 11; where nothing is faded, its
  // elevation is worked out once per sum and divisor.
  constexpr int kSums = 11 * 255 + 1;
  ElevationMemo ofAverage(0, 12 * kSums - 1);
  auto byAverage = [&](int key) { return importedElevation(feetOfGrey(static_cast<double>(key % kSums) / (key / kSums))); };

  static constexpr int kNeighbours[8][2] = {{0, 1}, {-1, 1}, {1, 0}, {1, 1}, {1, -1}, {0, -1}, {-1, -1}, {-1, 0}};
  std::array<std::uint8_t, kGreyscaleSize> below{}, row{}, above{};
  writeImportRows(*output, window, false, cx.host, [&](int r, std::array<std::int16_t, kElevSize>& elevations) {
    if (r > 0) bitmap->pixelRow(r - 1, below);
    bitmap->pixelRow(r, row);
    if (r < 1023) bitmap->pixelRow(r + 1, above);
    const double fr = window.rowFactor(r);
    for (int c = window.first; c <= window.last; ++c) {
      const float fc = window.columnFactor(fr, c);
      const bool unfaded = fr == 1.0 && fc == 1.0f;  // factors of exactly 1 leave the feet as they are
      const int p0 = row[c];
      std::int16_t elevation = 0;
      switch (wayOf[p0]) {
        case Way::Sea:
          break;
        case Way::Direct:
          elevation = unfaded ? directElevation[p0] : importedElevation((directFeet[p0] * fr) * fc);
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
              sum += bitmap->pixel(nr, nc);
              ++n;
            }
          }
          const bool weighted = wayOf[p0] == Way::Weighted;
          const int total = weighted ? 3 * p0 + sum : p0 + sum;
          const int divisor = weighted ? n + 2 : n;
          elevation = unfaded ? ofAverage.get(divisor * kSums + total, byAverage)
                              : importedElevation((feetOfGrey(static_cast<double>(total) / divisor) * fr) * fc);
          break;
        }
      }
      elevations[c] = elevation;
      highest.offer(elevation, r, c);
    }
  });

  if (auto failed = output->commit())
    return reportFileFailure(cx.host, "Can't write the Elevation File:", gridPath, *failed);
  cx.host.showMessage(maximumReport(highest.value, highest.row, highest.column, 0.02), Icon::Information);
  return Outcome::Completed;
}

}  // namespace quarnby
