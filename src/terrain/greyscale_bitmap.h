#pragma once
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace quarnby {

// The greyscale elevation bitmap: an uncompressed 8-bit Windows bitmap of 1024 x 1024
// pixels with the grey ramp as its palette, one pixel per elevation sample. Rows are
// stored bottom-up, so grid row 0 (the southern edge) is the picture's bottom line.
inline constexpr int kGreyscaleSize = 1024;
inline constexpr std::size_t kGreyscalePixelOffset = 1078;
inline constexpr std::size_t kGreyscalePixelCount = 1048576;
inline constexpr std::size_t kGreyscaleFileBytes = 1049656;  // the pixels and two trailing bytes

// What comes before the pixels: both headers and the 256 grey palette entries.
std::vector<std::uint8_t> greyscaleBitmapHeader();

// The whole file: both headers, the 256 grey palette entries, the 1024 x 1024 pixels in
// grid order (row 0 first) and the two trailing bytes, written as 0.
std::vector<std::uint8_t> greyscaleBitmapFile(std::span<const std::uint8_t> pixels);

// The reader takes the pixel bytes at their fixed place and checks nothing else: a
// picture saved by a paint program reads right when it kept the 8-bit layout.
class GreyscaleBitmap {
 public:
  explicit GreyscaleBitmap(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}
  // Reads the file; on failure returns nothing and sets `error` to the system's text.
  static std::optional<GreyscaleBitmap> load(const std::filesystem::path& file, std::string& error);

  // Grey level of row r, column c (0..1023); a pixel past the end of a short file reads 0.
  std::uint8_t pixel(int r, int c) const {
    const std::size_t i =
        kGreyscalePixelOffset + static_cast<std::size_t>(r) * kGreyscaleSize + static_cast<std::size_t>(c);
    return i < bytes_.size() ? bytes_[i] : 0;
  }
  // The grey levels of row r (0..1023), as pixel gives them.
  void pixelRow(int r, std::span<std::uint8_t, kGreyscaleSize> row) const;

 private:
  std::vector<std::uint8_t> bytes_;
};

}  // namespace quarnby
