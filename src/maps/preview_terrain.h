#pragma once
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "terrain/grids.h"

namespace quarnby::preview {

// What the terrain preview shows of a terrain folder, read whole in one go (after an
// operation has ended, never while one runs). A file that is missing, cannot be read or
// is shorter than its grid leaves its layer empty, with a note naming the file.

// A position on the elevation grid; may lie outside it.
struct GridPoint {
  long long column = 0;
  long long row = 0;
  bool operator==(const GridPoint&) const = default;
};

// A run of a track whose points all have a position; a point without one splits the
// track into two lines.
struct TrackLine {
  int kind = 0;  // kRoad, kRailway, kRiver, or another value of the file
  std::vector<GridPoint> points;
};

// How the preview draws an object, from its code (and a supply object's site name).
enum class SiteKind { Headquarters, Supply, Port, Town, City, Airfield, FUF, RDF };
inline constexpr int kSiteKindCount = 8;
std::string siteKindName(SiteKind kind);

struct Site {
  SiteKind kind = SiteKind::Town;
  std::string leadToken;
  std::string siteName;
  GridPoint sample;
};

template <typename T>
struct Layer {
  std::optional<T> data;  // nothing when the layer is empty
  std::string note;       // why it is empty: "No Demo.typ", "Demo.elv is short ..."
  explicit operator bool() const { return data.has_value(); }
};

struct PreviewTerrain {
  std::filesystem::path folder;
  std::string baseName;
  Layer<ElevationGrid> elevation;
  Layer<CellGrid> types;
  Layer<CellGrid> subTypes;
  Layer<std::vector<std::uint8_t>> cover;  // the land cover layer, one entry a type cell, south first
  Layer<std::vector<TrackLine>> tracks;
  Layer<std::vector<Site>> sites;
};

// Reads the six files of the folder; never fails, never shows anything.
PreviewTerrain loadPreviewTerrain(const std::filesystem::path& folder);

// The lines of a track file's text, by record.
std::vector<TrackLine> trackLinesOf(std::string_view trackFileText);
// The sites of an object file's text, read in field mode as Make Map reads them; a
// record without a position is left out.
std::vector<Site> sitesOf(std::string_view objectFileText);

// World feet east (column) or north (row) of the grid centre at a sample.
constexpr long long worldFeetOf(long long index) { return (index - 512) * 2640; }

// The status line for the sample under the cursor: row, column, world X and Z, what the
// grids hold there, and the site the cursor points at, if any.
std::string readout(const PreviewTerrain& terrain, int row, int column, const Site* site = nullptr);

// The site nearest to a point in sample units (sample (r, c) covers columns c to c + 1
// and rows r to r + 1, so its centre is at c + 0.5, r + 0.5), if one lies within
// `reach` samples; a later site wins a tie, as it is drawn over the earlier.
const Site* siteNear(const std::vector<Site>& sites, double column, double row, double reach);

// A whole number with thousands separators: "-1,351,680".
std::string groupedNumber(long long v);

}  // namespace quarnby::preview
