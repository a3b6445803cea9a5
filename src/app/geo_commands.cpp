#include "app/geo_commands.h"

#include <cmath>
#include <cstdio>

#include "geo/geo_loader.h"
#include "steps/operation_steps.h"
#include "terrain/grids.h"
#include "terrain/terrain_folder.h"

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

std::string checkGeoPackage(const std::string& value) {
  if (value.empty()) return "export-gis needs the name of the GeoPackage to write";
  return {};
}

// Two finite numbers "A,B".
std::optional<geo::GeoPoint> numberPair(const std::string& text) {
  const auto p = geo::parseGeoPoint(text);
  if (!p || !std::isfinite(p->lat) || !std::isfinite(p->lon)) return std::nullopt;
  return p;
}

std::string checkLatLon(const std::string& value) {
  const auto p = numberPair(value);
  if (!p || std::fabs(p->lat) > 90 || std::fabs(p->lon) > 180)
    return "locate needs LAT,LON in degrees, got '" + value + "'";
  return {};
}

std::string checkWorld(const std::string& value) {
  if (!numberPair(value)) return "--world needs X,Z in feet east and north of the theatre centre, got '" + value + "'";
  return {};
}

const geo::GeoModule* loadedModule(Context& cx, const std::string& what) {
  std::string problem;
  const geo::GeoModule* module = geo::geoModule(problem);
  if (!module) cx.host.showMessage(geo::missingModuleText(what, problem), Icon::Critical);
  return module;
}

std::string fixed(double v, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, v);
  return text;
}

}  // namespace

std::vector<CommandOption> exportGisOptions() {
  return {{"FILE.gpkg", "", "the GeoPackage written (replaced when it exists)", checkGeoPackage}};
}

std::vector<CommandOption> locateOptions() {
  return {{"LAT,LON", "", "the point in degrees (WGS84)", checkLatLon},
          {"--world", "X,Z", "the point in feet east and north of the theatre centre", checkWorld}};
}

Outcome ExportGis_Click(Context& cx) {
  const auto file = cx.request ? cx.request->value("FILE.gpkg") : std::nullopt;
  if (!file || file->empty()) {
    cx.host.showMessage("Export GIS needs the name of the GeoPackage to write.", Icon::Critical);
    return Outcome::EndedEarly;
  }
  const geo::GeoModule* module = loadedModule(cx, "Export GIS");
  if (!module) return Outcome::EndedEarly;
  return module->exportGis(cx, std::filesystem::u8path(*file));
}

Outcome Locate_Click(Context& cx) {
  if (!checkTerrainFolder(cx)) return Outcome::EndedEarly;
  const auto latLon = cx.request ? cx.request->value("LAT,LON") : std::nullopt;
  const auto world = cx.request ? cx.request->value("--world") : std::nullopt;
  if (latLon.has_value() == world.has_value()) {
    cx.host.showMessage("locate takes one point: LAT,LON or --world X,Z.", Icon::Critical);
    return Outcome::EndedEarly;
  }
  const auto frame = requireTheatreFrame(cx, "locate");
  if (!frame) return Outcome::EndedEarly;
  const geo::GeoModule* module = loadedModule(cx, "locate");
  if (!module) return Outcome::EndedEarly;

  std::string problem;
  geo::GeoPoint where;
  geo::WorldPoint at;
  bool placed = false;
  if (latLon) {
    where = *numberPair(*latLon);
    placed = module->toWorld(frame->projection, {&where, 1}, {&at, 1}, problem);
  } else {
    const geo::GeoPoint xz = *numberPair(*world);
    at = {xz.lat, xz.lon};
    placed = module->toGeographic(frame->projection, {&at, 1}, {&where, 1}, problem);
  }
  const auto column = worldToIndex(at.x), row = worldToIndex(at.z);
  if (placed && (!column || !row || *column < 0 || *column >= kElevSize || *row < 0 || *row >= kElevSize))
    problem = "The point lies off the theatre: its nearest sample would be row " + std::to_string(row.value_or(0)) +
              ", column " + std::to_string(column.value_or(0)) + ", and the grid runs from 0 to 1023.";
  if (!problem.empty()) {
    cx.host.showMessage(problem, Icon::Critical);
    return Outcome::EndedEarly;
  }

  // The height there when the folder has an elevation grid; none is no failure.
  std::string elevation;
  const auto elevationFile = terrainFile(cx.folder, suffix::kElevation);
  std::error_code ec;
  if (std::filesystem::exists(elevationFile, ec)) {
    std::string error;
    const auto grid = ElevationGrid::load(elevationFile, error);
    if (!grid) return reportInputFailure(cx.host, "Can't open the Elevation File:", elevationFile, error);
    elevation = std::to_string(grid->at(static_cast<int>(*row), static_cast<int>(*column)));
  }
  const std::string lines[] = {"row=" + std::to_string(*row),
                               "column=" + std::to_string(*column),
                               "type_row=" + std::to_string(*row / 2),
                               "type_column=" + std::to_string(*column / 2),
                               "x_ft=" + fixed(at.x, 2),
                               "z_ft=" + fixed(at.z, 2),
                               "elevation_ft=" + elevation,
                               "latitude=" + fixed(where.lat, 8),
                               "longitude=" + fixed(where.lon, 8)};
  std::string text;
  for (const std::string& line : lines) text += (text.empty() ? "" : kCrLf) + line;
  cx.host.showMessage(text, Icon::Information);
  return Outcome::Completed;
}

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
