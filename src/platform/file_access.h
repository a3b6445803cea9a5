#pragma once
#include <filesystem>
#include <optional>
#include <string>

// Whether a file may be opened for reading and writing; the system's twin of this file
// lives in platform/<system>/file_access.cpp.
namespace quarnby::platform {

// The system's description of why `file` may not be both read and written ("Permission
// denied", "No such file or directory"), or nothing when it may.
std::optional<std::string> readWriteRefusal(const std::filesystem::path& file);

}  // namespace quarnby::platform
