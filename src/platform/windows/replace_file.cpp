#include "platform/replace_file.h"

#include <io.h>

#include <fcntl.h>
#include <atomic>
#include <string>
#include <system_error>

#include "platform/processes.h"
#include "platform/read_file.h"
#include "platform/windows/system_text.h"

namespace quarnby::platform {
namespace {

std::filesystem::path folderOf(const std::filesystem::path& file) {
  std::filesystem::path folder = file.parent_path();
  return folder.empty() ? std::filesystem::path(".") : folder;
}

HANDLE handleOf(int handle) { return reinterpret_cast<HANDLE>(::_get_osfhandle(handle)); }

// Six letters or digits that differ from call to call and from process to process.
std::wstring randomTail() {
  static std::atomic<std::uint64_t> calls{0};
  std::uint64_t x = ::GetTickCount64() ^ (static_cast<std::uint64_t>(::GetCurrentProcessId()) << 32) ^
                    (calls.fetch_add(1) * 0x9E3779B97F4A7C15ull);
  x ^= x >> 29;
  x *= 0xBF58476D1CE4E5B9ull;
  x ^= x >> 32;
  static constexpr wchar_t kLetters[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  std::wstring tail;
  for (int i = 0; i < 6; ++i, x /= 62) tail += kLetters[x % 62];
  return tail;
}

}  // namespace

// Asked of the system by opening the file for writing and deleting (what renaming over
// it needs) and closing it at once: it answers for read-only files, access lists and
// files another program holds.
std::optional<std::string> replaceRefusal(const std::filesystem::path& file) {
  const DWORD attributes = ::GetFileAttributesW(file.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return std::nullopt;  // a new file
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return systemText(ERROR_DIRECTORY);
  if (attributes & FILE_ATTRIBUTE_READONLY) return systemText(ERROR_ACCESS_DENIED);
  const HANDLE h =
      ::CreateFileW(file.c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return lastSystemText();
  // Never a device or a pipe: only a file is replaced.
  const bool regular = ::GetFileType(h) == FILE_TYPE_DISK;
  ::CloseHandle(h);
  if (!regular) return std::string(kNotRegularFile);
  return std::nullopt;
}

// The temporary file takes the folder's inherited access list like any new file; the
// rename keeps it. `like` lends only its hidden and archive marks.
std::optional<TempFile> createTemp(const std::filesystem::path& folder, const std::filesystem::path& like,
                                   std::string& error) {
  DWORD attributes = FILE_ATTRIBUTE_NORMAL;
  if (!like.empty()) {
    const DWORD old = ::GetFileAttributesW(like.c_str());
    if (old != INVALID_FILE_ATTRIBUTES && (old & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE)))
      attributes = old & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);
  }
  const std::wstring stem = std::wstring(kTempPrefix.begin(), kTempPrefix.end()) + std::to_wstring(thisProcess()) +
                            L"-" + std::to_wstring(thisProcessStart()) + L"-";
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::filesystem::path path = folder / (stem + randomTail());
    // Shared for deleting, so that Ctrl-C can remove it while it is still being written.
    const HANDLE h = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                   nullptr, CREATE_NEW, attributes, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
      const DWORD failed = ::GetLastError();
      if (failed == ERROR_FILE_EXISTS || failed == ERROR_ALREADY_EXISTS) continue;
      error = systemText(failed);
      return std::nullopt;
    }
    const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(h), _O_BINARY);
    if (fd < 0) {
      error = systemText(ERROR_TOO_MANY_OPEN_FILES);
      ::CloseHandle(h);
      ::DeleteFileW(path.c_str());
      return std::nullopt;
    }
    return TempFile{path, fd};
  }
  error = systemText(ERROR_FILE_EXISTS);
  return std::nullopt;
}

std::optional<std::string> writeAll(int handle, std::span<const std::uint8_t> bytes) {
  const HANDLE h = handleOf(handle);
  std::size_t done = 0;
  while (done < bytes.size()) {
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
    DWORD put = 0;
    if (!::WriteFile(h, bytes.data() + done, want, &put, nullptr)) return lastSystemText();
    if (put == 0) return systemText(ERROR_DISK_FULL);
    done += put;
  }
  return std::nullopt;
}

std::optional<std::string> syncAndClose(int handle) {
  std::optional<std::string> failed;
  if (!::FlushFileBuffers(handleOf(handle))) failed = lastSystemText();
  else countSync();
  if (::_close(handle) != 0 && !failed) failed = lastSystemText();
  return failed;
}

void closeHandle(int handle) {
  if (handle >= 0) ::_close(handle);
}

std::optional<std::string> renameOver(const std::filesystem::path& from, const std::filesystem::path& to) {
  // Write-through: the call returns once the rename is on the disk.
  if (!::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return lastSystemText();
  return std::nullopt;
}

void removeFile(const std::filesystem::path& file) { ::DeleteFileW(file.c_str()); }

std::optional<std::filesystem::path> keepAside(const std::filesystem::path& file, std::string& error) {
  auto aside = createTemp(folderOf(file), file, error);
  if (!aside) return std::nullopt;
  ::_close(aside->handle);
  ::DeleteFileW(aside->path.c_str());
  // A hard link keeps the very file at no cost; where links are refused (FAT), a copy.
  if (::CreateHardLinkW(aside->path.c_str(), file.c_str(), nullptr)) return aside->path;
  if (::CopyFileW(file.c_str(), aside->path.c_str(), TRUE)) return aside->path;
  error = lastSystemText();
  ::DeleteFileW(aside->path.c_str());
  return std::nullopt;
}

}  // namespace quarnby::platform
