#include "batch/dem_command.h"

#include <cmath>
#include <cstdlib>

#include "app/commands.h"
#include "dem/import_dem.h"
#include "dem/theatre_warp.h"
#include "terrain/terrain_folder.h"

namespace quarnby::batch {
namespace {

// "LAT,LON" in degrees; nothing when it is not two numbers.
std::optional<dem::GeoPoint> parseCentre(const std::string& text) {
  const auto comma = text.find(',');
  if (comma == std::string::npos) return std::nullopt;
  const std::string lat = text.substr(0, comma), lon = text.substr(comma + 1);
  char* end = nullptr;
  const double la = std::strtod(lat.c_str(), &end);
  if (lat.empty() || *end) return std::nullopt;
  const double lo = std::strtod(lon.c_str(), &end);
  if (lon.empty() || *end) return std::nullopt;
  return dem::GeoPoint{la, lo};
}

std::string takeCentre(Options& o, std::string_view name, const std::string& value) {
  if (!parseCentre(value)) return "--centre needs LAT,LON in degrees, got '" + value + "'";
  return keepForCommand(o, name, value);
}

std::string takeResampling(Options& o, std::string_view name, const std::string& value) {
  if (!dem::isResamplingName(value)) {
    std::string names;
    for (const std::string& n : dem::resamplingNames()) names += (names.empty() ? "" : ", ") + n;
    return "--resampling needs one of " + names + ", got '" + value + "'";
  }
  return keepForCommand(o, name, value);
}

}  // namespace

CommandSpec importDemCommand() {
  return {"import-dem",
          "the Terragen file and column from elevation rasters (GDAL)",
          {{"--source", "FILE", "a raster of heights (again for more; later ones win)", keepForCommand},
           {"--centre", "LAT,LON", "the theatre centre (default: the centre of the sources)", takeCentre},
           {"--resampling", "NAME", "GDAL's resampling (default: average or bilinear)", takeResampling}}};
}

Outcome runImportDem(const CommandCall& call, Context& cx, std::ostream* terminal) {
  DemImportRequest request;
  for (const auto& [name, value] : call.options) {
    if (name == "--source") request.sources.emplace_back(value);
    if (name == "--centre") request.centre = parseCentre(value);
    if (name == "--resampling") request.resampling = value;
  }
  if (terminal)
    request.progress = [terminal](int percent) {
      *terminal << "\rimport-dem: " << percent << "%" << (percent == 100 ? "\n" : "") << std::flush;
      return true;
    };
  return runOperation(cx, FileChanges{"Import DEM", {suffix::kTerragen}},
                      [&](Context& c) { return ImportDem_Click(c, request); });
}

}  // namespace quarnby::batch
