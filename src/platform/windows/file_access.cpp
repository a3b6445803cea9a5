#include "platform/file_access.h"

#include "platform/windows/system_text.h"

namespace quarnby::platform {

// Opened for reading and writing and closed at once, in wide characters: the system then
// answers for read-only files, access lists and files another program holds.
std::optional<std::string> readWriteRefusal(const std::filesystem::path& file) {
  const HANDLE h =
      ::CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return lastSystemText();
  ::CloseHandle(h);
  return std::nullopt;
}

}  // namespace quarnby::platform
