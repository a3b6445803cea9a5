#pragma once
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quarnby {

// The system's description of the last failed file call ("No such file or directory").
std::string systemErrorText(int error);

// The largest file each reader takes, far above any true file of its kind, so that a
// device, a sparse file or a mistaken pick is refused before it fills the memory.
namespace readLimit {
inline constexpr std::size_t kMiB = std::size_t{1} << 20;
inline constexpr std::size_t kBinary = 16 * kMiB;    // grids (2 MiB at most), Terragen fields, bitmaps
inline constexpr std::size_t kText = 256 * kMiB;     // object and track files
inline constexpr std::size_t kSettings = 16 * kMiB;  // the settings file
}  // namespace readLimit

// Reads a whole regular file of at most `limit` bytes, without ever waiting on the file.
// On failure returns nothing and sets `error` to the reason: the system's description,
// "not a regular file" (a pipe, a device) or "larger than N MiB"; `missing`,
// when given, tells whether the file does not exist at all.
std::optional<std::vector<std::uint8_t>> readWholeFile(const std::filesystem::path& file, std::size_t limit,
                                                       std::string& error, bool* missing = nullptr);

struct Replacement;
struct ReplaceFailure;

// A file replaced as a whole: the bytes go to a temporary file beside the target, which
// is renamed over the target only after the last byte was written and is on the disk.
// Until then, and whenever anything fails, the target stays exactly as it was.
// The new file keeps the target's permissions, owner and group as far as the system lets
// it (or the usual ones for a new file); a target that is a symbolic link stays one, and
// the file it names is replaced. The temporary file has a short name of the program's own
// and is removed should the batch program be interrupted.
class SafeFile {
 public:
  // "Opening for output": creates the temporary file. A target that exists but may not
  // be written is refused as the system would refuse opening it.
  static std::optional<SafeFile> create(const std::filesystem::path& target, std::string& error);

  SafeFile(SafeFile&& other) noexcept;
  SafeFile& operator=(SafeFile&&) = delete;
  SafeFile(const SafeFile&) = delete;
  ~SafeFile();

  // Buffers are written as they come; a failure is remembered and reported by commit().
  void write(std::span<const std::uint8_t> bytes);
  void write(std::string_view text);

  // Writes out everything buffered; the system's description of the first write failure
  // so far, if any. The file stays open and the target untouched.
  std::optional<std::string> flush();

  // Finishes the file and puts it in place. Returns the system's description of the
  // failure, if any; the target is then untouched and the temporary file gone.
  std::optional<std::string> commit();

  // Drops the temporary file; the target stays as it was.
  void abandon();

 private:
  friend std::optional<ReplaceFailure> replaceFiles(std::span<const Replacement>,
                                                    const std::function<void(std::size_t)>&);
  SafeFile(std::filesystem::path target, std::filesystem::path temp, int fd);
  void flushBuffer();
  // Writes out, syncs and closes the temporary file; the first failure so far.
  std::optional<std::string> finish();
  // Renames the finished temporary file over the target.
  std::optional<std::string> putInPlace();

  std::filesystem::path target_;  // the file replaced, links followed
  std::filesystem::path temp_;
  int fd_ = -1;
  std::optional<std::string> error_;
  std::vector<std::uint8_t> buffer_;
};

// Creates, writes and commits in one step; the error text on failure.
std::optional<std::string> replaceFile(const std::filesystem::path& target, std::span<const std::uint8_t> bytes);
std::optional<std::string> replaceFile(const std::filesystem::path& target, std::string_view text);

// Several files replaced all or nothing: every temporary file is written out and every
// target checked before the first rename, so a failure while writing (a full disk, a
// folder that may not be written, a file another user keeps in a sticky folder) leaves
// every target as it was; and the old files are kept under a second name until the last
// rename succeeded, so a rename that fails all the same puts the earlier ones back.
// A replacement with `remove` set takes its target away instead, in the same all or
// nothing: kept under a second name like the others until the last rename succeeded.
// `beforeRename(i)` runs just before file i is renamed (tests break a target there).
struct Replacement {
  std::filesystem::path target;
  std::span<const std::uint8_t> bytes;
  bool remove = false;
};
struct ReplaceFailure {
  std::size_t index;  // of the file that failed
  std::string error;  // the system's description
};
std::optional<ReplaceFailure> replaceFiles(std::span<const Replacement> files,
                                           const std::function<void(std::size_t)>& beforeRename = {});

// Removes the temporary files in `folder` that runs of the program left behind when they
// were killed: those of processes no longer running.
void removeLeftoverTemps(const std::filesystem::path& folder);

}  // namespace quarnby
