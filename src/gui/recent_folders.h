#pragma once
#include <filesystem>
#include <vector>

namespace quarnby {

// The terrain folders last opened in the window, newest first, kept with QSettings.
inline constexpr int kRecentFolders = 8;

std::vector<std::filesystem::path> recentFolders();
// Puts `folder` first, once; the oldest beyond kRecentFolders drop out.
void rememberFolder(const std::filesystem::path& folder);
// The newest recent folder that is still a folder; empty when there is none.
std::filesystem::path lastFolder();

// Whether the folder holds a file named after it ("Demo/Demo.ter", "Demo/Demo_elv.bmp"):
// only such folders are worth offering again, not every folder passed on the way.
bool looksLikeTerrain(const std::filesystem::path& folder);

// The folder the window opens on: the one given, else the last one used, else the
// working folder.
std::filesystem::path startFolder(const std::filesystem::path& given);

}  // namespace quarnby
