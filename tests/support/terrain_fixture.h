#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "support/temp_folder.h"
#include "support/terragen_builder.h"
#include "terrain/grids.h"
#include "terrain/terrain_folder.h"

namespace quarnby::testing {

// Every parameter of `params` with its value as text, by name.
std::map<std::string, std::string> parameterValues(const ParameterSet& params);

// A terrain folder named `base` in a fresh temporary folder, a harness working on it, and
// the terrain's files written and read as the operations find them.
struct TerrainFixture : ::testing::Test {
  explicit TerrainFixture(const std::string& base = "Europe");

  // The terrain's file with `suffix` (suffix::kElevation, suffix::kTerragen, ...).
  std::filesystem::path file(std::string_view suffix) const { return terrainFile(folder, suffix); }

  void writeElevation(const ElevationGrid& grid) const;
  void writeTypes(const CellGrid& grid) const;
  void writeSubTypes(const CellGrid& grid) const;
  void writeTerragen(const TerragenBuilder& field) const;
  void writeGreyscale(std::span<const std::uint8_t> pixels) const;
  void writeObjects(std::string_view text) const;
  void writeTracks(std::string_view text) const;
  // The grids on disk, padded with zeros as an operation reads them; all zeros when missing.
  ElevationGrid readElevation() const;
  CellGrid readTypes() const;
  CellGrid readSubTypes() const;

  // Every file of the folder with its bytes, to show that an operation left them all as
  // they were; what is no plain file, or is above 64 MiB, is only named.
  using Snapshot = std::map<std::string, std::vector<std::uint8_t>>;
  Snapshot snapshot() const;
  // Every parameter's value as text, to show that an operation changed none.
  std::map<std::string, std::string> parameterValues() const { return testing::parameterValues(h.params); }

  TempFolder tmp;
  std::filesystem::path folder;
  Harness h;
};

}  // namespace quarnby::testing
