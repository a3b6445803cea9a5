#pragma once
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace quarnby {

// Where the theatre lies on the Earth, kept with the terrain in `gis/<base>_theatre.txt`
// so that every later georeferenced step finds it again: the theatre centre in degrees
// (north and east positive) and the projection of the theatre grid as PROJ text, which a
// GIS takes as it stands. CR LF text lines "centre = LAT,LON" and "projection = ...".
struct TheatreFrame {
  double lat = 0.0;
  double lon = 0.0;
  std::string projection;
};

std::filesystem::path theatreFrameFile(const std::filesystem::path& folder);

// The frame of a theatre centred on (lat, lon): its grid in an azimuthal equidistant
// projection on the centre, as PROJ text.
std::string theatreProjectionText(double lat, double lon);
TheatreFrame theatreFrameAt(double lat, double lon);
// Makes the GIS subfolder the frame lives in; the system's reason when it cannot.
std::optional<std::string> makeTheatreFrameFolder(const std::filesystem::path& folder);

// The file's text, the centre with every digit kept.
std::string theatreFrameText(const TheatreFrame& frame);
// The frame from the file's text; nothing, with the reason in `error`, when a line is
// neither blank, a comment (#) nor one of the two, or the centre is missing or no point.
std::optional<TheatreFrame> parseTheatreFrame(std::string_view text, std::string& error);
// Reads the folder's frame; `missing` tells that the folder has none.
std::optional<TheatreFrame> readTheatreFrame(const std::filesystem::path& folder, std::string& error,
                                             bool* missing = nullptr);

// A point in degrees, five decimals and the hemisphere: "46.51234 N, 8.00321 E".
std::string geoPointText(double lat, double lon);
// "Theatre centre 46.50000 N, 8.00000 E".
std::string theatreCentreText(const TheatreFrame& frame);

}  // namespace quarnby
