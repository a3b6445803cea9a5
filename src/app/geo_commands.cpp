#include "app/geo_commands.h"

#include "geo/geo_loader.h"

namespace quarnby {
namespace {

std::string checkCentre(const std::string& value) {
  if (!geo::parseGeoPoint(value)) return "--centre needs LAT,LON in degrees, got '" + value + "'";
  return {};
}

std::string checkResampling(const std::string& value) {
  if (!geo::isResamplingName(value))
    return "--resampling needs one of " + geo::resamplingList() + ", got '" + value + "'";
  return {};
}

}  // namespace

std::vector<CommandOption> importDemOptions() {
  return {{"--source", "FILE", "a raster of heights (again for more; later ones win)"},
          {"--centre", "LAT,LON", "the theatre centre (default: the centre of the sources)", checkCentre},
          {"--resampling", "NAME", "GDAL's resampling (default: average or bilinear)", checkResampling}};
}

DemImportRequest demImportRequest(const CommandRequest& request) {
  DemImportRequest dem;
  for (const std::string& source : request.values("--source")) dem.sources.emplace_back(source);
  if (auto centre = request.value("--centre")) dem.centre = geo::parseGeoPoint(*centre);
  dem.resampling = request.value("--resampling").value_or("");
  dem.progress = request.progress;
  return dem;
}

CommandRequest commandRequest(const DemImportRequest& dem) {
  CommandRequest request;
  for (const auto& source : dem.sources) request.options.emplace_back("--source", source.string());
  if (dem.centre) request.options.emplace_back("--centre", geo::exactGeoPointText(*dem.centre));
  if (!dem.resampling.empty()) request.options.emplace_back("--resampling", dem.resampling);
  request.progress = dem.progress;
  return request;
}

Outcome ImportDem_Click(Context& cx) {
  std::string problem;
  const geo::GeoModule* module = geo::geoModule(problem);
  if (!module) {
    cx.host.showMessage(geo::missingModuleText("Import DEM", problem), Icon::Critical);
    return Outcome::EndedEarly;
  }
  return module->importDem(cx, demImportRequest(cx.request ? *cx.request : CommandRequest{}));
}

}  // namespace quarnby
