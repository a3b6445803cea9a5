#pragma once
#include <cstdint>
#include <span>
#include <vector>

namespace quarnby {

// The map images: uncompressed 8-bit Windows bitmaps of 1024 x 1024 pixels, one pixel
// per elevation sample, with an 11-colour palette. Rows are stored bottom-up, so the
// pixels follow the elevation grid's own order: row 0 (the southern edge) first.
inline constexpr int kMapSize = 1024;
inline constexpr std::size_t kMapPixelOffset = 98;
inline constexpr std::size_t kMapPixelCount = 1048576;
inline constexpr std::size_t kMapFileBytes = 1048676;  // the pixels and two trailing zero bytes

// Palette indexes with a meaning of their own.
namespace mapColour {
inline constexpr std::uint8_t kBackground = 0;  // water in the colour map, white otherwise
inline constexpr std::uint8_t kLowLand = 1;
inline constexpr std::uint8_t kObject = 2;
inline constexpr std::uint8_t kHighest = 7;  // also towns among the object dots
inline constexpr std::uint8_t kTrack = 8;
inline constexpr std::uint8_t kGunSite = 9;
}  // namespace mapColour

// The pixel of sample (r, c) within the pixel area.
constexpr std::size_t mapPixel(int r, int c) {
  return static_cast<std::size_t>(r) * kMapSize + static_cast<std::size_t>(c);
}

// The whole file: header, palette (index 0 pale blue for water, or white), the pixels
// and the trailer.
std::vector<std::uint8_t> mapBitmapFile(bool whiteBackground, std::span<const std::uint8_t> pixels);

}  // namespace quarnby
