#include "platform/user_folders.h"

#include <shlobj.h>
#include <windows.h>

#include <cstdlib>

namespace quarnby::platform {

// The local application data folder, asked of the system in wide characters so that a
// user name in any language stays whole; %LOCALAPPDATA% when the system gives none.
std::filesystem::path userStateFolder() {
  wchar_t* known = nullptr;
  std::filesystem::path folder;
  if (::SHGetKnownFolderPath(FOLDERID_LocalAppData, KF_FLAG_DEFAULT, nullptr, &known) == S_OK && known)
    folder = known;
  ::CoTaskMemFree(known);
  if (folder.empty()) {
    const wchar_t* value = ::_wgetenv(L"LOCALAPPDATA");
    if (value && *value) folder = value;
  }
  return folder.is_absolute() ? folder : std::filesystem::path();
}

std::tm localTime(std::int64_t seconds) {
  const std::time_t t = static_cast<std::time_t>(seconds);
  std::tm local{};
  ::localtime_s(&local, &t);
  return local;
}

}  // namespace quarnby::platform
