#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "terrain/grids.h"

namespace quarnby::preview {

// The pictures of the terrain preview, without any toolkit: every picture has one pixel
// per elevation sample (a type cell covers 2 x 2 pixels) and is laid out north up, so
// the picture's top line is grid row 1023 and its bottom line row 0.

// A colour as 0xRRGGBB.
using Rgb = std::uint32_t;
constexpr Rgb rgb(int r, int g, int b) { return static_cast<Rgb>((r & 0xFF) << 16 | (g & 0xFF) << 8 | (b & 0xFF)); }
constexpr int red(Rgb c) { return static_cast<int>(c >> 16 & 0xFF); }
constexpr int green(Rgb c) { return static_cast<int>(c >> 8 & 0xFF); }
constexpr int blue(Rgb c) { return static_cast<int>(c & 0xFF); }

struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<Rgb> pixels;  // line by line from the top

  Rgb at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// The picture line of grid row r, and back.
constexpr int lineOfRow(int r) { return kElevSize - 1 - r; }

// ---- Elevation ---------------------------------------------------------------------

// One band of the relief: every elevation from `fromFeet` up to the next band's start.
struct ElevationBand {
  int fromFeet;
  Rgb colour;
  std::string_view label;
};
// The bands from the lowest up: water below sea level, at sea level, then land.
std::span<const ElevationBand> elevationBands();
Rgb elevationColour(int feet);

// The light on a sample's slope, from the north-west and 45 degrees high, relative to
// flat ground: 1 on the flat, less on slopes that face away, more on slopes facing the
// light. Samples off the grid's edge count as the edge sample.
double hillShade(const ElevationGrid& elevation, int r, int c);
// A colour in that light; `strength` 0 keeps it, 1 applies the full shade.
Rgb shaded(Rgb colour, double shade, double strength = 1.0);

// The colour-banded relief, hill-shaded unless `shade` is off. Water is never shaded.
RgbImage reliefImage(const ElevationGrid& elevation, bool shade = true);

// ---- Types and sub-types -----------------------------------------------------------

inline constexpr int kTypeCount = 7;
// The name of a terrain type code ("Water" ... "Snow"); "Type n" past the list.
std::string typeName(int type);
// The seven type colours; codes past the list show in a warning magenta.
Rgb typeColour(int type);
inline constexpr Rgb kUnknownTypeColour = rgb(230, 0, 200);

// Sub-type 0 (under water) dark, 1 to 255 along a blue-green-yellow ramp.
Rgb subTypeColour(int subType);

// The type grid or the sub-type grid; with an elevation grid the land is lit by its
// relief (more softly than the relief itself).
RgbImage typeImage(const CellGrid& types, const ElevationGrid* relief = nullptr);
RgbImage subTypeImage(const CellGrid& subTypes, const ElevationGrid* relief = nullptr);

// ---- Land cover --------------------------------------------------------------------

// The colour of a land cover entry (terrain/cover_bitmap.h): the type colours, then open
// and bare ground; an entry past them in the warning magenta.
Rgb coverColour(int entry);
// Cells without land cover are hatched in two greys, so that none reads as a type.
inline constexpr Rgb kNoCoverDark = rgb(72, 72, 76);
inline constexpr Rgb kNoCoverLight = rgb(128, 128, 134);

// The land cover layer (512 x 512 entries, south first); with an elevation grid the land
// is lit by its relief, as the types are.
RgbImage coverImage(std::span<const std::uint8_t> cells, const ElevationGrid* relief = nullptr);

}  // namespace quarnby::preview
