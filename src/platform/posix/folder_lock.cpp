#include "platform/folder_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

namespace quarnby::platform {

FolderLock::Result FolderLock::take(const std::filesystem::path& folder, std::chrono::milliseconds patience,
                                    std::optional<FolderLock>& lock) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return Result::NotLockable;
  const auto giveUp = std::chrono::steady_clock::now() + patience;
  for (;;) {
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
      lock.emplace(FolderLock(fd));
      return Result::Taken;
    }
    if (errno != EWOULDBLOCK && errno != EINTR) {
      ::close(fd);
      return Result::NotLockable;  // a file system without locks
    }
    if (std::chrono::steady_clock::now() >= giveUp) {
      ::close(fd);
      return Result::Busy;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

FolderLock::~FolderLock() {
  if (handle_ >= 0) ::close(handle_);
}

}  // namespace quarnby::platform
