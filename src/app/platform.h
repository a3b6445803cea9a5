#pragma once
#include <cstdint>
#include <ctime>
#include <filesystem>

namespace quarnby {

// What differs between the systems the program runs on, in one place.

// The user's folder for state that outlives a run: $XDG_STATE_HOME, else ~/.local/state;
// the local application data folder on Windows. Empty when the environment names none.
std::filesystem::path userStateFolder();

// A moment (seconds since the epoch) in the local time zone.
std::tm localTime(std::int64_t seconds);

}  // namespace quarnby
