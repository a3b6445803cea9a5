#pragma once
#include <vector>

#include "app/commands.h"
#include "geo/geo_types.h"

// The operations that need the geographic module (GDAL): each loads it on first use and
// says so when it is missing, so that everything else runs without it.
namespace quarnby {

// "Import DEM...": the request read from the command's options (--source, again for
// more; --centre LAT,LON; --resampling NAME), handed to the module.
Outcome ImportDem_Click(Context& cx);
std::vector<CommandOption> importDemOptions();

// The request the options of import-dem make (the window's dialog fills the same options).
DemImportRequest demImportRequest(const CommandRequest& request);
CommandRequest commandRequest(const DemImportRequest& request);

// "Export GIS...": the object file's sites and the track file's tracks as a GeoPackage
// (its one option, FILE.gpkg, the file written).
Outcome ExportGis_Click(Context& cx);
std::vector<CommandOption> exportGisOptions();

// quarnby-batch's locate: where a latitude, longitude (or --world X,Z) falls on the grids,
// one NAME=VALUE a line.
Outcome Locate_Click(Context& cx);
std::vector<CommandOption> locateOptions();

}  // namespace quarnby
