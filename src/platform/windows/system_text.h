#pragma once
// What every Windows twin of a platform file shares: the system's own description of an
// error, and UTF-8 from the wide texts Windows speaks in.
#include <windows.h>

#include <string>
#include <string_view>

namespace quarnby::platform {

// UTF-8 of a wide text.
std::string utf8(std::wstring_view text);

// The system's own description of a Windows error code ("Access is denied."), from
// FormatMessageW, without the line break it ends in.
std::string systemText(DWORD error);

// The description of the last failed Windows call.
inline std::string lastSystemText() { return systemText(::GetLastError()); }

}  // namespace quarnby::platform
