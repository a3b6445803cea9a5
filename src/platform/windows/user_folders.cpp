#include "platform/user_folders.h"

#include <shlobj.h>
#include <windows.h>

#include <cstdlib>

namespace quarnby::platform {

// The local application data folder: %LOCALAPPDATA% when it names an absolute folder (so
// that it can be pointed elsewhere, as XDG_STATE_HOME can on other systems), else the one
// the system knows, asked in wide characters so that a user name in any language stays whole.
std::filesystem::path userStateFolder() {
  if (const wchar_t* value = ::_wgetenv(L"LOCALAPPDATA"); value && *value) {
    const std::filesystem::path folder(value);
    if (folder.is_absolute()) return folder;
  }
  wchar_t* known = nullptr;
  std::filesystem::path folder;
  if (::SHGetKnownFolderPath(FOLDERID_LocalAppData, KF_FLAG_DEFAULT, nullptr, &known) == S_OK && known) folder = known;
  ::CoTaskMemFree(known);
  return folder.is_absolute() ? folder : std::filesystem::path();
}

std::tm localTime(std::int64_t seconds) {
  const std::time_t t = static_cast<std::time_t>(seconds);
  std::tm local{};
  ::localtime_s(&local, &t);
  return local;
}

}  // namespace quarnby::platform
