#include "platform/replace_file.h"

#include <atomic>
#include <system_error>

// What replacing a file is the same on every system.
namespace quarnby::platform {

namespace {
std::atomic<std::uint64_t> synced{0};
}  // namespace

std::filesystem::path fileBehind(const std::filesystem::path& target) {
  std::filesystem::path file = target;
  std::error_code ec;
  for (int hops = 0; hops < 40 && std::filesystem::is_symlink(file, ec); ++hops) {
    const std::filesystem::path next = std::filesystem::read_symlink(file, ec);
    if (ec) break;
    const std::filesystem::path folder = file.parent_path();
    file = next.is_absolute() ? next : (folder.empty() ? std::filesystem::path(".") : folder) / next;
  }
  return file;
}

std::uint64_t filesSynced() { return synced.load(); }
void countSync() { synced.fetch_add(1); }

}  // namespace quarnby::platform
