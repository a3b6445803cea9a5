#include "sites/modify_terrain.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "sites/departure_paths.h"
#include "sites/forest_clearing.h"
#include "steps/operation_steps.h"
#include "terrain/file_io.h"
#include "terrain/grids.h"
#include "terrain/object_file.h"
#include "terrain/terrain_folder.h"

namespace quarnby {
namespace {

const std::string kObjectFileTitle = "Opening oFile";
constexpr std::size_t kFieldsRead = 7;
constexpr int kCityCode = 3;  // "CIT" in the object codes
constexpr std::uint8_t kWater = 0;

// The direction positions P0..P8: the object's sample, then its eight neighbours
// clockwise from north.
enum Direction { kCentre, kNorth, kNorthEast, kEast, kSouthEast, kSouth, kSouthWest, kWest, kNorthWest };
constexpr std::array<std::array<int, 2>, 9> kOffsets = {
    {{0, 0}, {1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}, {-1, -1}, {0, -1}, {1, -1}}};

using DepartureStep = void (*)(ElevationGrid&, SamplePos&, int, std::int16_t);
constexpr std::array<DepartureStep, 9> kDepartureSteps = {nullptr, DepN, DepNE, DepE, DepSE, DepS, DepSW, DepW, DepNW};

// The runway ends of each airfield by its axis, in the order they are worked.
struct Airfield {
  std::string_view siteName;
  int climbFactor;
  std::vector<Direction> eastWest;
  std::vector<Direction> northSouth;
};

const std::array<Airfield, 4>& airfields() {
  static const std::array<Airfield, 4> table = {{
      {"LAFLD0",
       27,
       {kNorthEast, kSouthEast, kNorthWest, kSouthWest, kEast, kWest},
       {kNorthEast, kSouthEast, kNorthWest, kSouthWest, kNorth, kSouth}},
      {"MAFLD0", 32, {kEast, kWest, kNorthEast, kSouthWest}, {kNorth, kSouth, kSouthEast, kNorthWest}},
      {"SAFLD0", 36, {kNorthEast, kSouthWest}, {kSouthEast, kNorthWest}},
      {"SAFLD1", 47, {kNorthEast, kSouthWest}, {kSouthEast, kNorthWest}},
  }};
  return table;
}

const Airfield* airfieldNamed(std::string_view siteName) {
  for (const Airfield& a : airfields())
    if (a.siteName == siteName) return &a;
  return nullptr;
}

bool checked(const ParameterSet& params, std::string_view name) { return params.switchValue(name) == 1; }

struct Grids {
  ElevationGrid elev;
  std::optional<CellGrid> types;
  std::optional<CellGrid> subTypes;
};

// Int((L + E) / 2): the mean of two samples, halves toward minus infinity. Taken over
// the exact sum, so two high samples never wrap round to a pit.
std::int16_t blend(std::int16_t level, std::int16_t sample) {
  return static_cast<std::int16_t>(std::floor((static_cast<double>(level) + sample) / 2.0));
}

void levelGround(ElevationGrid& elev, const std::array<SamplePos, 9>& p, std::int16_t level) {
  for (const SamplePos& q : p) elev.set(static_cast<int>(q.row), static_cast<int>(q.col), level);
  const long long r = p[kCentre].row;
  const long long c = p[kCentre].col;
  std::vector<SamplePos> ring;
  for (long long col = c - 2; col <= c + 2; ++col) ring.push_back({r - 2, col});
  for (long long col = c - 2; col <= c + 2; ++col) ring.push_back({r + 2, col});
  for (long long row = r - 1; row <= r + 1; ++row) ring.push_back({row, c - 2});
  for (long long row = r + 1; row >= r - 1; --row) ring.push_back({row, c + 2});
  for (const SamplePos& q : ring) {
    const int row = static_cast<int>(q.row);
    const int col = static_cast<int>(q.col);
    elev.set(row, col, blend(level, elev.at(row, col)));
  }
}

// One object record. A record that cannot be placed at least two samples inside the grid
// (X, Z or rotation not a number, or a sample near or beyond the edge) changes nothing.
void modifySite(const ParameterSet& params, Grids& g, const ObjectRecord& record) {
  const auto x = record.number(2);
  const auto z = record.number(4);
  const auto rotationField = record.number(7);
  if (!x || !z || !rotationField) return;
  const auto col = worldToIndex(*x);
  const auto row = worldToIndex(*z);
  if (!col || !row) return;
  const float rotation = static_cast<float>(*rotationField);
  const std::string& siteName = record.field(1);

  SamplePos centre{*row, *col};
  if (record.codeIndex == kCityCode && rotation > -3.0f && rotation < 0.0f) centre.col += 1;
  if (centre.row < 2 || centre.row > kElevSize - 3 || centre.col < 2 || centre.col > kElevSize - 3) return;

  std::array<SamplePos, 9> p;
  for (int k = 0; k < 9; ++k) p[k] = centre.moved(kOffsets[k][0], kOffsets[k][1]);

  long long sum = 0;
  for (int k = kNorth; k <= kNorthWest; ++k) sum += g.elev.at(static_cast<int>(p[k].row), static_cast<int>(p[k].col));
  const auto level = static_cast<std::int16_t>(std::floor(static_cast<double>(sum) / 8.0 + 0.5));

  if (checked(params, "LevelTerr")) levelGround(g.elev, p, level);

  if (checked(params, "Check1") && g.types && g.subTypes) {
    const std::uint8_t type = siteName == "PORT0" ? kWater : static_cast<std::uint8_t>(params.choice("Combo25"));
    const long long cell = TypePos(centre.row / 2, centre.col / 2);
    g.types->setPos(cell, type);
    g.subTypes->setPos(cell, 0);
  }

  const Airfield* airfield = airfieldNamed(siteName);
  if (!airfield) return;
  const bool eastWest = rotation == 0.0f || std::fabs(rotation) >= 3.0f;
  const std::vector<Direction>& ends = eastWest ? airfield->eastWest : airfield->northSouth;

  if (checked(params, "Check2"))
    for (Direction d : ends) kDepartureSteps[d](g.elev, p[d], airfield->climbFactor, level);

  if (checked(params, "Check3") && g.types)
    for (Direction d : ends) {
      // One step beyond the direction position, which the departure path may have moved.
      const SamplePos q = p[d].moved(kOffsets[d][0], kOffsets[d][1]);
      if (q.inGrid()) ClearForest(params, *g.types, q.elevPos());
    }
}

// A type choice that an enabled option needs but that shows nothing.
bool refuseEmptyChoice(Context& cx, std::string_view option, std::string_view combo, std::string_view label) {
  if (!checked(cx.params, option) || cx.params.choice(combo) >= 0) return false;
  cx.host.showMessage("The type beside \"" + std::string(label) + "\" is not one of the seven types." + kCrLf +
                          "Pick a type for it; no file was changed.",
                      Icon::Critical);
  cx.host.setFocus(std::string(combo));
  return true;
}

}  // namespace

Outcome Command2_Click(Context& cx) {
  if (!checkTerrainFolder(cx)) return Outcome::EndedEarly;
  const auto elvFile = terrainFile(cx.folder, suffix::kElevation);
  const auto typFile = terrainFile(cx.folder, suffix::kType);
  const auto obaFile = terrainFile(cx.folder, suffix::kObjects);
  const auto sypFile = terrainFile(cx.folder, suffix::kSubType);
  const ParameterSet& params = cx.params;
  const bool typing = checked(params, "Check1");
  const bool clearing = checked(params, "Check3");

  std::string error;
  auto elev = GridFile::loadForUpdate(elvFile, kElevBytes, error);
  if (!elev) return reportInputFailure(cx.host, "Can't open the Elevation File:", elvFile, error);
  Grids g{ElevationGrid(std::move(*elev)), std::nullopt, std::nullopt};
  if (typing || clearing) {
    auto types = GridFile::loadForUpdate(typFile, kTypeBytes, error);
    if (!types) return reportInputFailure(cx.host, "Can't open the Type File:", typFile, error);
    g.types = CellGrid(std::move(*types));
  }
  const auto objects = readObjectFile(obaFile, error);
  if (!objects)
    return reportInputFailure(cx.host, "Can't open the Object File:", obaFile, error, {.title = kObjectFileTitle});
  if (typing) {
    auto subTypes = GridFile::loadForUpdate(sypFile, kTypeBytes, error);
    if (!subTypes)
      return reportInputFailure(cx.host, "Can't open the Tile Sub-Type File:", sypFile, error,
                                {.title = kObjectFileTitle});
    g.subTypes = CellGrid(std::move(*subTypes));
  }
  if (refuseEmptyChoice(cx, "Check1", "Combo25", "Set Terrain Type Under Object to:") ||
      refuseEmptyChoice(cx, "Check3", "Combo26", "Clear Forest from EORs using:"))
    return Outcome::EndedEarly;

  // The grids as they were opened: only a grid that changed is written back.
  const std::vector<std::uint8_t> elevBefore = g.elev.bytes();
  const std::vector<std::uint8_t> typesBefore = g.types ? g.types->bytes() : std::vector<std::uint8_t>{};
  const std::vector<std::uint8_t> subTypesBefore = g.subTypes ? g.subTypes->bytes() : std::vector<std::uint8_t>{};

  long long count = 0;
  ObjectFileReader reader(*objects, ObjectFileReader::Mode::Line, kObjectCodes, kFieldsRead);
  while (const auto record = reader.next()) {
    ++count;
    modifySite(params, g, *record);
  }

  // Every changed grid is replaced only once all of them are written out in full.
  std::vector<Replacement> changed;
  std::vector<std::string> kinds;
  if (g.elev.bytes() != elevBefore) {
    changed.push_back({elvFile, g.elev.bytes()});
    kinds.push_back("Elevation File");
  }
  if (g.types && g.types->bytes() != typesBefore) {
    changed.push_back({typFile, g.types->bytes()});
    kinds.push_back("Type File");
  }
  if (g.subTypes && g.subTypes->bytes() != subTypesBefore) {
    changed.push_back({sypFile, g.subTypes->bytes()});
    kinds.push_back("Tile Sub-Type File");
  }
  if (const auto failed = replaceFiles(changed))
    return reportFileFailure(cx.host, "Can't write the " + kinds[failed->index] + ":", changed[failed->index].target,
                             failed->error);

  cx.host.showMessage("Done." + kCrLf + "Processed " + std::to_string(count) + " objects.", Icon::Information);
  return Outcome::Completed;
}

}  // namespace quarnby
