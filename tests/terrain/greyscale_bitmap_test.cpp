#include "terrain/greyscale_bitmap.h"

#include <gtest/gtest.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <vector>

#include "support/system_texts.h"
#include "support/temp_folder.h"

namespace quarnby {
namespace {

std::uint32_t u32(const std::vector<std::uint8_t>& b, std::size_t i) {
  return b[i] | b[i + 1] << 8 | b[i + 2] << 16 | static_cast<std::uint32_t>(b[i + 3]) << 24;
}
std::uint16_t u16(const std::vector<std::uint8_t>& b, std::size_t i) {
  return static_cast<std::uint16_t>(b[i] | b[i + 1] << 8);
}

TEST(GreyscaleBitmap, WritesAn8BitGreyBitmapOf1024By1024BottomUp) {
  std::vector<std::uint8_t> pixels(kGreyscalePixelCount, 0);
  pixels[0] = 255;                  // grid row 0, column 0
  pixels[1023 * 1024 + 1023] = 17;  // grid row 1023, column 1023
  pixels[5 * 1024 + 7] = 128;
  const auto file = greyscaleBitmapFile(pixels);

  ASSERT_EQ(file.size(), 1049656u);
  const char* start =
      "424D380410000000000036040000280000000004000000040000010008000000000000000000C30E0000C30E0000000000000000000000000000";
  for (std::size_t i = 0; i < 58; ++i) {
    const unsigned expected = std::stoul(std::string(start + 2 * i, 2), nullptr, 16);
    ASSERT_EQ(file[i], expected) << "byte " << i;
  }
  // The fields an image reader goes by.
  EXPECT_EQ(file[0], 'B');
  EXPECT_EQ(file[1], 'M');
  EXPECT_EQ(u32(file, 2), file.size());
  EXPECT_EQ(u32(file, 10), 1078u);  // pixels after the headers and 256 palette entries
  EXPECT_EQ(u32(file, 14), 40u);
  EXPECT_EQ(static_cast<std::int32_t>(u32(file, 18)), 1024);
  EXPECT_EQ(static_cast<std::int32_t>(u32(file, 22)), 1024);  // positive: the first stored row is the bottom one
  EXPECT_EQ(u16(file, 26), 1);
  EXPECT_EQ(u16(file, 28), 8);
  EXPECT_EQ(u32(file, 30), 0u);
  EXPECT_EQ(u32(file, 46), 0u);  // all 256 colours
  for (std::size_t k = 0; k < 256; ++k) {
    ASSERT_EQ(file[54 + 4 * k], k);
    ASSERT_EQ(file[55 + 4 * k], k);
    ASSERT_EQ(file[56 + 4 * k], k);
    ASSERT_EQ(file[57 + 4 * k], 0);
  }
  EXPECT_EQ(file[1078], 255);
  EXPECT_EQ(file[1078 + 5 * 1024 + 7], 128);
  EXPECT_EQ(file[1078 + 1048575], 17);
  EXPECT_EQ(file[1049654], 0);
  EXPECT_EQ(file[1049655], 0);
}

TEST(GreyscaleBitmap, ReadsPixelBytesAtTheirFixedPlaceWithoutLookingAtTheHeader) {
  std::vector<std::uint8_t> bytes(kGreyscaleFileBytes, 0);  // no header at all
  bytes[1078] = 9;
  bytes[1078 + 1024 * 3 + 2] = 200;
  bytes[1078 + 1024 * 1023 + 1023] = 255;
  GreyscaleBitmap bitmap(bytes);
  EXPECT_EQ(bitmap.pixel(0, 0), 9);
  EXPECT_EQ(bitmap.pixel(3, 2), 200);
  EXPECT_EQ(bitmap.pixel(1023, 1023), 255);

  bytes.resize(1078 + 1024 * 2);  // a short file: the missing rows read 0
  GreyscaleBitmap shorter(bytes);
  EXPECT_EQ(shorter.pixel(0, 0), 9);
  EXPECT_EQ(shorter.pixel(3, 2), 0);
  EXPECT_EQ(shorter.pixel(1023, 1023), 0);
}

TEST(GreyscaleBitmap, AWholeRowReadsAsItsSinglePixels) {
  std::vector<std::uint8_t> bytes(1078 + 1024 + 500, 0);  // row 1 breaks off after 500 pixels
  for (std::size_t i = 1078; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 7);
  GreyscaleBitmap bitmap(bytes);
  std::array<std::uint8_t, 1024> row{};
  for (int r : {0, 1, 2, 1023}) {
    row.fill(99);
    bitmap.pixelRow(r, row);
    for (int c = 0; c < 1024; ++c) ASSERT_EQ(row[c], bitmap.pixel(r, c)) << r << ", " << c;
  }
  bitmap.pixelRow(1, row);
  EXPECT_EQ(row[499], static_cast<std::uint8_t>((1078 + 1024 + 499) * 7));
  EXPECT_EQ(row[500], 0);
}

TEST(GreyscaleBitmap, LoadReportsTheSystemsReasonForAMissingFile) {
  testing::TempFolder temp;
  std::string error;
  EXPECT_FALSE(GreyscaleBitmap::load(temp.path() / "none_elv.bmp", error));
  EXPECT_EQ(error, testing::systemText(ENOENT));
  testing::writeBytes(temp.path() / "a_elv.bmp",
                      greyscaleBitmapFile(std::vector<std::uint8_t>(kGreyscalePixelCount, 42)));
  const auto bitmap = GreyscaleBitmap::load(temp.path() / "a_elv.bmp", error);
  ASSERT_TRUE(bitmap);
  EXPECT_EQ(bitmap->pixel(512, 700), 42);
}

}  // namespace
}  // namespace quarnby
