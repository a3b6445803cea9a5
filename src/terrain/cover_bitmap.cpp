#include "terrain/cover_bitmap.h"

#include <algorithm>

#include "terrain/file_io.h"

namespace quarnby {
namespace {

constexpr std::size_t kFileHeader = 14;
constexpr std::size_t kInfoHeader = 40;
constexpr std::size_t kPixelOffset = kFileHeader + kInfoHeader + 256 * 4;
constexpr std::size_t kFileBytes = kPixelOffset + kCoverPixelCount;

void put16(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
  b[at] = static_cast<std::uint8_t>(v);
  b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
void put32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
  put16(b, at, v & 0xFFFF);
  put16(b, at + 2, v >> 16);
}
std::uint32_t get16(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::uint32_t>(b[at] | (b[at + 1] << 8));
}
std::uint32_t get32(std::span<const std::uint8_t> b, std::size_t at) { return get16(b, at) | (get16(b, at + 2) << 16); }

}  // namespace

const std::array<std::uint32_t, kCoverEntries>& coverPalette() {
  // The first seven are the preview's type colours (maps/preview_render.cpp).
  static const std::array<std::uint32_t, kCoverEntries> palette = {
      0x3A76BE,  // Water
      0x86C45C,  // Grass
      0xAAA470,  // Grassy Rock
      0xE8CC60,  // Farm
      0x88807A,  // Rock
      0x286A34,  // Forest
      0xF4F6FA,  // Snow
      0xB4D2A0,  // open natural ground
      0xC8B48C,  // bare or sparse ground
      0x000000,  // no land cover
  };
  return palette;
}

std::vector<std::uint8_t> coverBitmapFile(std::span<const std::uint8_t, kCoverPixelCount> cells) {
  std::vector<std::uint8_t> file(kFileBytes, 0);
  file[0] = 'B';
  file[1] = 'M';
  put32(file, 2, static_cast<std::uint32_t>(kFileBytes));
  put32(file, 10, static_cast<std::uint32_t>(kPixelOffset));
  put32(file, 14, kInfoHeader);
  put32(file, 18, kCoverSize);
  put32(file, 22, kCoverSize);  // positive: bottom-up
  put16(file, 26, 1);           // planes
  put16(file, 28, 8);           // bits per pixel
  put32(file, 34, static_cast<std::uint32_t>(kCoverPixelCount));
  put32(file, 38, 3779);  // 96 dots per inch
  put32(file, 42, 3779);
  for (std::size_t k = 0; k < coverPalette().size(); ++k) {
    const std::uint32_t c = coverPalette()[k];
    std::uint8_t* entry = &file[kFileHeader + kInfoHeader + 4 * k];  // blue, green, red, reserved
    entry[0] = static_cast<std::uint8_t>(c);
    entry[1] = static_cast<std::uint8_t>(c >> 8);
    entry[2] = static_cast<std::uint8_t>(c >> 16);
  }
  std::copy(cells.begin(), cells.end(), file.begin() + kPixelOffset);
  return file;
}

std::optional<CoverLayer> CoverLayer::load(const std::filesystem::path& file, std::string& error) {
  auto bytes = readWholeFile(file, readLimit::kBinary, error);
  if (!bytes) return std::nullopt;
  return parse(*bytes, error);
}

std::optional<CoverLayer> CoverLayer::parse(std::span<const std::uint8_t> bytes, std::string& error) {
  const std::string wanted = "not a 512 x 512 8-bit palette bitmap";
  if (bytes.size() < kFileHeader + kInfoHeader || bytes[0] != 'B' || bytes[1] != 'M' ||
      get32(bytes, 14) < kInfoHeader) {
    error = wanted + " (no Windows bitmap header)";
    return std::nullopt;
  }
  const auto width = static_cast<std::int32_t>(get32(bytes, 18));
  const auto height = static_cast<std::int32_t>(get32(bytes, 22));
  const std::uint32_t bits = get16(bytes, 28), compression = get32(bytes, 30);
  if (width != kCoverSize || (height != kCoverSize && height != -kCoverSize) || bits != 8 || compression != 0) {
    error = wanted + " (it is " + std::to_string(width) + " x " + std::to_string(height < 0 ? -height : height) + ", " +
            std::to_string(bits) + "-bit" + (compression != 0 ? ", compressed" : "") + ")";
    return std::nullopt;
  }
  const std::size_t offset = get32(bytes, 10);
  if (offset > bytes.size() || bytes.size() - offset < kCoverPixelCount) {
    error = wanted + " (the file ends before its last pixel)";
    return std::nullopt;
  }
  // A top-down picture (negative height) keeps the north first; the layer keeps the south first.
  std::vector<std::uint8_t> cells(kCoverPixelCount);
  for (int r = 0; r < kCoverSize; ++r) {
    const int stored = height < 0 ? kCoverSize - 1 - r : r;
    const auto from =
        bytes.begin() + static_cast<std::ptrdiff_t>(offset + static_cast<std::size_t>(stored) * kCoverSize);
    std::copy_n(from, kCoverSize, cells.begin() + static_cast<std::ptrdiff_t>(r) * kCoverSize);
  }
  const auto bad = std::find_if(cells.begin(), cells.end(), [](std::uint8_t v) { return v >= kCoverEntries; });
  if (bad != cells.end()) {
    const auto at = static_cast<std::size_t>(bad - cells.begin());
    error = "not a layer of the ten entries: palette index " + std::to_string(*bad) + " at type row " +
            std::to_string(at / kCoverSize) + ", column " + std::to_string(at % kCoverSize) +
            " is none of the entries 0 to 9";
    return std::nullopt;
  }
  return CoverLayer(std::move(cells));
}

}  // namespace quarnby
