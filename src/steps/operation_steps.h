#pragma once
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "core/context.h"
#include "terrain/theatre_frame.h"

// The steps that every operation takes the same way and that end in a message: checking
// the terrain folder, stopping at a file that cannot be opened or written.
namespace quarnby {

// The folder check every file operation starts with: the base name, or nothing after
// telling the user "Please select a terrain folder.".
std::optional<std::string> checkTerrainFolder(Context& cx);

// How a message about a file is laid out beyond its three lines: the break between them
// (CR LF, or CR alone where the operation uses it), whether the file's name is one of
// them, a closing line after a CR LF, the box's title (empty: the program's name) and its
// icon.
struct FileMessageLayout {
  std::string lineBreak = kCrLf;
  bool namesFile = true;
  std::string closingLine = {};
  std::string title = {};
  Icon icon = Icon::Critical;
};

// Tells the user that `file` cannot be opened, read or written: the line naming the kind
// of file, the file's full name and the system's description (fileMessage). Returns
// EndedEarly, for the operation that stops there to return.
Outcome reportFileFailure(Host& host, std::string_view kindLine, const std::filesystem::path& file,
                          const std::string& error, const FileMessageLayout& layout = {});

// What the user can do about a terrain file that is not there: the button that writes it,
// or where a source the user brings comes from. The file is named by its name, or by its
// whole path for a message that does not name it otherwise; empty for a file of no
// terrain suffix.
std::string missingFileAdvice(const std::filesystem::path& file, bool wholePath);

// reportFileFailure for a file an operation reads: when the file is not there but its
// folder is, the message ends with one more line, missingFileAdvice.
Outcome reportInputFailure(Host& host, std::string_view kindLine, const std::filesystem::path& file,
                           const std::string& error, const FileMessageLayout& layout = {});

// The folder's theatre frame for an operation that places the terrain on the Earth
// (`operation` names it in the message); nothing after telling the user that the folder
// has none, or that it cannot be read.
std::optional<TheatreFrame> requireTheatreFrame(Context& cx, std::string_view operation);

}  // namespace quarnby
