#pragma once
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace quarnby {

// Elevation grid: 1024 x 1024 signed 16-bit little-endian samples in feet, row 0 the
// southern edge, column 0 the western edge, 2640 feet apart.
inline constexpr int kElevSize = 1024;
inline constexpr std::size_t kElevBytes = 2097152;
// Type and sub-type grids: 512 x 512 bytes, each cell covering 2 x 2 samples.
inline constexpr int kTypeSize = 512;
inline constexpr std::size_t kTypeBytes = 262144;
inline constexpr double kSampleSpacing = 2640.0;

// 1-based byte positions, as the operations compute them.
constexpr long long ElevPos(long long r, long long c) { return 1 + 2 * c + 2048 * r; }
constexpr long long TypePos(long long tr, long long tc) { return 1 + tc + 512 * tr; }
// Row and column of the sample that starts at elevation position p (p >= 1).
constexpr long long rowOfElevPos(long long p) { return (p - 1) / 2048; }
constexpr long long columnOfElevPos(long long p) { return ((p - 1) % 2048) / 2; }
// The type cell holding the sample that starts at elevation position p.
constexpr long long typePosOfElevPos(long long p) { return TypePos(rowOfElevPos(p) / 2, columnOfElevPos(p) / 2); }

// Neighbour offsets between elevation positions.
namespace step {
inline constexpr long long kEast = 2, kWest = -2, kNorth = 2048, kSouth = -2048;
inline constexpr long long kNorthEast = 2050, kNorthWest = 2046, kSouthEast = -2046, kSouthWest = -2050;
}  // namespace step

// World frame: feet east (X) or north (Z) of the grid centre to a column or row,
// Int(v / 2640 + 0.5) + 512 with Int toward minus infinity. Nothing for a value that is
// not a finite number; the result may lie outside the grid.
std::optional<long long> worldToIndex(double feet);

// A grid file held whole in memory. Bytes past the end of a shorter file read as 0;
// saving writes at least the full grid and keeps any tail of a longer file.
class GridFile {
 public:
  GridFile() = default;
  GridFile(std::vector<std::uint8_t> bytes, std::size_t gridBytes);

  std::size_t size() const { return bytes_.size(); }
  const std::vector<std::uint8_t>& bytes() const { return bytes_; }
  std::vector<std::uint8_t>& bytes() { return bytes_; }

  // Loads a grid file; on failure returns nothing and sets `error` to the system's text.
  static std::optional<GridFile> load(const std::filesystem::path& file, std::size_t gridBytes, std::string& error);
  // Opens a grid for reading and writing: as load, but a file that may not be written is
  // refused at once, as opening it for update would be.
  static std::optional<GridFile> loadForUpdate(const std::filesystem::path& file, std::size_t gridBytes,
                                               std::string& error);
  // Replaces the file through a temporary file; the error text on failure.
  std::optional<std::string> save(const std::filesystem::path& file) const;

 protected:
  std::vector<std::uint8_t> bytes_;
};

class ElevationGrid : public GridFile {
 public:
  ElevationGrid() : GridFile(std::vector<std::uint8_t>(kElevBytes, 0), kElevBytes) {}
  explicit ElevationGrid(GridFile file) : GridFile(std::move(file)) {}
  static std::optional<ElevationGrid> load(const std::filesystem::path& file, std::string& error);

  std::int16_t at(int r, int c) const { return atPos(ElevPos(r, c)); }
  void set(int r, int c, std::int16_t v) { setPos(ElevPos(r, c), v); }
  // The 1024 samples of row r (0..1023), as at(r, c) gives them.
  void row(int r, std::span<std::int16_t, kElevSize> samples) const;
  // By 1-based byte position; 0 outside the file, writes outside the file ignored.
  std::int16_t atPos(long long p) const {
    if (p < 1 || static_cast<std::size_t>(p) >= bytes_.size()) return 0;
    const auto i = static_cast<std::size_t>(p - 1);
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(bytes_[i] | (bytes_[i + 1] << 8)));
  }
  void setPos(long long p, std::int16_t v) {
    if (p < 1 || static_cast<std::size_t>(p) >= bytes_.size()) return;
    const auto i = static_cast<std::size_t>(p - 1);
    const auto u = static_cast<std::uint16_t>(v);
    bytes_[i] = static_cast<std::uint8_t>(u & 0xFF);
    bytes_[i + 1] = static_cast<std::uint8_t>(u >> 8);
  }
};

// The type grid and the sub-type grid share one layout.
class CellGrid : public GridFile {
 public:
  CellGrid() : GridFile(std::vector<std::uint8_t>(kTypeBytes, 0), kTypeBytes) {}
  explicit CellGrid(GridFile file) : GridFile(std::move(file)) {}
  static std::optional<CellGrid> load(const std::filesystem::path& file, std::string& error);

  std::uint8_t at(int tr, int tc) const { return atPos(TypePos(tr, tc)); }
  void set(int tr, int tc, std::uint8_t v) { setPos(TypePos(tr, tc), v); }
  std::uint8_t atPos(long long p) const {
    if (p < 1 || static_cast<std::size_t>(p) > bytes_.size()) return 0;
    return bytes_[static_cast<std::size_t>(p - 1)];
  }
  void setPos(long long p, std::uint8_t v) {
    if (p < 1 || static_cast<std::size_t>(p) > bytes_.size()) return;
    bytes_[static_cast<std::size_t>(p - 1)] = v;
  }
};

}  // namespace quarnby
