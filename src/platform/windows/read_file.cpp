#include "platform/read_file.h"

#include <algorithm>

#include "platform/windows/system_text.h"

namespace quarnby::platform {
namespace {

FileRead refused(FileRead::Refusal refusal, DWORD error = 0) {
  FileRead read;
  read.refusal = refusal;
  if (error != 0) read.systemText = systemText(error);
  return read;
}

struct Handle {
  HANDLE h;
  ~Handle() {
    if (h != INVALID_HANDLE_VALUE) ::CloseHandle(h);
  }
};

}  // namespace

FileRead readRegularFile(const std::filesystem::path& file, std::size_t limit) {
  // Wide names, so a folder named in any language opens; the backup flag lets a folder
  // open too, so that it is refused as a folder rather than as a denied access.
  Handle f{::CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr)};
  if (f.h == INVALID_HANDLE_VALUE) {
    const DWORD error = ::GetLastError();
    const bool missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    return refused(missing ? FileRead::Refusal::Missing : FileRead::Refusal::System, error);
  }
  BY_HANDLE_FILE_INFORMATION info{};
  if (!::GetFileInformationByHandle(f.h, &info)) {
    if (::GetFileType(f.h) != FILE_TYPE_DISK) return refused(FileRead::Refusal::NotRegular);
    return refused(FileRead::Refusal::System, ::GetLastError());
  }
  if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return refused(FileRead::Refusal::System, ERROR_DIRECTORY);
  if (::GetFileType(f.h) != FILE_TYPE_DISK) return refused(FileRead::Refusal::NotRegular);
  const std::uint64_t size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  if (size > limit) return refused(FileRead::Refusal::TooLarge);

  FileRead read;
  // One byte more than the file holds, so that growth past the limit is seen.
  read.bytes.resize(static_cast<std::size_t>(size) + 1);
  std::size_t done = 0;
  for (;;) {
    if (done == read.bytes.size()) {
      if (done > limit) return refused(FileRead::Refusal::TooLarge);
      read.bytes.resize(std::min(limit + 1, 2 * done));
    }
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(read.bytes.size() - done, 1u << 30));
    DWORD got = 0;
    if (!::ReadFile(f.h, read.bytes.data() + done, want, &got, nullptr))
      return refused(FileRead::Refusal::System, ::GetLastError());
    if (got == 0) break;
    done += got;
  }
  if (done > limit) return refused(FileRead::Refusal::TooLarge);
  read.bytes.resize(done);
  return read;
}

}  // namespace quarnby::platform
