#include "dem/import_dem.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <system_error>

#include "core/number_text.h"
#include "dem/dem_source.h"
#include "dem/feet_field.h"
#include "dem/theatre_warp.h"
#include "elevation/range_finders.h"
#include "steps/operation_steps.h"
#include "terrain/file_io.h"
#include "terrain/terrain_folder.h"
#include "terrain/theatre_frame.h"

namespace quarnby {

using namespace dem;

namespace {

std::string percentText(double share) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f%%", 100.0 * share);
  return text;
}

std::string feetText(double feet) { return numberText(std::round(feet * 10.0) / 10.0) + " ft"; }

// Passes a percentage on only when it changes: to the request's own callback, or else to
// ProgressBar1. False when the user stopped the import.
class ProgressThrottle {
 public:
  ProgressThrottle(Host& host, const std::function<bool(int)>& progress) : host_(host), progress_(progress) {}
  bool operator()(int percent) {
    if (percent == shown_) return true;
    shown_ = percent;
    if (progress_) return progress_(percent);
    host_.setProgress(ProgressBar::Bar1, percent);
    return true;
  }

 private:
  Host& host_;
  const std::function<bool(int)>& progress_;
  int shown_ = -1;
};

// "average, bilinear": the methods the sources were warped with, each once.
std::string methodsText(const std::vector<std::string>& methods) {
  std::string text;
  for (auto it = methods.begin(); it != methods.end(); ++it)
    if (std::find(methods.begin(), it, *it) == it) text += (text.empty() ? "" : ", ") + *it;
  return text;
}

Outcome cancelled(Host& host, const std::filesystem::path& fieldPath) {
  host.showMessage("The DEM import was cancelled; the height field is as it was:" + kCrLf + fieldPath.string(),
                   Icon::Information);
  return Outcome::EndedEarly;
}

// The sources described and the theatre's centre; or why the request cannot be carried out.
std::optional<std::string> planImport(const DemImportRequest& request, std::vector<SourceInfo>& sources,
                                      GeoPoint& centre) {
  if (request.sources.empty()) return "Import DEM needs at least one elevation source.";
  if (!request.resampling.empty() && !isResamplingName(request.resampling))
    return "There is no resampling \"" + request.resampling + "\". GDAL's are: " + geo::resamplingList() + ".";
  for (const auto& file : request.sources) {
    std::string problem;
    auto info = describeSource(file, problem);
    if (!info) return problem;
    sources.push_back(std::move(*info));
  }
  centre = request.centre.value_or(centreOfSources(sources));
  if (auto problem = centreProblem(centre)) return problem;
  if (!sourcesTouchTheatre(sources, centre))
    return "No source touches the theatre centred on " + geoText(centre) +
           ". Pick a centre within the sources (\"Centre of the sources\") or sources around the centre.";
  return std::nullopt;
}

std::string beyondEarthText(std::size_t samples) {
  return std::to_string(samples) + (samples == 1 ? " sample was" : " samples were") +
         " given a height beyond the Earth's (above 9000 m or below -12000 m), taken as no height.";
}

// The Terragen column as "Find Units" would fill it from the field just written, with the
// units read as feet.
elevation::UnitRange fillTerragenColumn(ParameterSet& params, std::vector<std::uint8_t> fieldBytes) {
  std::string parseProblem;
  const auto field = TerragenFile::parse(std::move(fieldBytes), parseProblem);
  const auto range = elevation::findUnitRange(*field, params.option("MapSize512"));
  params.setText("MaxUnits", signedNumberText(range.maximum));
  params.setText("MinUnits", signedNumberText(range.minimum));
  params.setText("slUnits", "0");
  params.setText("unitExp", "1");
  params.setText("MaxAlt", numberText(range.maximum));
  params.setSwitch("InvFileOrder", 0);
  return range;
}

std::string importReport(const std::filesystem::path& fieldPath, std::size_t sourceCount,
                         const std::vector<std::string>& resamplings, GeoPoint centre, const FeetField& field,
                         elevation::UnitRange range) {
  const auto corners = theatreCorners(centre);
  const auto [lowest, highest] = std::minmax_element(field.samples.begin(), field.samples.end());
  const double uncovered = static_cast<double>(field.uncovered) / static_cast<double>(field.samples.size());
  std::string text = "Imported " + std::to_string(sourceCount) + (sourceCount == 1 ? " source" : " sources") +
                     " into " + fieldPath.string() + " (resampling: " + methodsText(resamplings) + ")." + kCrLf;
  text += "Theatre corners (latitude, longitude): SW " + geoText(corners[0]) + "; SE " + geoText(corners[1]) + "; NE " +
          geoText(corners[2]) + "; NW " + geoText(corners[3]) + "." + kCrLf;
  text += "Highest " + feetText(field.encoding.units(*highest)) + ", lowest " +
          feetText(field.encoding.units(*lowest)) + "." + kCrLf;
  text += field.uncovered == 0 ? "The sources cover the whole theatre." + kCrLf
                               : "No source gave a height for " + percentText(uncovered) +
                                     " of the theatre; it lies at sea level." + kCrLf;
  if (field.beyondEarth > 0) text += beyondEarthText(field.beyondEarth) + kCrLf;
  if (field.seaFloor) text += "Sea floor deeper than " + feetText(*field.seaFloor) + " was raised to it." + kCrLf;
  text += "The Terragen column is set for \"Set Elevation\" in feet (unit^ 1, SL 0, Max Units " +
          numberText(range.maximum) + ", Min Units " + numberText(range.minimum) + ", Max Alt " +
          numberText(range.maximum) + ", \"Invert '*.ter' order\" off); \"Find Units\" would find the same.";
  return text;
}

}  // namespace

