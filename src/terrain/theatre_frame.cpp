#include "terrain/theatre_frame.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <tuple>
#include <utility>

#include "terrain/file_io.h"
#include "terrain/terrain_folder.h"
#include "terrain/text_lines.h"

namespace quarnby {
namespace {

// Two decimal numbers "LAT,LON", both finite and on the Earth.
std::optional<std::pair<double, double>> centreOf(const std::string& text) {
  const auto comma = text.find(',');
  if (comma == std::string::npos) return std::nullopt;
  const std::string lat(trimmedText(std::string_view(text).substr(0, comma))),
      lon(trimmedText(std::string_view(text).substr(comma + 1)));
  char* end = nullptr;
  const double la = std::strtod(lat.c_str(), &end);
  if (lat.empty() || *end) return std::nullopt;
  const double lo = std::strtod(lon.c_str(), &end);
  if (lon.empty() || *end) return std::nullopt;
  if (!std::isfinite(la) || !std::isfinite(lo) || std::fabs(la) > 90 || std::fabs(lo) > 180) return std::nullopt;
  return std::pair{la, lo};
}

}  // namespace

std::filesystem::path theatreFrameFile(const std::filesystem::path& folder) {
  return folder / kGisFolder / terrainFile(folder, "_theatre.txt").filename();
}

std::string theatreProjectionText(double lat, double lon) {
  char text[160];
  std::snprintf(text, sizeof text, "+proj=aeqd +lat_0=%.10f +lon_0=%.10f +datum=WGS84 +units=m +no_defs", lat, lon);
  return text;
}

TheatreFrame theatreFrameAt(double lat, double lon) { return {lat, lon, theatreProjectionText(lat, lon)}; }

std::optional<std::string> makeTheatreFrameFolder(const std::filesystem::path& folder) {
  std::error_code ec;
  std::filesystem::create_directories(theatreFrameFile(folder).parent_path(), ec);
  if (ec) return systemErrorText(ec.value());
  return std::nullopt;
}

std::string theatreFrameText(const TheatreFrame& frame) {
  char centre[80];
  std::snprintf(centre, sizeof centre, "%.17g,%.17g", frame.lat, frame.lon);
  return "# The theatre's place on the Earth: its centre in degrees (latitude, longitude) and the\r\n"
         "# projection of its grid, 1025 x 1025 samples 2640 feet apart, north up, centred there.\r\n"
         "centre = " +
         std::string(centre) + "\r\nprojection = " + frame.projection + "\r\n";
}

std::optional<TheatreFrame> parseTheatreFrame(std::string_view text, std::string& error) {
  TheatreFrame frame;
  bool haveCentre = false;
  int number = 0;
  while (!text.empty()) {
    const std::string content(trimmedText(takeLine(text)));
    ++number;
    if (content.empty() || content[0] == '#') continue;
    const auto eq = content.find('=');
    const std::string key(eq == std::string::npos ? std::string_view(content)
                                                  : trimmedText(std::string_view(content).substr(0, eq)));
    const std::string value(eq == std::string::npos ? std::string_view()
                                                    : trimmedText(std::string_view(content).substr(eq + 1)));
    if (key == "centre") {
      const auto centre = centreOf(value);
      if (!centre) {
        error = "line " + std::to_string(number) + ": the centre '" + value + "' is not LAT,LON in degrees";
        return std::nullopt;
      }
      std::tie(frame.lat, frame.lon) = *centre;
      haveCentre = true;
    } else if (key == "projection") {
      frame.projection = value;
    } else {
      error = "line " + std::to_string(number) + ": '" + key + "' is neither centre nor projection";
      return std::nullopt;
    }
  }
  if (!haveCentre) {
    error = "it gives no centre";
    return std::nullopt;
  }
  return frame;
}

std::optional<TheatreFrame> readTheatreFrame(const std::filesystem::path& folder, std::string& error, bool* missing) {
  const auto bytes = readWholeFile(theatreFrameFile(folder), readLimit::kSettings, error, missing);
  if (!bytes) return std::nullopt;
  return parseTheatreFrame(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()), error);
}

std::string geoPointText(double lat, double lon) {
  // A value that shows as 0.00000 lies on the equator or the prime meridian: N or E, never
  // "0.00000 S" for a hair below zero.
  const auto part = [](double v, char below, char above) {
    char digits[40];
    std::snprintf(digits, sizeof digits, "%.5f", std::fabs(v));
    const bool zero = std::string_view(digits) == "0.00000";
    return std::string(digits) + ' ' + (v < 0 && !zero ? below : above);
  };
  return part(lat, 'S', 'N') + ", " + part(lon, 'W', 'E');
}

std::string theatreCentreText(const TheatreFrame& frame) {
  return "Theatre centre " + geoPointText(frame.lat, frame.lon);
}

}  // namespace quarnby
