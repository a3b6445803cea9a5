#include "gui/recent_folders.h"

#include <QSettings>
#include <QStringList>

#include <algorithm>
#include <system_error>

#include "gui/qt_text.h"
#include "terrain/terrain_folder.h"

namespace quarnby {

namespace {
constexpr const char* kKey = "RecentFolders";
}

std::vector<std::filesystem::path> recentFolders() {
  std::vector<std::filesystem::path> folders;
  for (const QString& name : QSettings().value(kKey).toStringList())
    if (!name.isEmpty()) folders.push_back(pathOf(name));
  return folders;
}

void rememberFolder(const std::filesystem::path& folder) {
  if (folder.empty()) return;
  QStringList names = QSettings().value(kKey).toStringList();
  const QString name = pathText(folder);
  names.removeAll(name);
  names.prepend(name);
  while (names.size() > kRecentFolders) names.removeLast();
  QSettings().setValue(kKey, names);
}

std::filesystem::path lastFolder() {
  for (const auto& folder : recentFolders()) {
    std::error_code ec;
    if (std::filesystem::is_directory(folder, ec)) return folder;
  }
  return {};
}

bool looksLikeTerrain(const std::filesystem::path& folder) {
  const std::string base = baseName(folder);
  if (base.empty()) return false;
  std::error_code ec;
  int looked = 0;
  // A few hundred names are enough to tell; a huge folder is no reason to wait.
  for (auto it = std::filesystem::directory_iterator(folder, ec); !ec && it != std::filesystem::directory_iterator();
       it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.size() > base.size() && name.compare(0, base.size(), base) == 0 &&
        (name[base.size()] == '.' || name[base.size()] == '_'))
      return true;
    if (++looked == 500) break;
  }
  return false;
}

std::filesystem::path startFolder(const std::filesystem::path& given) {
  if (!given.empty()) return given;
  if (auto last = lastFolder(); !last.empty()) return last;
  std::error_code ec;
  return std::filesystem::current_path(ec);
}

}  // namespace quarnby
