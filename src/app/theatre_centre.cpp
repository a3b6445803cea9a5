#include "app/theatre_centre.h"

#include "app/geo_commands.h"
#include "geo/geo_types.h"
#include "steps/operation_steps.h"
#include "terrain/file_io.h"
#include "terrain/theatre_frame.h"

namespace quarnby {

std::vector<CommandOption> setFrameOptions() {
  // The centre is checked as Import DEM checks it.
  for (const CommandOption& option : importDemOptions())
    if (option.name == "--centre") return {{"--centre", "LAT,LON", "the theatre centre in degrees", option.check}};
  return {};
}

Outcome SetFrame_Click(Context& cx) {
  if (!checkTerrainFolder(cx)) return Outcome::EndedEarly;
  auto refuse = [&](const std::string& text) {
    cx.host.showMessage(text, Icon::Critical);
    return Outcome::EndedEarly;
  };
  const auto given = cx.request ? cx.request->value("--centre") : std::nullopt;
  if (!given) return refuse("Set Theatre Centre needs the centre in degrees: --centre LAT,LON.");
  const auto centre = geo::parseGeoPoint(*given);
  if (!centre)
    return refuse("The theatre centre must be LAT,LON in degrees (north and east positive), e.g. 46.5,8; got '" +
                  *given + "'.");
  if (const auto problem = geo::centreProblem(*centre)) return refuse(*problem);

  // What the frame said before, for the closing message; an unreadable one is replaced.
  std::string error;
  bool missing = false;
  const auto before = readTheatreFrame(cx.folder, error, &missing);
  const auto file = theatreFrameFile(cx.folder);
  const TheatreFrame frame = theatreFrameAt(centre->lat, centre->lon);
  if (const auto failed = makeTheatreFrameFolder(cx.folder))
    return reportFileFailure(cx.host, "Can't write the theatre frame:", file, *failed);
  if (const auto failed = replaceFile(file, theatreFrameText(frame)))
    return reportFileFailure(cx.host, "Can't write the theatre frame:", file, *failed);
  std::string text = theatreCentreText(frame) + " recorded in " + file.string() + ".";
  if (before) text += kCrLf + "It was " + theatreCentreText(*before) + ".";
  else if (!missing) text += kCrLf + "The frame it replaces could not be read (" + error + ").";
  cx.host.showMessage(text, Icon::Information);
  return Outcome::Completed;
}

}  // namespace quarnby
