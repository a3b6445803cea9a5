#include "elevation/import_common.h"

#include "core/number_text.h"
#include "steps/operation_steps.h"
#include "terrain/file_io.h"

namespace quarnby::elevation {

std::optional<TerragenFile> openTerragen(Context& cx, const std::filesystem::path& file) {
  std::string error;
  auto bytes = readWholeFile(file, readLimit::kBinary, error);
  if (!bytes) {
    reportInputFailure(cx.host, "Can't open the Elevation File:", file, error);
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
  if (!bitmap) reportInputFailure(cx.host, kindLine, file, error);
  return bitmap;
}

std::string maximumReport(const HighestCell& highest, double milesPerSample) {
  auto place = [&](const HighestCell::Peak& p) {
    return numberText(p.column * milesPerSample) + ", " + numberText(p.row * milesPerSample);
  };
  std::string text =
      "Max Elevation: " + plainInteger(highest.reached.value) + kCrLf + "Located at: " + place(highest.reached) + kCrLf;
  if (!highest.reached.found && highest.top.found)
    text += "No sample is above " + plainInteger(highest.reached.value) + " ft: the highest is " +
            plainInteger(highest.top.value) + " ft at " + place(highest.top) + "." + kCrLf;
  return text + "Done.";
}

}  // namespace quarnby::elevation
