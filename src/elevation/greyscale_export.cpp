#include "elevation/greyscale_export.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <vector>

#include "core/number_text.h"
#include "core/rounding.h"
#include "elevation/import_common.h"
#include "steps/operation_steps.h"
#include "terrain/file_io.h"
#include "terrain/greyscale_bitmap.h"
#include "terrain/grids.h"
#include "terrain/terrain_folder.h"

namespace quarnby {

using namespace elevation;

Outcome ExpBmp_Click(Context& cx) {
  cx.host.setProgress(ProgressBar::Bar1, 0);
  if (!checkTerrainFolder(cx)) return Outcome::EndedEarly;
  const auto gridPath = terrainFile(cx.folder, suffix::kElevation);
  const auto bitmapPath = terrainFile(cx.folder, suffix::kGreyscale);

  if (!cx.host.askYesNo(
          "This will create/replace the file:" + kCrLf + bitmapPath.string() + kCrLf + kCrLf + "Continue?",
          "Export Greyscale Bitmap", Icon::None))
    return Outcome::EndedEarly;

  std::string error;
  const auto grid = ElevationGrid::load(gridPath, error);
  if (!grid) return reportInputFailure(cx.host, "Can't open the Elevation File:", gridPath, error, {.lineBreak = kCr});
  auto output = SafeFile::create(bitmapPath, error);
  if (!output) return reportFileFailure(cx.host, "Can't open the map File:", bitmapPath, error, {.lineBreak = kCr});
  cx.host.setProgress(ProgressBar::Bar1, 5);

  std::int32_t maximum = 0;  // never below 0, so an all-sea grid stays black
  std::int16_t lowest = INT16_MAX, highest = INT16_MIN;
  std::array<std::int16_t, kElevSize> row;
  for (int r = 0; r < kElevSize; ++r) {
    grid->row(r, row);
    for (const std::int16_t v : row) {
      lowest = std::min(lowest, v);
      highest = std::max(highest, v);
    }
  }
  maximum = std::max<std::int32_t>(maximum, highest);
  cx.host.setProgress(ProgressBar::Bar1, 10);

  // The grey level of every elevation the grid holds, worked out once. Heights below the
  // sea have no grey level of their own and show as black.
  std::vector<std::uint8_t> greyOf(static_cast<std::size_t>(highest - lowest + 1), 0);
  if (maximum > 0)
    for (int e = lowest; e <= highest; ++e) {
      const float v = static_cast<std::int16_t>(e);
      greyOf[static_cast<std::size_t>(e - lowest)] = toByte(static_cast<double>(v * 255.0f) / maximum).value_or(0);
    }

  // Grid value k is pixel k, so grid row 0 is the picture's bottom line. The progress
  // after pixel k never falls as k grows, so a row whose first and last pixels show the
  // same value shows it throughout.
  auto percentAfter = [](std::size_t k) {
    const std::size_t position = kGreyscalePixelOffset + k;
    return static_cast<int>(100.0f * static_cast<float>(position + 1) / 1049656.0f);
  };
  int shown = 10;
  auto show = [&](std::size_t k) {
    const int percent = percentAfter(k);
    if (percent != shown) cx.host.setProgress(ProgressBar::Bar1, shown = percent);
  };
  output->write(greyscaleBitmapHeader());
  std::array<std::uint8_t, kGreyscaleSize> pixels;
  for (int r = 0; r < kElevSize; ++r) {
    grid->row(r, row);
    for (std::size_t c = 0; c < kElevSize; ++c) pixels[c] = greyOf[static_cast<std::size_t>(row[c] - lowest)];
    output->write(pixels);
    const std::size_t first = static_cast<std::size_t>(r) * kElevSize, last = first + kElevSize - 1;
    if (percentAfter(first) == percentAfter(last)) {
      show(last);
    } else {
      for (std::size_t k = first; k <= last; ++k) show(k);
    }
  }
  output->write(std::array<std::uint8_t, 2>{});  // the two bytes after the pixels
  cx.host.setProgress(ProgressBar::Bar1, 100);
  if (auto failed = output->commit())
    return reportFileFailure(cx.host, "Can't write the map File:", bitmapPath, *failed, {.lineBreak = kCr});
  cx.host.showMessage("Terrain elevation exported to:" + kCrLf + bitmapPath.string() + kCrLf +
                          "and has a max elevation of " + plainInteger(maximum) + " feet.",
                      Icon::Information);
  return Outcome::Completed;
}

}  // namespace quarnby
