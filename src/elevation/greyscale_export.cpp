#include "elevation/greyscale_export.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "core/number_text.h"
#include "core/rounding.h"
#include "elevation/import_common.h"
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

  if (!cx.host.askYesNo("This will create/replace the file:" + kCrLf + bitmapPath.string() + kCrLf + kCrLf + "Continue?",
                        "Export Greyscale Bitmap", Icon::None))
    return Outcome::EndedEarly;

  std::string error;
  const auto grid = ElevationGrid::load(gridPath, error);
  if (!grid) {
    cx.host.showMessage(fileMessage("Can't open the Elevation File:", gridPath, error, kCr), Icon::Critical);
    return Outcome::EndedEarly;
  }
  auto output = SafeFile::create(bitmapPath, error);
  if (!output) {
    cx.host.showMessage(fileMessage("Can't open the map File:", bitmapPath, error, kCr), Icon::Critical);
    return Outcome::EndedEarly;
  }
  cx.host.setProgress(ProgressBar::Bar1, 5);

  std::int32_t maximum = 0;  // never below 0, so an all-sea grid stays black
  for (int r = 0; r < kElevSize; ++r)
    for (int c = 0; c < kElevSize; ++c) maximum = std::max<std::int32_t>(maximum, grid->at(r, c));
  cx.host.setProgress(ProgressBar::Bar1, 10);

  // Grid value k is pixel k, so grid row 0 is the picture's bottom line. Heights below
  // the sea have no grey level of their own and show as black.
  std::vector<std::uint8_t> pixels(kGreyscalePixelCount, 0);
  int shown = 10;
  for (std::size_t k = 0; k < kGreyscalePixelCount; ++k) {
    const int r = static_cast<int>(k / kElevSize), c = static_cast<int>(k % kElevSize);
    if (maximum > 0) {
      const float v = grid->at(r, c);
      pixels[k] = toByte(static_cast<double>(v * 255.0f) / maximum).value_or(0);
    }
    const std::size_t position = kGreyscalePixelOffset + k;
    const int percent = static_cast<int>(100.0f * static_cast<float>(position + 1) / 1049656.0f);
    if (percent != shown) cx.host.setProgress(ProgressBar::Bar1, shown = percent);
  }
  output->write(greyscaleBitmapFile(pixels));
  cx.host.setProgress(ProgressBar::Bar1, 100);
  if (auto failed = output->commit()) {
    cx.host.showMessage(fileMessage("Can't write the map File:", bitmapPath, *failed, kCr), Icon::Critical);
    return Outcome::EndedEarly;
  }
  cx.host.showMessage("Terrain elevation exported to:" + kCrLf + bitmapPath.string() + kCrLf +
                          "and has a max elevation of " + plainInteger(maximum) + " feet.",
                      Icon::Information);
  return Outcome::Completed;
}

}  // namespace quarnby
