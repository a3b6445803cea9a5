#include "support/terrain_fixture.h"

#include "terrain/greyscale_bitmap.h"

namespace quarnby::testing {

TerrainFixture::TerrainFixture(const std::string& base) : folder(tmp.terrain(base)), h(folder) {}

void TerrainFixture::writeElevation(const ElevationGrid& grid) const {
  writeBytes(file(suffix::kElevation), grid.bytes());
}
void TerrainFixture::writeTypes(const CellGrid& grid) const { writeBytes(file(suffix::kType), grid.bytes()); }
void TerrainFixture::writeSubTypes(const CellGrid& grid) const { writeBytes(file(suffix::kSubType), grid.bytes()); }
void TerrainFixture::writeTerragen(const TerragenBuilder& field) const {
  writeBytes(file(suffix::kTerragen), field.bytes());
}
void TerrainFixture::writeGreyscale(std::span<const std::uint8_t> pixels) const {
  writeBytes(file(suffix::kGreyscale), greyscaleBitmapFile(pixels));
}
void TerrainFixture::writeObjects(std::string_view text) const { writeText(file(suffix::kObjects), text); }
void TerrainFixture::writeTracks(std::string_view text) const { writeText(file(suffix::kTracks), text); }

ElevationGrid TerrainFixture::readElevation() const {
  return ElevationGrid(GridFile(readBytes(file(suffix::kElevation)), kElevBytes));
}
CellGrid TerrainFixture::readTypes() const { return CellGrid(GridFile(readBytes(file(suffix::kType)), kTypeBytes)); }
CellGrid TerrainFixture::readSubTypes() const {
  return CellGrid(GridFile(readBytes(file(suffix::kSubType)), kTypeBytes));
}

TerrainFixture::Snapshot TerrainFixture::snapshot() const {
  Snapshot files;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    const bool plain = entry.is_regular_file() && !entry.is_symlink() && entry.file_size() < (64 << 20);
    files[entry.path().filename().string()] = plain ? readBytes(entry.path()) : std::vector<std::uint8_t>{};
  }
  return files;
}

std::map<std::string, std::string> parameterValues(const ParameterSet& params) {
  std::map<std::string, std::string> values;
  for (const auto& name : params.names()) values[name] = params.valueText(name);
  return values;
}

}  // namespace quarnby::testing
