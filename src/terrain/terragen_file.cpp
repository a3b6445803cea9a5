#include "terrain/terragen_file.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstring>
#include <string_view>

namespace quarnby {
namespace {

constexpr std::string_view kHeader = "TERRAGENTERRAIN ";

std::uint16_t u16At(const std::vector<std::uint8_t>& b, std::size_t i) {
  return static_cast<std::uint16_t>(b[i] | (b[i + 1] << 8));
}

// Length of a chunk with its marker, for the chunks that come before the samples.
std::size_t chunkLength(std::string_view marker) {
  if (marker == "SIZE" || marker == "XPTS" || marker == "YPTS") return 8;  // 16-bit value, 2 bytes padding
  if (marker == "SCAL") return 16;                                         // three floats
  if (marker == "CRAD" || marker == "CRVM") return 8;                      // one float, one 32-bit value
  return 0;
}

// A marker as the user can read it: its characters in quotes, or its bytes in hexadecimal
// when they are not all printable.
std::string markerText(std::string_view marker) {
  bool printable = true;
  for (char ch : marker) printable = printable && ch >= 0x20 && ch < 0x7F;
  if (printable) return "\"" + std::string(marker) + "\"";
  std::string text = "of the bytes";
  for (char ch : marker) {
    char hex[4];
    std::snprintf(hex, sizeof hex, " %02X", static_cast<unsigned>(static_cast<unsigned char>(ch)));
    text += hex;
  }
  return text;
}

}  // namespace

TerragenFile::TerragenFile(std::vector<std::uint8_t> bytes, std::size_t samples)
    : bytes_(std::move(bytes)), samples_(samples) {
  heightScale_ = static_cast<std::int16_t>(u16At(bytes_, samples_ - 4));
  baseHeight_ = static_cast<std::int16_t>(u16At(bytes_, samples_ - 2));
}

void TerragenFile::rawRow(int r, std::span<std::int16_t, kPoints> row) const {
  const std::size_t first = samples_ + 2 * static_cast<std::size_t>(r) * kPoints;
  if constexpr (std::endian::native == std::endian::little) {
    if (first + 2 * kPoints <= bytes_.size()) {
      std::memcpy(row.data(), bytes_.data() + first, 2 * kPoints);
      return;
    }
  }
  for (int c = 0; c < kPoints; ++c) row[static_cast<std::size_t>(c)] = rawSample(r, c);
}

std::optional<TerragenFile> TerragenFile::parse(std::vector<std::uint8_t> bytes, std::string& problem) {
  const std::size_t size = bytes.size();
  if (size < kHeader.size() || std::string_view(reinterpret_cast<const char*>(bytes.data()), kHeader.size()) != kHeader) {
    problem = "It is not a Terragen terrain file: it does not start with \"TERRAGENTERRAIN \".";
    return std::nullopt;
  }
  long sizeValue = -1, xPoints = -1, yPoints = -1;
  std::size_t pos = kHeader.size();
  for (;;) {
    if (pos + 4 > size) {
      problem = "It ends at byte " + std::to_string(size) + " without height samples (no ALTW chunk).";
      return std::nullopt;
    }
    const std::string_view marker(reinterpret_cast<const char*>(bytes.data()) + pos, 4);
    if (marker == "ALTW") {
      if (pos + 8 > size) {
        problem = "It ends at byte " + std::to_string(size) + ", inside its ALTW chunk before the height samples.";
        return std::nullopt;
      }
      pos += 8;
      break;
    }
    if (marker == "EOF ") {
      problem = "It has no height samples: its \"EOF \" marker at byte " + std::to_string(pos) +
                " comes before any ALTW chunk.";
      return std::nullopt;
    }
    const std::size_t length = chunkLength(marker);
    if (length == 0) {
      problem = "It has a chunk marker " + markerText(marker) + " at byte " + std::to_string(pos) +
                " that is not part of a Terragen terrain file.";
      return std::nullopt;
    }
    if (pos + length > size) {
      problem = "It ends at byte " + std::to_string(size) + ", inside its " + std::string(marker) +
                " chunk before the height samples.";
      return std::nullopt;
    }
    if (marker == "SIZE") sizeValue = u16At(bytes, pos + 4);
    if (marker == "XPTS") xPoints = u16At(bytes, pos + 4);
    if (marker == "YPTS") yPoints = u16At(bytes, pos + 4);
    pos += length;
  }

  // SIZE is one less than the points of the shorter side; XPTS and YPTS, when present,
  // give the points of each side.
  if (xPoints < 0) xPoints = sizeValue < 0 ? -1 : sizeValue + 1;
  if (yPoints < 0) yPoints = sizeValue < 0 ? -1 : sizeValue + 1;
  if (xPoints < 0 || yPoints < 0) {
    problem = "It does not give the number of its points (no SIZE chunk before the height samples).";
    return std::nullopt;
  }
  if (xPoints != kPoints || yPoints != kPoints) {
    problem = "It is not a height field of 1025 x 1025 points: it has " + std::to_string(xPoints) + " x " +
              std::to_string(yPoints) + " points.";
    return std::nullopt;
  }
  // Every sample is needed: a field cut short would be imported as sea where it ends.
  constexpr std::size_t kSamples = static_cast<std::size_t>(kPoints) * kPoints;
  if (size < pos + 2 * kSamples) {
    const std::size_t missing = kSamples - (size - pos) / 2;
    problem = "It is cut short: " + std::to_string(missing) + " of its " + std::to_string(kSamples) +
              " height samples are missing (the file ends at byte " + std::to_string(size) + ").";
    return std::nullopt;
  }
  return TerragenFile(std::move(bytes), pos);
}

}  // namespace quarnby
