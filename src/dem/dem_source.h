#pragma once
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "dem/theatre.h"

namespace quarnby::dem {

// An elevation source as the import sees it before warping: a raster GDAL reads, of one
// band, placed on the earth by its coordinate system.
struct SourceInfo {
  std::filesystem::path path;
  int width = 0;
  int height = 0;
  // The raster's edge in latitude and longitude, walked around its outline.
  std::vector<GeoPoint> outline;
  double latMin = 0.0, latMax = 0.0, lonMin = 0.0, lonMax = 0.0;
};

// Opens a source and checks it. When it cannot serve, returns nothing and `problem` is the
// message for the user (the file named on its own line).
std::optional<SourceInfo> describeSource(const std::filesystem::path& file, std::string& problem);

// The centre of the sources' combined extent in latitude and longitude.
GeoPoint centreOfSources(std::span<const SourceInfo> sources);

// The outline of the theatre square centred on `centre`, in latitude and longitude,
// walked around its edge.
std::vector<GeoPoint> theatreOutline(GeoPoint centre);

}  // namespace quarnby::dem
