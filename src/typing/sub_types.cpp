#include "typing/sub_types.h"

#include <cmath>
#include <cstdint>
#include <string>

#include "steps/operation_steps.h"
#include "terrain/file_io.h"
#include "terrain/grids.h"
#include "terrain/terrain_folder.h"

namespace quarnby {

Outcome SetSubTypes_Click(Context& cx) {
  cx.host.setProgress(ProgressBar::Bar1, 0);
  if (!checkTerrainFolder(cx)) return Outcome::EndedEarly;
  const auto typeFile = terrainFile(cx.folder, suffix::kType);
  const auto subTypeFile = terrainFile(cx.folder, suffix::kSubType);

  std::string error;
  // A type grid shorter than the full grid counts as water past its end.
  const auto types = CellGrid::load(typeFile, error);
  if (!types) return reportInputFailure(cx.host, "Can't open the Type File:", typeFile, error, {.lineBreak = kCr});
  // The grid is written over its first 262,144 bytes; an existing file keeps whatever
  // follows them, and a missing one is created.
  CellGrid subTypes;
  if (std::error_code ec; std::filesystem::exists(subTypeFile, ec)) {
    auto existing = CellGrid::load(subTypeFile, error);
    if (!existing)
      return reportFileFailure(cx.host, "Can't open the Sub-Type File:", subTypeFile, error, {.lineBreak = kCr});
    subTypes = std::move(*existing);
  }
  auto output = SafeFile::create(subTypeFile, error);
  if (!output)
    return reportFileFailure(cx.host, "Can't open the Sub-Type File:", subTypeFile, error, {.lineBreak = kCr});

  cx.random.reseedFromClock();  // a new pattern on every run

  for (std::size_t i = 0; i < kTypeBytes; ++i) {
    std::uint8_t subType = 0;
    if (types->bytes()[i] != 0) subType = static_cast<std::uint8_t>(std::floor(256.0f * cx.random.next()));
    subTypes.bytes()[i] = subType;
    if ((i + 1) % kTypeSize == 0) cx.host.setProgress(ProgressBar::Bar1, static_cast<int>(100 * (i + 1) / kTypeBytes));
  }

  output->write(subTypes.bytes());
  if (auto failed = output->commit())
    return reportFileFailure(cx.host, "Can't write the Sub-Type File:", subTypeFile, *failed,
                             {.lineBreak = kCr, .closingLine = "The Sub-Type File was left unchanged."});
  cx.host.setProgress(ProgressBar::Bar1, 100);
  cx.host.showMessage("Done", Icon::Information);
  return Outcome::Completed;
}

}  // namespace quarnby
