#pragma once
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "core/context.h"
#include "terrain/greyscale_bitmap.h"
#include "terrain/file_io.h"
#include "terrain/grids.h"
#include "terrain/terragen_file.h"

// What the two elevation imports, the export and the range finders share: opening their
// sources with the user told why not, the window of the 256-mile map with its faded edge,
// and the closing report.
namespace quarnby::elevation {

// "<kind line>" CR LF path CR LF error, or with CR alone where the operation uses it.
std::string fileMessage(std::string_view kindLine, const std::filesystem::path& file, const std::string& error,
                        const std::string& lineBreak = kCrLf);

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

  explicit ImportWindow(bool mapSize256) : size256(mapSize256), first(mapSize256 ? 236 : 0), last(mapSize256 ? 788 : 1023) {}

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

// Writes 0 around the window of the 256-mile map (rows 0..236 and 788..1023, then the
// columns 0..236 and 788..1023 of the rows between), moving the progress bar to 10, 20,
// 25 and 30 on the way. `mirror` puts source row r at grid row 1023 - r.
void writeZeroBorder(ElevationGrid& grid, bool mirror, Host& host);

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

// "Max Elevation: " N CR LF "Located at: " column x miles, ", " row x miles CR LF "Done.",
// with the source column and row of the maximum.
std::string maximumReport(int maximum, int row, int column, double milesPerSample);

// Replaces the elevation grid file; false after telling the user why it failed.
bool saveElevationGrid(Context& cx, SafeFile& file, const ElevationGrid& grid, const std::filesystem::path& path);

}  // namespace quarnby::elevation
