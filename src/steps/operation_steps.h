#pragma once
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "core/context.h"

// The steps that every operation takes the same way and that end in a message: checking
// the terrain folder, stopping at a file that cannot be opened or written.
namespace quarnby {

// The folder check every file operation starts with: the base name, or nothing after
// telling the user "Please select a terrain folder.".
std::optional<std::string> checkTerrainFolder(Context& cx);

}  // namespace quarnby
