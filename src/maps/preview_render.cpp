#include "maps/preview_render.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "terrain/cover_bitmap.h"

namespace quarnby::preview {
namespace {

// Greens on the low ground, ochre and brown through the hills, grey rock and white
// summits; the steps are closer where most of the land lies.
constexpr std::array<ElevationBand, 17> kBands = {{
    {-32768, rgb(38, 84, 150), "below sea level"},
    {0, rgb(64, 124, 188), "sea level"},
    {1, rgb(86, 148, 84), "1 ft"},
    {250, rgb(112, 166, 92), "250 ft"},
    {500, rgb(146, 186, 104), "500 ft"},
    {1000, rgb(188, 204, 124), "1,000 ft"},
    {1500, rgb(222, 214, 140), "1,500 ft"},
    {2000, rgb(218, 190, 118), "2,000 ft"},
    {3000, rgb(200, 160, 98), "3,000 ft"},
    {4000, rgb(178, 130, 84), "4,000 ft"},
    {5000, rgb(152, 106, 76), "5,000 ft"},
    {6000, rgb(134, 100, 86), "6,000 ft"},
    {7000, rgb(140, 124, 116), "7,000 ft"},
    {8000, rgb(166, 158, 154), "8,000 ft"},
    {9000, rgb(196, 192, 192), "9,000 ft"},
    {10000, rgb(226, 226, 230), "10,000 ft"},
    {11000, rgb(250, 250, 252), "11,000 ft"},
}};

constexpr std::array<Rgb, kTypeCount> kTypeColours = {
    rgb(58, 118, 190),   // Water
    rgb(134, 196, 92),   // Grass
    rgb(170, 164, 112),  // Grassy Rock
    rgb(232, 204, 96),   // Farm
    rgb(136, 128, 122),  // Rock
    rgb(40, 106, 52),    // Forest
    rgb(244, 246, 250),  // Snow
};
constexpr std::array<std::string_view, kTypeCount> kTypeNames = {"Water", "Grass",  "Grassy Rock", "Farm",
                                                                 "Rock",  "Forest", "Snow"};

// Slopes are drawn steeper than they are, so that hills a few hundred feet high show.
constexpr double kExaggeration = 3.0;
constexpr double kLightAltitude = 0.7853981633974483;  // 45 degrees
constexpr double kSoftShade = 0.6;                     // for types and sub-types

int channel(double v) { return static_cast<int>(std::lround(std::clamp(v, 0.0, 255.0))); }

Rgb mix(Rgb a, Rgb b, double t) {
  return rgb(channel(red(a) + (red(b) - red(a)) * t), channel(green(a) + (green(b) - green(a)) * t),
             channel(blue(a) + (blue(b) - blue(a)) * t));
}

RgbImage blankImage() {
  RgbImage image;
  image.width = kElevSize;
  image.height = kElevSize;
  image.pixels.assign(static_cast<std::size_t>(kElevSize) * kElevSize, 0);
  return image;
}

// Fills every sample of the picture with colourOf(r, c), lit by the relief when given.
template <typename ColourOf>
RgbImage sampleImage(const ElevationGrid* relief, double strength, ColourOf colourOf) {
  RgbImage image = blankImage();
  for (int r = 0; r < kElevSize; ++r) {
    Rgb* line = image.pixels.data() + static_cast<std::size_t>(lineOfRow(r)) * kElevSize;
    for (int c = 0; c < kElevSize; ++c) {
      const Rgb colour = colourOf(r, c);
      line[c] = relief && relief->at(r, c) > 0 ? shaded(colour, hillShade(*relief, r, c), strength) : colour;
    }
  }
  return image;
}

}  // namespace

std::span<const ElevationBand> elevationBands() { return kBands; }

Rgb elevationColour(int feet) {
  Rgb colour = kBands.front().colour;
  for (const ElevationBand& band : kBands)
    if (feet >= band.fromFeet) colour = band.colour;
  return colour;
}

double hillShade(const ElevationGrid& elevation, int r, int c) {
  const auto at = [&](int row, int col) {
    return static_cast<double>(elevation.at(std::clamp(row, 0, kElevSize - 1), std::clamp(col, 0, kElevSize - 1)));
  };
  // Rise per foot eastward and northward over the two neighbours on each side.
  const double east = (at(r, c + 1) - at(r, c - 1)) / (2 * kSampleSpacing) * kExaggeration;
  const double north = (at(r + 1, c) - at(r - 1, c)) / (2 * kSampleSpacing) * kExaggeration;
  // The surface normal (-east, -north, 1) against the light from the north-west.
  const double flat = std::sin(kLightAltitude);
  const double across = std::cos(kLightAltitude) / std::sqrt(2.0);
  const double lit = (east * across - north * across + flat) / std::sqrt(east * east + north * north + 1);
  return std::max(lit, 0.0) / flat;
}

Rgb shaded(Rgb colour, double shade, double strength) {
  const double f = 1 + (std::clamp(shade, 0.4, 1.45) - 1) * strength;
  // Shadows darken; sunlit slopes lighten toward white rather than saturate.
  if (f <= 1) return rgb(channel(red(colour) * f), channel(green(colour) * f), channel(blue(colour) * f));
  return mix(colour, rgb(255, 255, 255), (f - 1) * 0.8);
}

RgbImage reliefImage(const ElevationGrid& elevation, bool shade) {
  return sampleImage(shade ? &elevation : nullptr, 1.0,
                     [&](int r, int c) { return elevationColour(elevation.at(r, c)); });
}

std::string typeName(int type) {
  if (type >= 0 && type < kTypeCount) return std::string(kTypeNames[static_cast<std::size_t>(type)]);
  return "Type " + std::to_string(type);
}

Rgb typeColour(int type) {
  return type >= 0 && type < kTypeCount ? kTypeColours[static_cast<std::size_t>(type)] : kUnknownTypeColour;
}

Rgb subTypeColour(int subType) {
  if (subType <= 0) return rgb(40, 46, 58);
  // A ramp in the manner of the perceptual colour maps: dark blue, teal, green, yellow.
  constexpr std::array<Rgb, 5> kRamp = {rgb(62, 38, 128), rgb(44, 104, 150), rgb(36, 152, 136), rgb(110, 196, 88),
                                        rgb(246, 226, 56)};
  const double t = (std::min(subType, 255) - 1) / 254.0 * (kRamp.size() - 1);
  const auto i = std::min(static_cast<std::size_t>(t), kRamp.size() - 2);
  return mix(kRamp[i], kRamp[i + 1], t - static_cast<double>(i));
}

RgbImage typeImage(const CellGrid& types, const ElevationGrid* relief) {
  return sampleImage(relief, kSoftShade, [&](int r, int c) { return typeColour(types.at(r / 2, c / 2)); });
}

RgbImage subTypeImage(const CellGrid& subTypes, const ElevationGrid* relief) {
  return sampleImage(relief, kSoftShade, [&](int r, int c) { return subTypeColour(subTypes.at(r / 2, c / 2)); });
}

Rgb coverColour(int entry) {
  if (entry >= 0 && entry < kNoLandCover) return coverPalette()[static_cast<std::size_t>(entry)];
  return kUnknownTypeColour;
}

RgbImage coverImage(std::span<const std::uint8_t> cells, const ElevationGrid* relief) {
  return sampleImage(relief, kSoftShade, [&](int r, int c) {
    const int entry = cells[static_cast<std::size_t>(r / 2) * kCoverSize + static_cast<std::size_t>(c / 2)];
    if (entry != kNoLandCover) return coverColour(entry);
    return (r + c) % 6 < 2 ? kNoCoverDark : kNoCoverLight;  // diagonal hatching
  });
}

}  // namespace quarnby::preview
