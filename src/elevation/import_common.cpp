#include "elevation/import_common.h"

#include "core/number_text.h"
#include "terrain/file_io.h"

namespace quarnby::elevation {

std::optional<TerragenFile> openTerragen(Context& cx, const std::filesystem::path& file) {
  std::string error;
  auto bytes = readWholeFile(file, readLimit::kBinary, error);
  if (!bytes) {
    cx.host.showMessage(fileMessage("Can't open the Elevation File:", file, error), Icon::Critical);
    return std::nullopt;
  }
  std::string problem;
  auto field = TerragenFile::parse(std::move(*bytes), problem);
  if (!field) cx.host.showMessage(fileMessage("Can't use the Terragen File:", file, problem), Icon::Critical);
  return field;
}

std::optional<GreyscaleBitmap> openGreyscale(Context& cx, const std::filesystem::path& file, std::string_view kindLine) {
  std::string error;
  auto bitmap = GreyscaleBitmap::load(file, error);
  if (!bitmap) cx.host.showMessage(fileMessage(kindLine, file, error), Icon::Critical);
  return bitmap;
}

std::string maximumReport(int maximum, int row, int column, double milesPerSample) {
  return "Max Elevation: " + plainInteger(maximum) + kCrLf + "Located at: " + numberText(column * milesPerSample) +
         ", " + numberText(row * milesPerSample) + kCrLf + "Done.";
}

bool commitElevationGrid(Context& cx, SafeFile& file, const std::filesystem::path& path) {
  if (auto failed = file.commit()) {
    cx.host.showMessage(fileMessage("Can't write the Elevation File:", path, *failed), Icon::Critical);
    return false;
  }
  return true;
}

}  // namespace quarnby::elevation
