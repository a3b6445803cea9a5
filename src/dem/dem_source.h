#pragma once
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "dem/theatre.h"

namespace quarnby::dem {

using geo::SourceInfo;

// Opens a source and checks it. When it cannot serve, returns nothing and `problem` is the
// message for the user (the file named on its own line).
std::optional<SourceInfo> describeSource(const std::filesystem::path& file, std::string& problem);

// The centre of the sources' combined extent in latitude and longitude.
GeoPoint centreOfSources(std::span<const SourceInfo> sources);

// The outline of the theatre square centred on `centre`, in latitude and longitude,
// walked around its edge.
std::vector<GeoPoint> theatreOutline(GeoPoint centre);

}  // namespace quarnby::dem
