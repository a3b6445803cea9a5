#pragma once
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/context.h"
#include "dem/theatre.h"

namespace quarnby {

// "Import DEM...": warps the sources onto the theatre grid and writes the terrain's
// Terragen height field (heights in feet, first row the southern edge), then fills the
// Terragen column so that "Set Elevation" gives those heights in feet and "Find Units"
// finds what is already there.
Outcome ImportDem_Click(Context& cx, const DemImportRequest& request);

}  // namespace quarnby
