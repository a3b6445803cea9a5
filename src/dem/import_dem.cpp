#include "dem/import_dem.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/number_text.h"
#include "dem/dem_source.h"
#include "dem/theatre_warp.h"
#include "elevation/range_finders.h"
#include "steps/operation_steps.h"
#include "terrain/file_io.h"
#include "terrain/terrain_folder.h"

namespace quarnby {

using namespace dem;

namespace {

// The field holds 32000 feet from its lowest to its highest sample at under half a foot a
// step (a sample is off by a quarter of a foot at most): below that the sea floor is cut
// off, never the land.
constexpr double kHighestFeet = 32767.0;
constexpr double kDeepestFeet = -32000.0;
constexpr double kFieldSpanFeet = 32000.0;

std::string percentText(double share) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f%%", 100.0 * share);
  return text;
}

std::string feetText(double feet) { return numberText(std::round(feet * 10.0) / 10.0) + " ft"; }

}  // namespace

Outcome ImportDem_Click(Context& cx, const DemImportRequest& request) {
  cx.host.setProgress(ProgressBar::Bar1, 0);
  if (!checkTerrainFolder(cx)) return Outcome::EndedEarly;
  const auto fieldPath = terrainFile(cx.folder, suffix::kTerragen);
  auto refuse = [&](const std::string& text) {
    cx.host.showMessage(text, Icon::Critical);
    return Outcome::EndedEarly;
  };

  if (request.sources.empty()) return refuse("Import DEM needs at least one elevation source.");
  if (!request.resampling.empty() && !isResamplingName(request.resampling)) {
    std::string names;
    for (const std::string& n : resamplingNames()) names += (names.empty() ? "" : ", ") + n;
    return refuse("There is no resampling \"" + request.resampling + "\". GDAL's are: " + names + ".");
  }
  std::vector<SourceInfo> sources;
  for (const auto& file : request.sources) {
    std::string problem;
    auto info = describeSource(file, problem);
    if (!info) return refuse(problem);
    sources.push_back(std::move(*info));
  }
  const GeoPoint centre = request.centre.value_or(centreOfSources(sources));
  if (auto problem = centreProblem(centre)) return refuse(*problem);
  if (!sourcesTouchTheatre(sources, centre))
    return refuse("No source touches the theatre centred on " + geoText(centre) +
                  ". Pick a centre within the sources (\"Centre of the sources\") or sources around the centre.");

  // The warp takes the progress up to 90; the rest is quick.
  int shown = -1;
  auto report = [&](int percent) {
    if (percent == shown) return true;
    shown = percent;
    if (request.progress) return request.progress(percent);
    cx.host.setProgress(ProgressBar::Bar1, percent);
    return true;
  };
  TheatreHeights heights;
  std::string problem;
  const WarpResult warped = warpSources(
      sources, centre, request.resampling, [&](double done) { return report(static_cast<int>(done * 90.0)); }, heights,
      problem);
  if (warped == WarpResult::Cancelled) {
    cx.host.showMessage("The DEM import was cancelled; the height field is as it was:" + kCrLf + fieldPath.string(),
                        Icon::Information);
    return Outcome::EndedEarly;
  }
  if (warped == WarpResult::Failed) return refuse(problem);

  // Heights in feet, the sea where no source gave one; the land keeps its place below
  // the sea, the deepest sea floor is cut off where the field cannot hold it.
  std::vector<double> feet(heights.metres.size());
  double highest = kDeepestFeet;
  for (std::size_t i = 0; i < feet.size(); ++i) {
    const float m = heights.metres[i];
    feet[i] = std::isnan(m) ? 0.0 : std::clamp(m / kMetresPerFoot, kDeepestFeet, kHighestFeet);
    highest = std::max(highest, feet[i]);
  }
  const double floorFeet = std::max(kDeepestFeet, highest - kFieldSpanFeet);
  double lowest = highest;
  bool cutOff = false;
  for (double& f : feet) {
    if (f < floorFeet) {
      f = floorFeet;
      cutOff = true;
    }
    lowest = std::min(lowest, f);
  }
  const TerragenEncoding encoding = TerragenEncoding::forRange(lowest, highest);
  std::vector<std::int16_t> samples(feet.size());
  for (std::size_t i = 0; i < feet.size(); ++i) samples[i] = encoding.raw(feet[i]);
  if (!report(95)) {
    cx.host.showMessage("The DEM import was cancelled; the height field is as it was:" + kCrLf + fieldPath.string(),
                        Icon::Information);
    return Outcome::EndedEarly;
  }

  auto bytes =
      terragenFileBytes(samples, encoding, static_cast<float>(kSampleMetres), static_cast<float>(kMetresPerFoot));
  if (auto failed = replaceFile(fieldPath, bytes))
    return reportFileFailure(cx.host, "Can't write the Terragen File:", fieldPath, *failed);

  // The Terragen column as "Find Units" would fill it from the field just written, with
  // the units read as feet.
  std::string parseProblem;
  const auto field = TerragenFile::parse(std::move(bytes), parseProblem);
  const auto range = elevation::findUnitRange(*field, cx.params.option("MapSize512"));
  cx.params.setText("MaxUnits", signedNumberText(range.maximum));
  cx.params.setText("MinUnits", signedNumberText(range.minimum));
  cx.params.setText("slUnits", "0");
  cx.params.setText("unitExp", "1");
  cx.params.setText("MaxAlt", numberText(range.maximum));
  cx.params.setSwitch("InvFileOrder", 0);
  report(100);

  const auto corners = theatreCorners(centre);
  std::string methods;
  for (const std::string& m : heights.resamplings)
    if (methods.find(m) == std::string::npos) methods += (methods.empty() ? "" : ", ") + m;
  const double uncovered = static_cast<double>(heights.uncovered) / static_cast<double>(heights.metres.size());
  std::string text = "Imported " + std::to_string(sources.size()) + (sources.size() == 1 ? " source" : " sources") +
                     " into " + fieldPath.string() + " (resampling: " + methods + ")." + kCrLf;
  text += "Theatre corners (latitude, longitude): SW " + geoText(corners[0]) + "; SE " + geoText(corners[1]) + "; NE " +
          geoText(corners[2]) + "; NW " + geoText(corners[3]) + "." + kCrLf;
  text += "Highest " + feetText(encoding.units(*std::max_element(samples.begin(), samples.end()))) + ", lowest " +
          feetText(encoding.units(*std::min_element(samples.begin(), samples.end()))) + "." + kCrLf;
  text += heights.uncovered == 0 ? "The sources cover the whole theatre." + kCrLf
                                 : "No source gave a height for " + percentText(uncovered) +
                                       " of the theatre; it lies at sea level." + kCrLf;
  if (cutOff) text += "Sea floor deeper than " + feetText(floorFeet) + " was raised to it." + kCrLf;
  text += "The Terragen column is set for \"Set Elevation\" in feet (unit^ 1, SL 0, Max Units " +
          numberText(range.maximum) + ", Min Units " + numberText(range.minimum) + ", Max Alt " +
          numberText(range.maximum) + ", \"Invert '*.ter' order\" off); \"Find Units\" would find the same.";
  cx.host.showMessage(text, Icon::Information);
  return Outcome::Completed;
}

}  // namespace quarnby
