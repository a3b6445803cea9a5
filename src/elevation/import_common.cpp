#include "elevation/import_common.h"

#include "core/number_text.h"
#include "steps/operation_steps.h"
#include "terrain/file_io.h"

namespace quarnby::elevation {

std::optional<TerragenFile> openTerragen(Context& cx, const std::filesystem::path& file) {
  std::string error;
  auto bytes = readWholeFile(file, readLimit::kBinary, error);
  if (!bytes) {
    reportFileFailure(cx.host, "Can't open the Elevation File:", file, error);
    return std::nullopt;
  }
  std::string problem;
  auto field = TerragenFile::parse(std::move(*bytes), problem);
  if (!field) reportFileFailure(cx.host, "Can't use the Terragen File:", file, problem);
  return field;
}

std::optional<GreyscaleBitmap> openGreyscale(Context& cx, const std::filesystem::path& file,
                                             std::string_view kindLine) {
  std::string error;
  auto bitmap = GreyscaleBitmap::load(file, error);
  if (!bitmap) reportFileFailure(cx.host, kindLine, file, error);
  return bitmap;
}

std::string maximumReport(int maximum, int row, int column, double milesPerSample) {
  return "Max Elevation: " + plainInteger(maximum) + kCrLf + "Located at: " + numberText(column * milesPerSample) +
         ", " + numberText(row * milesPerSample) + kCrLf + "Done.";
}

}  // namespace quarnby::elevation
