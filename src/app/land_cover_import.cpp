#include "app/land_cover_import.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <map>
#include <system_error>

#include "app/class_tables.h"
#include "app/geo_commands.h"
#include "geo/geo_loader.h"
#include "steps/operation_steps.h"
#include "terrain/cover_bitmap.h"
#include "terrain/file_io.h"
#include "terrain/grids.h"
#include "terrain/terrain_folder.h"
#include "terrain/theatre_frame.h"
#include "typing/set_type.h"

namespace quarnby {
namespace {

constexpr const char* kDefaultTable = "esa-worldcover";
constexpr int kDefaultSmallestPatch = 2;

std::optional<int> patchCells(const std::string& value) {
  int n = 0;
  const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), n);
  if (ec != std::errc() || end != value.data() + value.size() || n < 1 || n > 262144) return std::nullopt;
  return n;
}

std::string checkSmallestPatch(const std::string& value) {
  if (!patchCells(value)) return "--smallest-patch needs a number of cells from 1 to 262144, got '" + value + "'";
  return {};
}

// Passes every message on but Set Type's "Done": the import closes with its own.
class WithoutDone final : public Host {
 public:
  explicit WithoutDone(Host& host) : host_(host) {}
  void showMessage(const std::string& text, Icon icon, const std::string& title) override {
    if (text != "Done") host_.showMessage(text, icon, title);
  }
  bool askYesNo(const std::string& text, const std::string& title, Icon icon) override {
    return host_.askYesNo(text, title, icon);
  }
  void setProgress(ProgressBar bar, int value) override { host_.setProgress(bar, value); }
  void setFocus(const std::string& control) override { host_.setFocus(control); }

 private:
  Host& host_;
};

// The same place, to well under a millimetre: the frame keeps every digit of the centre.
bool sameCentre(geo::GeoPoint a, geo::GeoPoint b) {
  return std::fabs(a.lat - b.lat) < 1e-9 && std::fabs(a.lon - b.lon) < 1e-9;
}

std::string percentText(std::size_t cells) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f%%", 100.0 * static_cast<double>(cells) / kCoverPixelCount);
  return text;
}

// The closing message: what came from where, and where land cover and elevation disagree.
std::string summary(const std::string& table, std::size_t sources, const std::filesystem::path& coverFile,
                    const LandCoverResult& result, const ElevationGrid& elevation) {
  static const char* const kEntryNames[kCoverEntries] = {"Water",  "Grass", "Grassy Rock", "Farm",        "Rock",
                                                         "Forest", "Snow",  "open ground", "bare ground", ""};
  std::array<std::size_t, kCoverEntries> count{};
  std::size_t seaOverLand = 0, landAtSea = 0;
  for (int tr = 0; tr < kCoverSize; ++tr)
    for (int tc = 0; tc < kCoverSize; ++tc) {
      const std::uint8_t entry = result.cells[static_cast<std::size_t>(tr) * kCoverSize + static_cast<std::size_t>(tc)];
      ++count[entry];
      const bool seaLevel = elevation.at(2 * tr, 2 * tc) == 0;
      if (entry == kCoverWater && !seaLevel) ++seaOverLand;
      if (entry != kCoverWater && entry != kNoLandCover && seaLevel) ++landAtSea;
    }
  std::string text = "Imported land cover from " + std::to_string(sources) + (sources == 1 ? " source" : " sources") +
                     " with the class table " + table + " into " + coverFile.string() +
                     ", and typed the theatre from it." + kCrLf + "From land cover:";
  for (int e = 0; e < kNoLandCover; ++e)
    text += std::string(e == 0 ? " " : ", ") + kEntryNames[e] + " " + percentText(count[static_cast<std::size_t>(e)]);
  text += "; without land cover (the altitude bands decide) " + percentText(count[kNoLandCover]) + "." + kCrLf;
  if (!result.unknownCodes.empty()) {
    text += "Codes the table does not know, counted as ALT (sub-samples):";
    bool first = true;
    for (const auto& [code, n] : result.unknownCodes) {
      text += (first ? " " : ", ") + std::to_string(code) + " (" + std::to_string(n) + ")";
      first = false;
    }
    text += "." + kCrLf;
  }
  text += "Land cover water above sea level: " + std::to_string(seaOverLand) +
          " cells (kept as water). Land cover land at sea level: " + std::to_string(landAtSea) +
          " cells (the elevation makes them sea).";
  return text;
}

}  // namespace

std::vector<CommandOption> importLandCoverOptions() {
  // The centre is checked as Import DEM checks it.
  const auto dem = importDemOptions();
  const auto centre = std::find_if(dem.begin(), dem.end(), [](const CommandOption& o) { return o.name == "--centre"; });
  return {
      {"--source", "FILE", "a raster of land cover classes (again for more; later ones win)"},
      {"--table", "NAME|FILE.csv", "the class table (default: esa-worldcover)"},
      {"--centre", "LAT,LON", "the theatre centre (default: the folder's theatre frame)", centre->check},
      {"--smallest-patch", "N", "patches of fewer cells merge into their neighbours (default: 2)", checkSmallestPatch}};
}

