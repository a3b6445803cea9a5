#include "terrain/grids.h"

#include <bit>
#include <cmath>
#include <cstring>

#include "platform/file_access.h"
#include "terrain/file_io.h"

namespace quarnby {

std::optional<long long> worldToIndex(double feet) {
  if (!std::isfinite(feet)) return std::nullopt;
  const double index = std::floor(feet / kSampleSpacing + 0.5) + 512.0;
  if (std::fabs(index) > 1e15) return std::nullopt;
  return static_cast<long long>(index);
}

GridFile::GridFile(std::vector<std::uint8_t> bytes, std::size_t gridBytes) : bytes_(std::move(bytes)) {
  if (bytes_.size() < gridBytes) bytes_.resize(gridBytes, 0);
}

std::optional<GridFile> GridFile::load(const std::filesystem::path& file, std::size_t gridBytes, std::string& error) {
  auto bytes = readWholeFile(file, readLimit::kBinary, error);
  if (!bytes) return std::nullopt;
  return GridFile(std::move(*bytes), gridBytes);
}

std::optional<GridFile> GridFile::loadForUpdate(const std::filesystem::path& file, std::size_t gridBytes,
                                                std::string& error) {
  if (auto refusal = platform::readWriteRefusal(file)) {
    error = *refusal;
    return std::nullopt;
  }
  return load(file, gridBytes, error);
}

std::optional<std::string> GridFile::save(const std::filesystem::path& file) const { return replaceFile(file, bytes_); }

std::optional<ElevationGrid> ElevationGrid::load(const std::filesystem::path& file, std::string& error) {
  auto grid = GridFile::load(file, kElevBytes, error);
  if (!grid) return std::nullopt;
  return ElevationGrid(std::move(*grid));
}

void ElevationGrid::row(int r, std::span<std::int16_t, kElevSize> samples) const {
  const std::size_t first = 2 * static_cast<std::size_t>(r) * kElevSize;
  if (std::endian::native == std::endian::little && r >= 0 && first + 2 * kElevSize <= bytes_.size()) {
    std::memcpy(samples.data(), bytes_.data() + first, 2 * kElevSize);
    return;
  }
  for (int c = 0; c < kElevSize; ++c) samples[static_cast<std::size_t>(c)] = at(r, c);
}

std::optional<CellGrid> CellGrid::load(const std::filesystem::path& file, std::string& error) {
  auto grid = GridFile::load(file, kTypeBytes, error);
  if (!grid) return std::nullopt;
  return CellGrid(std::move(*grid));
}

}  // namespace quarnby
