#pragma once
#include <filesystem>

#include "core/context.h"

namespace quarnby::dem {

// "export-gis FILE.gpkg": the object file's sites as the point layer `sites` and the
// track file's tracks as the line layer `tracks` of a GeoPackage, in the theatre's
// projection (world feet x 0.3048). Records that cannot be placed are left out and
// counted. The GeoPackage is written under a temporary name and renamed only when whole.
Outcome exportGis(Context& cx, const std::filesystem::path& file);

}  // namespace quarnby::dem
