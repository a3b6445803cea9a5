#include "terrain/greyscale_bitmap.h"

#include <algorithm>
#include <array>

#include "terrain/file_io.h"

namespace quarnby {
namespace {

// BITMAPFILEHEADER (file size 1049656, pixels at 1078), BITMAPINFOHEADER (1024 x 1024,
// bottom-up, 8 bits, uncompressed, 3779 pixels per metre, all 256 colours) and palette
// entry 0.
constexpr std::array<std::uint8_t, 58> kHeaderStart = {
    0x42, 0x4D, 0x38, 0x04, 0x10, 0x00, 0x00, 0x00, 0x00, 0x00, 0x36, 0x04, 0x00, 0x00, 0x28,
    0x00, 0x00, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00, 0x04, 0x00, 0x00, 0x01, 0x00, 0x08, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xC3, 0x0E, 0x00, 0x00, 0xC3, 0x0E, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};

}  // namespace

std::vector<std::uint8_t> greyscaleBitmapHeader() {
  std::vector<std::uint8_t> header(kGreyscalePixelOffset, 0);
  std::copy(kHeaderStart.begin(), kHeaderStart.end(), header.begin());
  for (std::size_t k = 1; k < 256; ++k) {
    const auto grey = static_cast<std::uint8_t>(k);
    std::uint8_t* entry = &header[54 + 4 * k];  // blue, green, red, reserved
    entry[0] = entry[1] = entry[2] = grey;
  }
  return header;
}

std::vector<std::uint8_t> greyscaleBitmapFile(std::span<const std::uint8_t> pixels) {
  std::vector<std::uint8_t> file = greyscaleBitmapHeader();
  file.resize(kGreyscaleFileBytes, 0);
  const std::size_t n = std::min(pixels.size(), kGreyscalePixelCount);
  std::copy_n(pixels.begin(), n, file.begin() + kGreyscalePixelOffset);
  return file;
}

void GreyscaleBitmap::pixelRow(int r, std::span<std::uint8_t, kGreyscaleSize> row) const {
  const std::size_t first = kGreyscalePixelOffset + static_cast<std::size_t>(r) * kGreyscaleSize;
  const std::size_t available =
      first < bytes_.size() ? std::min<std::size_t>(bytes_.size() - first, kGreyscaleSize) : 0;
  if (available > 0) std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(first), available, row.begin());
  std::fill(row.begin() + static_cast<std::ptrdiff_t>(available), row.end(), std::uint8_t{0});
}

std::optional<GreyscaleBitmap> GreyscaleBitmap::load(const std::filesystem::path& file, std::string& error) {
  auto bytes = readWholeFile(file, readLimit::kBinary, error);
  if (!bytes) return std::nullopt;
  return GreyscaleBitmap(std::move(*bytes));
}

}  // namespace quarnby
