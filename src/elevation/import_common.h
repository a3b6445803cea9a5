#pragma once
#include <array>
#include <climits>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/context.h"
#include "terrain/file_io.h"
#include "terrain/greyscale_bitmap.h"
#include "terrain/grids.h"
#include "terrain/terragen_file.h"

// What the two elevation imports, the export and the range finders share: opening their
// sources with the user told why not, the window of the 256-mile map with its faded edge,
// and the closing report.
namespace quarnby::elevation {

// The terrain's height field, or nothing after an error box: "Can't open the Elevation
// File:" when it cannot be read, a description of what was found when it is not a
// 1025 x 1025 Terragen height field.
std::optional<TerragenFile> openTerragen(Context& cx, const std::filesystem::path& file);

// The greyscale bitmap, or nothing after the error box "<kindLine>" with the path and
// the system's description.
std::optional<GreyscaleBitmap> openGreyscale(Context& cx, const std::filesystem::path& file, std::string_view kindLine);

// The rows and columns of the source that the import uses: all of 0..1023 for the
// 512-mile map, the centred window 236..788 faded out at its edges for the 256-mile map.
struct ImportWindow {
  bool size256;
  int first;
  int last;

  explicit ImportWindow(bool mapSize256)
      : size256(mapSize256), first(mapSize256 ? 236 : 0), last(mapSize256 ? 788 : 1023) {}

  // 0 from 276 rows off the centre row 512 outward, rising by tenths over the ten rows
  // inside that, 1 elsewhere.
  double rowFactor(int r) const {
    if (!size256) return 1.0;
    const int d = std::abs(512 - r);
    if (d >= 276) return 0.0;
    if (d > 266) return (276 - d) / 10.0;
    return 1.0;
  }
  // The same fade across the columns, but only in rows the row fade leaves whole, so a
  // corner is faded once, not twice.
  float columnFactor(double rowFactor, int c) const {
    if (!size256 || rowFactor != 1.0) return 1.0f;
    const int d = std::abs(512 - c);
    if (d >= 276) return 0.0f;
    if (d > 266) return static_cast<float>((276 - d) / 10.0);
    return 1.0f;
  }
};

// Elevations that depend on a cell only through one whole number from lo to hi (a raw
// sample, a grey level, a sum of neighbours), each worked out when first asked for and
// then kept. `compute` gives an elevation (never negative) or a negative code of the
// caller's other than -1. Two bytes an entry keep the table in the processor's cache.
class ElevationMemo {
 public:
  ElevationMemo(int lo, int hi) : lo_(lo), values_(static_cast<std::size_t>(hi - lo + 1), kUnknown) {}

  template <typename Compute>
  std::int16_t get(int i, Compute compute) {
    std::int16_t& value = values_[static_cast<std::size_t>(i - lo_)];
    if (value == kUnknown) value = compute(i);
    return value;
  }

 private:
  static constexpr std::int16_t kUnknown = -1;
  int lo_;
  std::vector<std::int16_t> values_;
};

// An elevation in feet as the import stores it: whole feet toward minus infinity, never
// below 0 (the sea), at most 32767; a value that cannot be computed gives 0.
inline std::int16_t importedElevation(double feet) {
  if (std::isnan(feet)) return 0;
  const double whole = std::floor(feet);
  if (whole <= 0.0) return 0;
  if (whole >= 32767.0) return 32767;
  return static_cast<std::int16_t>(whole);
}

// The progress after source row r of a pass whose last row is `last`, in percent.
inline int rowProgress(int r, int last) {
  const float percent = 100.0f * static_cast<float>(r) / static_cast<float>(last);
  return static_cast<int>(std::lround(percent));
}

// The highest elevation an import writes and the first cell in scan order (rows from
// the south, columns from the west) that has it, whatever order the cells come in. Only
// a cell above the starting value counts; `top` keeps the highest cell whatever its value,
// for the report to name when none reached the starting value.
struct HighestCell {
  struct Peak {
    int value;
    int row = 0;
    int column = 0;
    bool found = false;

    void offer(int elevation, int r, int c) {
      if (elevation < value) return;
      if (elevation > value || (found && (r < row || (r == row && c < column)))) {
        value = elevation;
        row = r;
        column = c;
        found = true;
      }
    }
  };
  Peak reached;
  Peak top{INT_MIN};

  explicit HighestCell(int start) : reached{start} {}
  void offer(int elevation, int r, int c) {
    reached.offer(elevation, r, c);
    top.offer(elevation, r, c);
  }
};

// Writes an import's elevation grid row by row in file order. A grid row whose source row
// lies outside the window is 0; the others hold what `fillRow(r, elevations)` puts in
// columns window.first..window.last of source row r, and 0 beyond them. `mirror` puts
// source row r at grid row 1023 - r. The progress bar takes the zero border's steps for
// the 256-mile map (10, 20, 25 once per window row, 30), then, once per window row, the
// share of the window's rows done.
template <typename FillRow>
void writeImportRows(SafeFile& file, const ImportWindow& window, bool mirror, Host& host, FillRow fillRow) {
  if (window.size256) {
    host.setProgress(ProgressBar::Bar1, 10);
    host.setProgress(ProgressBar::Bar1, 20);
    for (int r = window.first; r <= window.last; ++r) host.setProgress(ProgressBar::Bar1, 25);
    host.setProgress(ProgressBar::Bar1, 30);
  }
  std::array<std::int16_t, kElevSize> elevations{};
  std::array<std::uint8_t, 2 * kElevSize> bytes{};
  const std::array<std::uint8_t, 2 * kElevSize> zeros{};
  int done = 0;
  for (int g = 0; g < kElevSize; ++g) {
    const int r = mirror ? kElevSize - 1 - g : g;
    if (r < window.first || r > window.last) {
      file.write(zeros);
      continue;
    }
    fillRow(r, elevations);
    for (std::size_t c = 0; c < kElevSize; ++c) {
      const auto u = static_cast<std::uint16_t>(elevations[c]);
      bytes[2 * c] = static_cast<std::uint8_t>(u & 0xFF);
      bytes[2 * c + 1] = static_cast<std::uint8_t>(u >> 8);
    }
    file.write(bytes);
    host.setProgress(ProgressBar::Bar1, rowProgress(window.first + done++, window.last));
  }
}

// "Max Elevation: " N CR LF "Located at: " column x miles, ", " row x miles CR LF "Done.",
// with the source column and row of the maximum. When no cell reached the starting value
// a line before "Done." names the highest cell, so that the user sees Max Alt or the
// units are off.
std::string maximumReport(const HighestCell& highest, double milesPerSample);

}  // namespace quarnby::elevation
