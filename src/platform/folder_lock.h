#pragma once
#include <chrono>
#include <filesystem>
#include <optional>

// Keeps two runs of the program out of one terrain folder; the system's twin of this file
// lives in platform/<system>/folder_lock.cpp.
namespace quarnby::platform {

// An advisory lock on the folder itself (no file is made in it), held while alive. Any
// run of the program (the window, the batch program) takes it around an operation; it
// goes with the process, however the process ends.
class FolderLock {
 public:
  enum class Result { Taken, Busy, NotLockable };
  // Takes the lock, waiting up to `patience` for another holder to let go. NotLockable
  // when the folder cannot be opened (it is missing, or may not be read): the operation
  // then runs unlocked and meets the problem itself.
  static Result take(const std::filesystem::path& folder, std::chrono::milliseconds patience,
                     std::optional<FolderLock>& lock);

  FolderLock(FolderLock&& other) noexcept : handle_(other.handle_) { other.handle_ = -1; }
  FolderLock& operator=(FolderLock&&) = delete;
  FolderLock(const FolderLock&) = delete;
  ~FolderLock();

 private:
  explicit FolderLock(int handle) : handle_(handle) {}
  int handle_;
};

}  // namespace quarnby::platform