Outcome ImportDem_Click(Context& cx, const DemImportRequest& request) {
  cx.host.setProgress(ProgressBar::Bar1, 0);
  if (!checkTerrainFolder(cx)) return Outcome::EndedEarly;
  const auto fieldPath = terrainFile(cx.folder, suffix::kTerragen);
  auto refuse = [&](const std::string& text) {
    cx.host.showMessage(text, Icon::Critical);
    return Outcome::EndedEarly;
  };
  std::vector<SourceInfo> sources;
  GeoPoint centre;
  if (auto problem = planImport(request, sources, centre)) return refuse(*problem);

  // The warp takes the progress up to 90; the rest is quick.
  ProgressThrottle report(cx.host, request.progress);
  TheatreHeights heights;
  std::string problem;
  const WarpResult warped = warpSources(
      sources, centre, request.resampling, [&](double done) { return report(static_cast<int>(done * 90.0)); }, heights,
      problem);
  if (warped == WarpResult::Cancelled) return cancelled(cx.host, fieldPath);
  if (warped == WarpResult::Failed) return refuse(problem);

  // A field of nothing but sea would say nothing true about the sources.
  const FeetField field = feetField(heights.metres);
  if (field.covered() == 0)
    return refuse("No source gave a height anywhere in the theatre centred on " + geoText(centre) + "." +
                  (field.beyondEarth > 0 ? " " + beyondEarthText(field.beyondEarth) : "") +
                  " The height field is as it was:" + kCrLf + fieldPath.string());
  if (!report(95)) return cancelled(cx.host, fieldPath);

  auto bytes = terragenFileBytes(field.samples, field.encoding, static_cast<float>(kSampleMetres),
                                 static_cast<float>(kMetresPerFoot));
  // The theatre's place goes with the field, so that later georeferenced steps find it again;
  // both are replaced or neither.
  const auto frameFile = theatreFrameFile(cx.folder);
  const std::string frame = theatreFrameText({centre.lat, centre.lon, theatreProjection(centre)});
  if (const auto failed = makeTheatreFrameFolder(cx.folder))
    return reportFileFailure(cx.host, "Can't write the theatre frame:", frameFile, *failed);
  const Replacement files[] = {{fieldPath, bytes},
                               {frameFile, {reinterpret_cast<const std::uint8_t*>(frame.data()), frame.size()}}};
  if (auto failed = replaceFiles(files)) {
    const bool isField = failed->index == 0;
    return reportFileFailure(cx.host, isField ? "Can't write the Terragen File:" : "Can't write the theatre frame:",
                             isField ? fieldPath : frameFile, failed->error);
  }
  const auto range = fillTerragenColumn(cx.params, std::move(bytes));
  report(100);
  cx.host.showMessage(importReport(fieldPath, sources.size(), heights.resamplings, centre, field, range),
                      Icon::Information);
  return Outcome::Completed;
}

}  // namespace quarnby
