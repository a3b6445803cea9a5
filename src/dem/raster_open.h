#pragma once
#include <filesystem>
#include <string>

#include "dem/gdal_support.h"

namespace quarnby::dem {

// Would GDAL wait on `name` for ever when it opens it (a named pipe, a device)? Then
// "It is " + kWaitsOnOpen says why it is refused.
bool waitsOnOpen(const std::string& name);
inline constexpr const char* kWaitsOnOpen = "not a regular file (a named pipe, a device or a socket).";

// Opens an elevation source read-only. A local file that is not a regular file (a named
// pipe, a device, a socket) is refused before GDAL touches it, as is a source whose member
// files (a VRT's) include one: GDAL would wait on it for ever. On failure returns nothing
// and `reason` says why, in a sentence for the user: GDAL's latest failure from `errors`,
// or `silent` when GDAL said nothing.
Dataset openRaster(const std::filesystem::path& file, const GdalErrors& errors, const std::string& silent,
                   std::string& reason);

}  // namespace quarnby::dem
