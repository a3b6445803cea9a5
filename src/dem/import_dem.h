#pragma once
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/context.h"
#include "dem/theatre.h"

namespace quarnby {

// What "Import DEM..." is asked to do: the sources in order (a later one wins where they
// overlap), the theatre centre (the centre of the sources' extent when not given) and
// GDAL's resampling ("" picks `average` or `bilinear` by the sources' cell size).
struct DemImportRequest {
  std::vector<std::filesystem::path> sources;
  std::optional<dem::GeoPoint> centre;
  std::string resampling;
  // Told the percentage done; returns false to stop the import, which then leaves the
  // height field as it was. Without it the progress goes to ProgressBar1.
  std::function<bool(int percent)> progress;
};

// "Import DEM...": warps the sources onto the theatre grid and writes the terrain's
// Terragen height field (heights in feet, first row the southern edge), then fills the
// Terragen column so that "Set Elevation" gives those heights in feet and "Find Units"
// finds what is already there.
Outcome ImportDem_Click(Context& cx, const DemImportRequest& request);

}  // namespace quarnby
