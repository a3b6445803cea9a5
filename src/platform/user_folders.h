#pragma once
#include <cstdint>
#include <ctime>
#include <filesystem>

// Where the user's state lives and what the local time is; the operating system's twin
// of this file lives in platform/<system>/user_folders.cpp.
namespace quarnby::platform {

// The user's folder for state that outlives a run: $XDG_STATE_HOME, else ~/.local/state
// (on Windows, %LOCALAPPDATA%, else the local application data folder). Empty when the environment names none.
std::filesystem::path userStateFolder();

// A moment (seconds since the epoch) in the local time zone.
std::tm localTime(std::int64_t seconds);

}  // namespace quarnby::platform
