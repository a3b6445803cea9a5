#include "platform/folder_lock.h"

#include <map>
#include <mutex>
#include <string>
#include <thread>

#include "platform/windows/system_text.h"

namespace quarnby::platform {
namespace {

// Windows keeps byte-range locks off folders, and a folder opened without sharing would
// also stop listing it and renaming files in it. The lock is therefore a named mutex
// whose name is drawn from the folder's final path: the system lets go of it with the
// process, however the process ends, and nothing is made in the folder.
std::wstring mutexName(HANDLE folder) {
  std::wstring path(32768, L'\0');
  const DWORD length =
      ::GetFinalPathNameByHandleW(folder, path.data(), static_cast<DWORD>(path.size()), FILE_NAME_NORMALIZED);
  if (length == 0 || length >= path.size()) return {};
  path.resize(length);
  // Names are not told apart by case on Windows, so neither are the locks.
  ::CharUpperBuffW(path.data(), length);
  std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
  for (wchar_t c : path) {
    hash ^= static_cast<std::uint16_t>(c);
    hash *= 1099511628211ull;
  }
  wchar_t name[64];
  ::swprintf(name, 64, L"Local\\quarnby-folder-%016llx", static_cast<unsigned long long>(hash));
  return name;
}

// A mutex is taken again at once by the thread that holds it; the names this process
// holds are kept, so that a second take in the same process finds the folder busy, as
// it would from another process.
std::mutex heldGuard;
std::map<int, std::wstring>& heldNames() {
  static std::map<int, std::wstring> names;
  return names;
}

bool heldHere(const std::wstring& name) {
  std::lock_guard guard(heldGuard);
  for (const auto& [handle, held] : heldNames())
    if (held == name) return true;
  return false;
}

}  // namespace

FolderLock::Result FolderLock::take(const std::filesystem::path& folder, std::chrono::milliseconds patience,
                                    std::optional<FolderLock>& lock) {
  const HANDLE dir =
      ::CreateFileW(folder.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (dir == INVALID_HANDLE_VALUE) return Result::NotLockable;
  BY_HANDLE_FILE_INFORMATION info{};
  const bool isFolder = ::GetFileInformationByHandle(dir, &info) && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
  const std::wstring name = isFolder ? mutexName(dir) : std::wstring();
  ::CloseHandle(dir);
  if (name.empty()) return Result::NotLockable;
  const HANDLE mutex = ::CreateMutexW(nullptr, FALSE, name.c_str());
  if (!mutex) return Result::NotLockable;

  const auto giveUp = std::chrono::steady_clock::now() + patience;
  for (;;) {
    if (!heldHere(name)) {
      const DWORD waited = ::WaitForSingleObject(mutex, 0);
      // Abandoned: the last holder ended without letting go, which is letting go.
      if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) {
        const int handle = ::HandleToLong(mutex);
        {
          std::lock_guard guard(heldGuard);
          heldNames()[handle] = name;
        }
        lock.emplace(FolderLock(handle));
        return Result::Taken;
      }
      if (waited == WAIT_FAILED) {
        ::CloseHandle(mutex);
        return Result::NotLockable;
      }
    }
    if (std::chrono::steady_clock::now() >= giveUp) {
      ::CloseHandle(mutex);
      return Result::Busy;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

FolderLock::~FolderLock() {
  if (handle_ == -1) return;
  {
    std::lock_guard guard(heldGuard);
    heldNames().erase(handle_);
  }
  const HANDLE mutex = ::LongToHandle(handle_);
  ::ReleaseMutex(mutex);
  ::CloseHandle(mutex);
}

}  // namespace quarnby::platform
