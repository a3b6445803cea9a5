#include "terrain/terrain_folder.h"

#include <algorithm>

namespace quarnby {
namespace {

namespace fs = std::filesystem;
using Native = fs::path::string_type;

// The separators of a native path: Windows takes '/' as well as its own '\'.
#ifdef _WIN32
constexpr const wchar_t* kSeparators = L"\\/";
#else
constexpr const char* kSeparators = "/";
#endif

// The last component of the folder as the system spells it.
Native baseNative(const fs::path& folder) {
  const Native& path = folder.native();
  const auto slash = path.find_last_of(kSeparators);
  if (slash == Native::npos) return {};
  return path.substr(slash + 1);
}

}  // namespace

std::string baseName(const fs::path& folder) {
  const std::u8string name = fs::path(baseNative(folder)).u8string();
  return std::string(name.begin(), name.end());
}

std::string folderFileName(const fs::path& folder, std::string_view suffix) {
  const std::string prefix = std::string(kGisFolder) + "/";
  if (suffix.starts_with(prefix)) return prefix + terrainFile(folder, suffix.substr(prefix.size())).filename().string();
  return terrainFile(folder, suffix).filename().string();
}

fs::path terrainFile(const fs::path& folder, std::string_view suffix) {
  Native name = folder.native();
  name += fs::path::preferred_separator;
  name += baseNative(folder);
  name += fs::path(suffix).native();
  return name;
}

fs::path normalisedFolder(const fs::path& folder) {
  std::error_code ec;
  fs::path full = fs::absolute(folder, ec);
  if (ec) full = folder;
  full = full.lexically_normal();
  // Trailing separators go, but not the root's own: "/" and "C:\" stay as they are.
  const std::size_t root = full.root_path().native().size();
  Native text = full.native();
  while (text.size() > std::max<std::size_t>(root, 1) && Native(kSeparators).find(text.back()) != Native::npos)
    text.pop_back();
  return text;
}

}  // namespace quarnby
