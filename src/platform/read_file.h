#pragma once
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// The one place that opens a file for reading; the operating system's twin of this file
// lives in platform/<system>/read_file.cpp.
namespace quarnby::platform {

// The reason given for a pipe, a device or a socket where a file belongs.
inline constexpr const char* kNotRegularFile = "not a regular file";

struct FileRead {
  enum class Refusal { None, Missing, System, NotRegular, TooLarge };
  Refusal refusal = Refusal::None;
  std::string systemText;  // the system's description, for Missing and System
  std::vector<std::uint8_t> bytes;
};

// Reads a regular file of at most `limit` bytes. The file is opened without waiting (a
// named pipe with no writer does not hold the program) and refused before a byte is read
// when it is a folder (the system's "Is a directory"), another thing that is not a
// regular file (a pipe, a device, a socket) or larger than `limit`; a file that grows past `limit`
// while it is read is refused too.
FileRead readRegularFile(const std::filesystem::path& file, std::size_t limit);

}  // namespace quarnby::platform
