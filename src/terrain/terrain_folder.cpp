#include "terrain/terrain_folder.h"

namespace quarnby {

std::string baseName(const std::filesystem::path& folder) {
  const std::string& path = folder.native();
  const auto slash = path.find_last_of(std::filesystem::path::preferred_separator);
  if (slash == std::string::npos) return {};
  return path.substr(slash + 1);
}

std::filesystem::path terrainFile(const std::filesystem::path& folder, std::string_view suffix) {
  std::string name = folder.native();
  name += std::filesystem::path::preferred_separator;
  name += baseName(folder);
  name += suffix;
  return name;
}

std::filesystem::path normalisedFolder(const std::filesystem::path& folder) {
  std::error_code ec;
  std::filesystem::path full = std::filesystem::absolute(folder, ec);
  if (ec) full = folder;
  std::string text = full.lexically_normal().native();
  while (text.size() > 1 && text.back() == std::filesystem::path::preferred_separator) text.pop_back();
  return text;
}

}  // namespace quarnby
