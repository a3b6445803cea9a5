#pragma once
#include <filesystem>
#include <functional>
#include <string>

namespace quarnby::testing {

// Runs `work` where the folder can be read but not written, and returns what it returned.
// As an ordinary user the folder is made read-only for the call; as root, whom file
// permissions do not bind, the call runs in a child process that has given up root.
// The folder and the folders above it are opened for reading by others for that.
std::string withoutWriteAccess(const std::filesystem::path& folder, const std::function<std::string()>& work);

// Runs `work` in a child process that has given up root for the user and group `nobody`
// (65534), and returns what it returned. Only for root.
inline constexpr unsigned kNobody = 65534;
std::string asNobody(const std::function<std::string()>& work);

}  // namespace quarnby::testing
