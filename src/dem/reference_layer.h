#pragma once
#include <filesystem>
#include <optional>
#include <string>

#include "geo/theatre_map.h"

namespace quarnby::dem {

// The first layer of a vector file OGR reads, reprojected from its own coordinate system
// to the theatre projection `projection` and given in world feet; features wholly off the
// theatre are left out. Nothing, with the message for the user in `problem`, when the file
// cannot be read or its layer has no coordinate system.
std::optional<geo::ReferenceLayer> readReference(const std::filesystem::path& file, const std::string& projection,
                                                 std::string& problem);

}  // namespace quarnby::dem
