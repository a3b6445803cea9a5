#include "platform/user_folders.h"

#include <cstdlib>

namespace quarnby::platform {

namespace {

// An environment variable that names an absolute folder, else nothing.
std::filesystem::path folderFromEnvironment(const char* name) {
  const char* value = std::getenv(name);
  if (!value || !*value) return {};
  std::filesystem::path folder(value);
  return folder.is_absolute() ? folder : std::filesystem::path();
}

}  // namespace

std::filesystem::path userStateFolder() {
  if (auto folder = folderFromEnvironment("XDG_STATE_HOME"); !folder.empty()) return folder;
  if (auto home = folderFromEnvironment("HOME"); !home.empty()) return home / ".local" / "state";
  return {};
}

std::tm localTime(std::int64_t seconds) {
  const std::time_t t = static_cast<std::time_t>(seconds);
  std::tm local{};
  localtime_r(&t, &local);
  return local;
}

}  // namespace quarnby::platform
