#include "maps/map_bitmap.h"

#include <array>
#include <string_view>

namespace quarnby {
namespace {

// Both bitmap headers as they are written: "BM", size 1048676, pixels at 98, a 40-byte
// info header, 1024 x 1024, one plane, 8 bits, no compression, 2834 pixels per metre,
// 11 colours.
constexpr std::string_view kHeader =
    "424D640010000000000062000000280000000004000000040000010008000000000000000000120B0000120B00000B0000000B000000";

// Red, green and blue of indexes 1 to 9; index 10 stays black and unused.
constexpr std::array<std::string_view, 9> kColours = {"D4E2BD", "C5DAB3", "F7F1CD", "F1E4A3", "E8C785",
                                                      "E1B182", "D99E67", "636363", "020202"};
constexpr std::string_view kWater = "D1D8E5";
constexpr std::string_view kWhite = "FFFFFF";

std::uint8_t hexByte(std::string_view two) {
  const auto digit = [](char ch) { return ch <= '9' ? ch - '0' : ch - 'A' + 10; };
  return static_cast<std::uint8_t>(digit(two[0]) * 16 + digit(two[1]));
}

// A palette entry: blue, green, red, 0.
void putColour(std::vector<std::uint8_t>& out, std::string_view rgb) {
  out.push_back(hexByte(rgb.substr(4, 2)));
  out.push_back(hexByte(rgb.substr(2, 2)));
  out.push_back(hexByte(rgb.substr(0, 2)));
  out.push_back(0);
}

}  // namespace

std::vector<std::uint8_t> mapBitmapFile(bool whiteBackground, std::span<const std::uint8_t> pixels) {
  std::vector<std::uint8_t> out;
  out.reserve(kMapFileBytes);
  for (std::size_t i = 0; i < kHeader.size(); i += 2) out.push_back(hexByte(kHeader.substr(i, 2)));
  putColour(out, whiteBackground ? kWhite : kWater);
  for (std::string_view colour : kColours) putColour(out, colour);
  putColour(out, "000000");
  out.insert(out.end(), pixels.begin(), pixels.end());
  out.resize(kMapFileBytes, 0);  // a short pixel area reads as background; the trailer is 0
  return out;
}

}  // namespace quarnby
