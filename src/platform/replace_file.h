#pragma once
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

// What replacing a file needs of the operating system; the system's twin of this file
// lives in platform/<system>/replace_file.cpp. Every failure comes back as the system's
// description ("Permission denied").
namespace quarnby::platform {

// The file a write to `target` must replace: the file a symbolic link names (followed to
// the end), so that the link stays a link; `target` itself otherwise.
std::filesystem::path fileBehind(const std::filesystem::path& target);

// Why `file` could not be replaced by renaming another file over it, if anything stands
// in the way: a folder of that name, anything else that is not a regular file (a device,
// a pipe), a file that may not be written, a folder whose
// sticky bit keeps another user's file from being replaced.
std::optional<std::string> replaceRefusal(const std::filesystem::path& file);

// Temporary files carry a short name of the program's own that holds the number of the
// process writing them and its start, ".quarnby-<process>-<start>-XXXXXX", whatever the
// length of the target's.
inline constexpr std::string_view kTempPrefix = ".quarnby-";

struct TempFile {
  std::filesystem::path path;
  int handle = -1;
};
// Creates an empty temporary file in `folder`. It takes the permissions, owner and group
// of `like` as far as the system allows (an existing target), or the usual ones for a new
// file when `like` is empty.
std::optional<TempFile> createTemp(const std::filesystem::path& folder, const std::filesystem::path& like,
                                   std::string& error);
// Writes all of `bytes`; a short write is retried, an interruption too.
std::optional<std::string> writeAll(int handle, std::span<const std::uint8_t> bytes);
// Puts the data on the disk and closes the file; the handle is closed in any case.
std::optional<std::string> syncAndClose(int handle);
// How many files' data syncAndClose put on the disk in this process (tests count them).
std::uint64_t filesSynced();
void countSync();
void closeHandle(int handle);

// Renames `from` over `to` in one step, then puts the folder's change on the disk.
std::optional<std::string> renameOver(const std::filesystem::path& from, const std::filesystem::path& to);
void removeFile(const std::filesystem::path& file);

// A second temporary name in the same folder for the file as it is now (a hard link, or a
// copy where links are refused), so that it can be put back after it was replaced.
std::optional<std::filesystem::path> keepAside(const std::filesystem::path& file, std::string& error);

}  // namespace quarnby::platform