std::vector<std::uint8_t> seaLevelCells(const ElevationGrid& elevation) {
  std::vector<std::uint8_t> cells(kCoverPixelCount, 0);
  for (int tr = 0; tr < kCoverSize; ++tr)
    for (int tc = 0; tc < kCoverSize; ++tc)
      cells[static_cast<std::size_t>(tr) * kCoverSize + static_cast<std::size_t>(tc)] =
          elevation.at(2 * tr, 2 * tc) == 0;
  return cells;
}

Outcome ImportLandCover_Click(Context& cx) {
  cx.host.setProgress(ProgressBar::Bar1, 0);
  if (!checkTerrainFolder(cx)) return Outcome::EndedEarly;
  auto refuse = [&](const std::string& text) {
    cx.host.showMessage(text, Icon::Critical);
    return Outcome::EndedEarly;
  };
  const CommandRequest options = cx.request ? *cx.request : CommandRequest{};

  std::string problem;
  const geo::GeoModule* module = geo::geoModule(problem);
  if (!module) return refuse(geo::missingModuleText("Import Land Cover", problem));

  const std::string tableName = options.value("--table").value_or(kDefaultTable);
  std::string error;
  const auto table = loadClassTable(tableName, error);
  if (!table) return refuse("The class table can't be used:" + kCrLf + error);

  // The theatre lies where the folder's frame puts it; a folder without one gets it from
  // --centre, recorded with the layer. A centre that disagrees with the frame is refused:
  // the elevation was laid out on the frame's.
  LandCoverRequest request;
  bool missing = false;
  const auto frame = readTheatreFrame(cx.folder, error, &missing);
  if (!frame && !missing)
    return reportFileFailure(cx.host, "Can't read the theatre frame:", theatreFrameFile(cx.folder), error);
  const auto centre = options.value("--centre");
  if (!frame && !centre)
    return refuse("Import Land Cover needs the theatre's place on the Earth: the folder has no theatre frame (" +
                  theatreFrameFile(cx.folder).string() +
                  ", which Import DEM writes). Give the centre: --centre LAT,LON.");
  request.centre = centre ? *geo::parseGeoPoint(*centre) : geo::GeoPoint{frame->lat, frame->lon};
  if (frame && !sameCentre(request.centre, {frame->lat, frame->lon}))
    return refuse("The theatre centre " + geo::geoText(request.centre) + " differs from the folder's theatre frame (" +
                  theatreFrameFile(cx.folder).string() + "), which puts the theatre at " +
                  geo::geoText({frame->lat, frame->lon}) +
                  ". Leave the centre out to use the frame's, or set the frame first (Set Theatre Centre, set-frame).");
  if (const auto problem = geo::centreProblem(request.centre)) return refuse(*problem);

  const auto elevationFile = terrainFile(cx.folder, suffix::kElevation);
  const auto elevation = ElevationGrid::load(elevationFile, error);
  if (!elevation) return reportInputFailure(cx.host, "Can't open the Elevation File:", elevationFile, error);

  for (const std::string& source : options.values("--source")) request.sources.emplace_back(source);
  request.classes = table->entries();
  request.smallestPatch = patchCells(options.value("--smallest-patch").value_or("")).value_or(kDefaultSmallestPatch);
  request.seaLevel = seaLevelCells(*elevation);
  request.progress = [&](int percent) {
    if (options.progress) return options.progress(percent);
    cx.host.setProgress(ProgressBar::Bar1, percent);
    return true;
  };

  const LandCoverResult result = module->landCover(request);
  if (result.status == LandCoverResult::Status::Cancelled) {
    cx.host.showMessage("The land cover import was cancelled; the folder is as it was.", Icon::Information);
    return Outcome::EndedEarly;
  }
  if (result.status == LandCoverResult::Status::Refused) return refuse(result.problem);

  // The layer and, for a folder that had none, the frame it was counted on: both or neither.
  const auto coverFile = terrainFile(cx.folder, suffix::kCover);
  const auto frameFile = theatreFrameFile(cx.folder);
  const auto coverBytes = coverBitmapFile(std::span<const std::uint8_t, kCoverPixelCount>(result.cells));
  const std::string frameText = theatreFrameText(theatreFrameAt(request.centre.lat, request.centre.lon));
  std::vector<Replacement> files = {{coverFile, coverBytes}};
  if (!frame) {
    if (const auto failed = makeTheatreFrameFolder(cx.folder))
      return reportFileFailure(cx.host, "Can't write the theatre frame:", frameFile, *failed);
    files.push_back({frameFile, {reinterpret_cast<const std::uint8_t*>(frameText.data()), frameText.size()}});
  }
  if (auto failed = replaceFiles(files)) {
    const bool isCover = failed->index == 0;
    return reportFileFailure(cx.host, isCover ? "Can't write the Land Cover File:" : "Can't write the theatre frame:",
                             isCover ? coverFile : frameFile, failed->error);
  }

  // Set Type with the layer just written; its own "Done" gives way to the summary.
  cx.params.setSwitch("UseCover", 1);
  WithoutDone quiet(cx.host);
  Context typing = cx.withHost(quiet);
  if (Command1_Click(typing) != Outcome::Completed) return Outcome::EndedEarly;
  cx.host.showMessage(summary(tableName, request.sources.size(), coverFile, result, *elevation), Icon::Information);
  return Outcome::Completed;
}

}  // namespace quarnby
