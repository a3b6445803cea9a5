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

}  // namespace quarnby
