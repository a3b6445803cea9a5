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
      {"set-type", "Command1", Command1_Click},
      {"set-intervals", "SetAltIntervals", SetAltIntervals_Click},
      {"set-sub-types", "SetSubTypes", SetSubTypes_Click},
      {"make-map", "Command3", Command3_Click},
      {"toggle", "ToggleChecks", ToggleChecks_Click},
      {"find-units-terragen", "FindMaxMinUnits", FindMaxMinUnits_Click},
      {"set-elevation-terragen", "SetElv", SetElv_Click},
      {"find-units-greyscale", "FindMaxMinUnitsBmp", FindMaxMinUnitsBmp_Click},
      {"set-elevation-greyscale", "SetElvGrey", SetElvGrey_Click},
      {"export-greyscale", "ExpBmp", ExpBmp_Click},
      {"make-tracks", "MakeTracks", MakeTracks_Click},
      {"save-settings", "SaveConfig", SaveConfig_Click},
      {"reload-settings", "ReloadConfig", ReloadConfig_Click},
      {"modify-terrain", "Command2", Command2_Click},
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
