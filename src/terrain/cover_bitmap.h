#pragma once
#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace quarnby {

// The land cover layer `<base>_cover.bmp`: an uncompressed 8-bit palette bitmap of
// 512 x 512 pixels, one pixel per type cell, rows stored bottom-up so that type row 0
// (the southern edge) is the picture's bottom line. A pixel is one palette index: the
// seven terrain types by their codes, open natural ground, bare ground, or no land cover.
inline constexpr int kCoverSize = 512;
inline constexpr std::size_t kCoverPixelCount = 262144;
inline constexpr std::uint8_t kCoverWater = 0;
inline constexpr std::uint8_t kCoverOpen = 7;    // the band's type if Grass, Grassy Rock, Rock or Snow, else Grass
inline constexpr std::uint8_t kCoverBare = 8;    // the band's type if Grassy Rock, Rock or Snow, else Grassy Rock
inline constexpr std::uint8_t kNoLandCover = 9;  // the altitude bands decide
inline constexpr int kCoverEntries = 10;

// The palette colours as 0xRRGGBB, by index: the preview's type colours, then the three others.
const std::array<std::uint32_t, kCoverEntries>& coverPalette();

// The whole file: both headers, the palette (256 entries, those past the ten black), and
// the 512 x 512 indices in grid order (type row 0 first).
std::vector<std::uint8_t> coverBitmapFile(std::span<const std::uint8_t, kCoverPixelCount> cells);

// The layer as read: one index per type cell in grid order, cell(tr, tc).
class CoverLayer {
 public:
  // Reads the file; on failure returns nothing and sets `error` to the reason: the
  // system's description, or why the picture is not a 512 x 512 8-bit bitmap of the
  // ten entries. A bottom-up or top-down picture both read with row 0 the south.
  static std::optional<CoverLayer> load(const std::filesystem::path& file, std::string& error);
  // The same over bytes already read.
  static std::optional<CoverLayer> parse(std::span<const std::uint8_t> bytes, std::string& error);

  std::uint8_t cell(int tr, int tc) const {
    return cells_[static_cast<std::size_t>(tr) * kCoverSize + static_cast<std::size_t>(tc)];
  }
  const std::vector<std::uint8_t>& cells() const { return cells_; }

 private:
  explicit CoverLayer(std::vector<std::uint8_t> cells) : cells_(std::move(cells)) {}
  std::vector<std::uint8_t> cells_;
};

}  // namespace quarnby
