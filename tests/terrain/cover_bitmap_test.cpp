#include "terrain/cover_bitmap.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "maps/preview_render.h"

namespace quarnby {
namespace {

std::uint32_t u32(const std::vector<std::uint8_t>& b, std::size_t i) {
  return b[i] | b[i + 1] << 8 | b[i + 2] << 16 | static_cast<std::uint32_t>(b[i + 3]) << 24;
}

std::vector<std::uint8_t> layerWith(std::size_t at, std::uint8_t entry) {
  std::vector<std::uint8_t> cells(kCoverPixelCount, kNoLandCover);
  cells[at] = entry;
  return cells;
}

TEST(CoverBitmap, WritesA512By512PaletteBitmapSouthFirstInThePreviewColours) {
  auto cells = layerWith(0, 5);  // type row 0, column 0: the picture's bottom left
  cells[511 * 512 + 3] = kCoverOpen;
  const auto file = coverBitmapFile(std::span<const std::uint8_t, kCoverPixelCount>(cells));
  ASSERT_EQ(file.size(), 1078u + 262144u);
  EXPECT_EQ(u32(file, 2), file.size());
  EXPECT_EQ(u32(file, 10), 1078u);
  EXPECT_EQ(u32(file, 18), 512u);
  EXPECT_EQ(u32(file, 22), 512u);  // positive height: bottom-up
  EXPECT_EQ(file[28], 8);
  EXPECT_EQ(file[1078], 5);
  EXPECT_EQ(file[1078 + 511 * 512 + 3], kCoverOpen);
  for (int t = 0; t < 7; ++t) {
    const std::uint32_t bgr = u32(file, 54 + 4 * static_cast<std::size_t>(t));
    EXPECT_EQ(bgr, preview::typeColour(t)) << "type " << t;  // B, G, R, 0 read little-endian is 0x00RRGGBB
  }

  std::string error;
  const auto layer = CoverLayer::parse(file, error);
  ASSERT_TRUE(layer) << error;
  EXPECT_EQ(layer->cells(), cells);
  EXPECT_EQ(layer->cell(511, 3), kCoverOpen);
}

TEST(CoverBitmap, ATopDownPictureReadsWithTheSouthFirst) {
  const auto cells = layerWith(2, 6);
  auto file = coverBitmapFile(std::span<const std::uint8_t, kCoverPixelCount>(cells));
  // The same picture stored north first, as some paint programs save it.
  std::vector<std::uint8_t> flipped(file.begin(), file.begin() + 1078);
  for (int r = 511; r >= 0; --r)
    flipped.insert(flipped.end(), file.begin() + 1078 + r * 512, file.begin() + 1078 + (r + 1) * 512);
  const std::int32_t minus512 = -512;
  for (int k = 0; k < 4; ++k)
    flipped[22 + k] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(minus512) >> (8 * k));
  std::string error;
  const auto layer = CoverLayer::parse(flipped, error);
  ASSERT_TRUE(layer) << error;
  EXPECT_EQ(layer->cell(0, 2), 6);
}

TEST(CoverBitmap, RefusesWhatIsNotA512By512EightBitLayerOfTheTenEntries) {
  const auto cells = layerWith(3 * 512 + 4, 12);
  const auto good = coverBitmapFile(std::span<const std::uint8_t, kCoverPixelCount>(layerWith(0, 0)));
  struct Case {
    const char* name;
    std::vector<std::uint8_t> bytes;
    std::string error;
  };
  auto changed = [&](std::size_t at, std::uint8_t v) {
    auto b = good;
    b[at] = v;
    return b;
  };
  const std::vector<Case> cases = {
      {"empty", {}, "not a 512 x 512 8-bit palette bitmap (no Windows bitmap header)"},
      {"no BM", changed(0, 'X'), "not a 512 x 512 8-bit palette bitmap (no Windows bitmap header)"},
      {"1024 wide", changed(19, 4), "not a 512 x 512 8-bit palette bitmap (it is 1024 x 512, 8-bit)"},
      {"24-bit", changed(28, 24), "not a 512 x 512 8-bit palette bitmap (it is 512 x 512, 24-bit)"},
      {"run-length", changed(30, 1), "not a 512 x 512 8-bit palette bitmap (it is 512 x 512, 8-bit, compressed)"},
      {"short", std::vector<std::uint8_t>(good.begin(), good.end() - 1),
       "not a 512 x 512 8-bit palette bitmap (the file ends before its last pixel)"},
      {"index 12", coverBitmapFile(std::span<const std::uint8_t, kCoverPixelCount>(cells)),
       "not a layer of the ten entries: palette index 12 at type row 3, column 4 is none of the entries 0 to 9"},
  };
  for (const Case& c : cases) {
    std::string error;
    EXPECT_FALSE(CoverLayer::parse(c.bytes, error)) << c.name;
    EXPECT_EQ(error, c.error) << c.name;
  }
}

}  // namespace
}  // namespace quarnby
