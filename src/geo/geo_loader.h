#pragma once
#include <filesystem>
#include <string>

#include "geo/geo_module.h"

namespace quarnby::geo {

// Where the geographic module is looked for: $QUARNBY_GEO_MODULE when set (a whole file
// name), else beside the program, else in the program's library folder
// (../lib/<arch>/quarnby/ of an installed program). Empty when none of those has it.
std::filesystem::path geoModuleFile();

// The geographic module, loaded the first time it is asked for and kept for the run;
// nothing, with the reason in `problem`, when it is not installed or cannot be loaded.
const GeoModule* geoModule(std::string& problem);

// The first lines of the message of a command that needs the module when it is missing:
// "<what> needs the geographic module (GDAL), which is not available:" and the reason.
std::string missingModuleText(const std::string& what, const std::string& problem);

}  // namespace quarnby::geo
