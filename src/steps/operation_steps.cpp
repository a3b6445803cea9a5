#include "steps/operation_steps.h"

#include "terrain/terrain_folder.h"

namespace quarnby {

std::optional<std::string> checkTerrainFolder(Context& cx) {
  std::string base = baseName(cx.folder);
  if (base.empty()) {
    cx.host.showMessage("Please select a terrain folder.", Icon::Information);
    return std::nullopt;
  }
  return base;
}

Outcome reportFileFailure(Host& host, std::string_view kindLine, const std::filesystem::path& file,
                          const std::string& error, const FileMessageLayout& layout) {
  std::string text = layout.namesFile ? fileMessage(kindLine, file, error, layout.lineBreak)
                                      : std::string(kindLine) + layout.lineBreak + error;
  if (!layout.closingLine.empty()) text += kCrLf + layout.closingLine;
  host.showMessage(text, layout.icon, layout.title);
  return Outcome::EndedEarly;
}

}  // namespace quarnby
