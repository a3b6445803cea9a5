#include "app/commands.h"

#include <exception>
#include <functional>
#include <new>
#include <optional>
#include <string>

#include "app/geo_commands.h"
#include "app/gis_files.h"
#include "app/land_cover_import.h"
#include "app/settings_file.h"
#include "app/theatre_centre.h"
#include "app/undo.h"
#include "elevation/greyscale_export.h"
#include "elevation/greyscale_import.h"
#include "elevation/range_finders.h"
#include "elevation/terragen_import.h"
#include "maps/make_map.h"
#include "platform/folder_lock.h"
#include "sites/modify_terrain.h"
#include "terrain/file_io.h"
#include "terrain/terrain_folder.h"
#include "tracks/make_tracks.h"
#include "typing/altitude_intervals.h"
#include "typing/set_type.h"
#include "typing/sub_types.h"

namespace quarnby {

namespace {

// The map Make Map draws is the one its option chooses (the colour map when none is).
FileChanges makeMapChanges(const ParameterSet& params) {
  if (params.option("MapOp2")) return {"Make Map (Road Map)", {suffix::kRoadMap}};
  if (params.option("MapOp3")) return {"Make Map (Object Dots)", {suffix::kObjectDots}};
  return {"Make Map (Color Map)", {suffix::kColourMap}};
}

}  // namespace

// The settings commands write the settings file of the working folder, not the terrain
// folder: they are not recorded for undo.
const std::vector<Command>& commands() {
  using P = const ParameterSet&;
  // One command to a line or two, the files it changes at the end.
  // clang-format off
  static const std::vector<Command> table = {
      {"set-type", "Command1", Command1_Click, "the type grid from the elevation grid through the altitude bands",
       [](P) { return FileChanges{"Set Type", {suffix::kType}}; }},
      {"set-intervals", "SetAltIntervals", SetAltIntervals_Click, "the band thresholds from the gap weights"},
      {"set-sub-types", "SetSubTypes", SetSubTypes_Click, "a random sub-type under every cell not under water",
       [](P) { return FileChanges{"Set Sub-Types", {suffix::kSubType}}; }},
      {"make-map", "Command3", Command3_Click, "the colour, road or object-dot map chosen by MapOp1..MapOp3",
       makeMapChanges},
      {"toggle", "ToggleChecks", ToggleChecks_Click, "invert the four switches of modify-terrain"},
      {"import-dem", "ImportDem", ImportDem_Click, "the Terragen file and column from elevation rasters (GDAL)",
       [](P) { return FileChanges{"Import DEM", {suffix::kTerragen, suffix::kTheatreFrame}}; }, importDemOptions()},
      {"import-land-cover", "ImportLandCover", ImportLandCover_Click,
       "the land cover layer from class rasters (GDAL), then set-type",
       [](P) { return FileChanges{"Import Land Cover", {suffix::kCover, suffix::kType, suffix::kTheatreFrame}}; },
       importLandCoverOptions()},
      {"set-frame", "", SetFrame_Click, "record the theatre centre as the folder's theatre frame (gis/)",
       [](P) { return FileChanges{"Set Theatre Centre", {suffix::kTheatreFrame}}; }, setFrameOptions()},
      {"export-gis", "ExportGis", ExportGis_Click, "the sites and tracks as a GeoPackage in the theatre's projection (GDAL)",
       nullptr, exportGisOptions()},
      {"locate", "", Locate_Click, "where a point falls on the grids and the Earth, as NAME=VALUE lines (GDAL)",
       nullptr, locateOptions()},
      {"find-units-terragen", "FindMaxMinUnits", FindMaxMinUnits_Click, "the lowest and highest Terragen height"},
      {"set-elevation-terragen", "SetElv", SetElv_Click, "the elevation grid from the Terragen file",
       [](P) { return FileChanges{"Set Elevation (Terragen)", {suffix::kElevation}}; }},
      {"find-units-greyscale", "FindMaxMinUnitsBmp", FindMaxMinUnitsBmp_Click, "the lowest and highest grey level"},
      {"set-elevation-greyscale", "SetElvGrey", SetElvGrey_Click, "the elevation grid from the greyscale bitmap",
       [](P) { return FileChanges{"Set Elevation (Greyscale)", {suffix::kElevation}}; }},
      {"export-greyscale", "ExpBmp", ExpBmp_Click, "the elevation grid as the greyscale bitmap",
       [](P) { return FileChanges{"Export (Greyscale)", {suffix::kGreyscale}}; }},
      {"make-tracks", "MakeTracks", MakeTracks_Click, "the track file: roads, railways and rivers toward the HQs",
       [](P) { return FileChanges{"Make Tracks", {suffix::kTracks}}; }},
      {"save-settings", "SaveConfig", SaveConfig_Click, "write the settings file"},
      {"reload-settings", "ReloadConfig", ReloadConfig_Click, "start-up again: the settings file or the defaults"},
      {"modify-terrain", "Command2", Command2_Click, "level and type the ground under the objects, clear departures",
       [](P) { return FileChanges{"Modify Terrain", {suffix::kElevation, suffix::kType, suffix::kSubType}}; }},
      {"undo", "Undo", Undo_Click, "put back the files of the latest step of the folder's history"},
      {"redo", "Redo", Redo_Click, "the reverse of the latest undo"},
      {"history", "", History_Click, "the folder's steps, newest first, and which can be redone"},
  };
  // clang-format on
  return table;
}

const Command* findCommand(std::string_view name) {
  for (const Command& c : commands())
    if (c.name == name) return &c;
  return nullptr;
}

const Command* findCommandByButton(std::string_view button) {
  for (const Command& c : commands())
    if (!c.button.empty() && c.button == button) return &c;
  return nullptr;
}

namespace {

Outcome runGuarded(Context& cx, const std::function<Outcome(Context&)>& operation) {
  try {
    return operation(cx);
  } catch (const std::bad_alloc&) {
    cx.host.showMessage("The operation stopped: there is not enough memory for it.", Icon::Critical);
  } catch (const std::exception& e) {
    cx.host.showMessage(std::string("The operation stopped on an unexpected error:") + kCrLf + e.what(),
                        Icon::Critical);
  }
  return Outcome::EndedEarly;
}

}  // namespace

Outcome runCommand(const Command& command, Context& cx) {
  return runOperation(cx, command.changes ? command.changes(cx.params) : FileChanges{}, command.run);
}

Outcome runOperation(Context& cx, const FileChanges& changes, const std::function<Outcome(Context&)>& operation) {
  // One run at a time in a terrain folder, its undo record included; a second waits a
  // little, then gives way.
  std::optional<platform::FolderLock> lock;
  if (!cx.folder.empty() &&
      platform::FolderLock::take(cx.folder, kFolderPatience, lock) == platform::FolderLock::Result::Busy) {
    cx.host.showMessage("The terrain folder is in use by another run of " + std::string(kProgramName) + ":" + kCrLf +
                            cx.folder.string() + kCrLf + "Try again when that run has ended.",
                        Icon::Critical);
    return Outcome::EndedEarly;
  }
  if (lock) {
    removeLeftoverTemps(cx.folder);
    recoverHistory(cx);
  }
  const Outcome outcome = changes.suffixes.empty()
                              ? runGuarded(cx, operation)
                              : runRecorded(cx, changes.title, changes.suffixes,
                                            [&operation](Context& inner) { return runGuarded(inner, operation); });
  // Whatever the operation wrote (or undo put back), the GIS views follow it, still under
  // the lock, so that no other run sees them half-way.
  if (lock)
    if (auto problem = refreshGisFiles(cx.folder, cx.params.switchValue("InvFileOrder") == 1))
      cx.host.showMessage(
          "The GIS files of the terrain folder could not be brought up to date:" + std::string(kCrLf) + *problem,
          Icon::Exclamation);
  return outcome;
}

}  // namespace quarnby
