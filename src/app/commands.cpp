#include "app/commands.h"

#include <exception>
#include <new>
#include <string>

#include "app/settings_file.h"
#include "elevation/greyscale_export.h"
#include "elevation/greyscale_import.h"
#include "elevation/range_finders.h"
#include "elevation/terragen_import.h"
#include "maps/make_map.h"
#include "sites/modify_terrain.h"
#include "tracks/make_tracks.h"
#include "typing/altitude_intervals.h"
#include "typing/set_type.h"
#include "typing/sub_types.h"

namespace quarnby {

const std::vector<Command>& commands() {
  static const std::vector<Command> table = {
      {"set-type", "Command1", Command1_Click, "the type grid from the elevation grid through the altitude bands"},
      {"set-intervals", "SetAltIntervals", SetAltIntervals_Click, "the band thresholds from the gap weights"},
      {"set-sub-types", "SetSubTypes", SetSubTypes_Click, "a random sub-type under every cell not under water"},
      {"make-map", "Command3", Command3_Click, "the colour, road or object-dot map chosen by MapOp1..MapOp3"},
      {"toggle", "ToggleChecks", ToggleChecks_Click, "invert the four switches of modify-terrain"},
      {"find-units-terragen", "FindMaxMinUnits", FindMaxMinUnits_Click, "the lowest and highest Terragen height"},
      {"set-elevation-terragen", "SetElv", SetElv_Click, "the elevation grid from the Terragen file"},
      {"find-units-greyscale", "FindMaxMinUnitsBmp", FindMaxMinUnitsBmp_Click, "the lowest and highest grey level"},
      {"set-elevation-greyscale", "SetElvGrey", SetElvGrey_Click, "the elevation grid from the greyscale bitmap"},
      {"export-greyscale", "ExpBmp", ExpBmp_Click, "the elevation grid as the greyscale bitmap"},
      {"make-tracks", "MakeTracks", MakeTracks_Click, "the track file: roads, railways and rivers toward the HQs"},
      {"save-settings", "SaveConfig", SaveConfig_Click, "write the settings file"},
      {"reload-settings", "ReloadConfig", ReloadConfig_Click, "start-up again: the settings file or the defaults"},
      {"modify-terrain", "Command2", Command2_Click, "level and type the ground under the objects, clear departures"},
  };
  return table;
}

const Command* findCommand(std::string_view name) {
  for (const Command& c : commands())
    if (c.name == name) return &c;
  return nullptr;
}

const Command* findCommandByButton(std::string_view button) {
  for (const Command& c : commands())
    if (c.button == button) return &c;
  return nullptr;
}

Outcome runCommand(const Command& command, Context& cx) {
  try {
    return command.run(cx);
  } catch (const std::bad_alloc&) {
    cx.host.showMessage("The operation stopped: there is not enough memory for it.",
                        Icon::Critical);
  } catch (const std::exception& e) {
    cx.host.showMessage(std::string("The operation stopped on an unexpected error:") + kCrLf + e.what(),
                        Icon::Critical);
  }
  return Outcome::EndedEarly;
}

}  // namespace quarnby
