#include "steps/operation_steps.h"

#include <string>
#include <system_error>

#include "terrain/terrain_folder.h"

namespace quarnby {

std::optional<std::string> checkTerrainFolder(Context& cx) {
  std::string base = baseName(cx.folder);
  if (base.empty()) {
    cx.host.showMessage("Please select a terrain folder.", Icon::Information);
    return std::nullopt;
  }
  return base;
}

Outcome reportFileFailure(Host& host, std::string_view kindLine, const std::filesystem::path& file,
                          const std::string& error, const FileMessageLayout& layout) {
  std::string text = layout.namesFile ? fileMessage(kindLine, file, error, layout.lineBreak)
                                      : std::string(kindLine) + layout.lineBreak + error;
  if (!layout.closingLine.empty()) text += kCrLf + layout.closingLine;
  host.showMessage(text, layout.icon, layout.title);
  return Outcome::EndedEarly;
}

namespace {

bool endsWith(std::string_view text, std::string_view end) {
  return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

}  // namespace

std::string missingFileAdvice(const std::filesystem::path& file, bool wholePath) {
  const std::string fileName = file.filename().string();
  const std::string name = wholePath ? file.string() : fileName;
  auto press = [&](const char* button) { return std::string("Press ") + button + " first: it writes " + name + "."; };
  // "_elv.bmp" first: the other suffixes are not endings of it.
  if (endsWith(fileName, suffix::kGreyscale))
    return "Press Export first (it writes " + name + "), or save a greyscale bitmap under that name.";
  if (endsWith(fileName, suffix::kTerragen))
    return "Press Import DEM... first (it writes " + name + "), or save a Terragen height field under that name.";
  if (endsWith(fileName, suffix::kObjects))
    return "Put the terrain's object file " + name + " in the folder: it lists the sites, and no button writes it.";
  if (endsWith(fileName, suffix::kElevation)) return press("Set Elevation");
  if (endsWith(fileName, suffix::kType)) return press("Set Type");
  if (endsWith(fileName, suffix::kSubType)) return press("Set Sub-Types");
  if (endsWith(fileName, suffix::kTracks)) return press("Make Tracks");
  return {};
}

Outcome reportInputFailure(Host& host, std::string_view kindLine, const std::filesystem::path& file,
                           const std::string& error, const FileMessageLayout& layout) {
  // Only a file that is not there, in a folder that is: a file that cannot be read, or a
  // folder that is gone, is not mended by the button that writes the file.
  std::error_code ec;
  const bool missing = std::filesystem::status(file, ec).type() == std::filesystem::file_type::not_found &&
                       std::filesystem::is_directory(file.parent_path(), ec);
  const std::string advice = missing ? missingFileAdvice(file, !layout.namesFile) : std::string();
  if (advice.empty()) return reportFileFailure(host, kindLine, file, error, layout);
  FileMessageLayout advised = layout;
  advised.closingLine = layout.closingLine.empty() ? advice : layout.closingLine + kCrLf + advice;
  return reportFileFailure(host, kindLine, file, error, advised);
}

std::optional<TheatreFrame> requireTheatreFrame(Context& cx, std::string_view operation) {
  std::string error;
  bool missing = false;
  auto frame = readTheatreFrame(cx.folder, error, &missing);
  if (frame) return frame;
  if (missing)
    cx.host.showMessage(std::string(operation) +
                            " needs the theatre's place on the Earth: the folder has no theatre frame (" +
                            theatreFrameFile(cx.folder).string() + ", which Import DEM writes).",
                        Icon::Critical);
  else reportFileFailure(cx.host, "Can't read the theatre frame:", theatreFrameFile(cx.folder), error);
  return std::nullopt;
}

}  // namespace quarnby
