#include "terrain/terragen_file.h"

#include <algorithm>
#include <bit>
#include <cmath>
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
  if (size < kHeader.size() ||
      std::string_view(reinterpret_cast<const char*>(bytes.data()), kHeader.size()) != kHeader) {
    problem = "It is not a Terragen terrain file: it does not start with \"TERRAGENTERRAIN \".";
    return std::nullopt;
  }
  long sizeValue = -1, xPoints = -1, yPoints = -1;
  std::optional<float> metresPerUnit;
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
    if (marker == "SCAL")
      metresPerUnit =
          std::bit_cast<float>(u16At(bytes, pos + 12) | static_cast<std::uint32_t>(u16At(bytes, pos + 14)) << 16);
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
  TerragenFile field(std::move(bytes), pos);
  field.metresPerUnit_ = metresPerUnit;
  return field;
}

TerragenEncoding TerragenEncoding::forRange(double lowest, double highest) {
  const double middle = std::round((lowest + highest) / 2.0);
  // A raw sample reaches 32767 steps up and 32768 down from the base.
  const double reach = std::max(highest - middle, middle - lowest);
  const int smallest = static_cast<int>(std::clamp(std::ceil(reach * 65536.0 / 32767.0), 1.0, 32767.0));
  // Sea level, when in range, is held exactly: 65536 x base must be a multiple of the
  // scale, so the base a multiple of the scale's odd part. The smallest scale that has
  // such a base within reach of both ends, and of those bases the nearest the middle.
  const bool holdsSeaLevel = lowest <= 0.0 && highest >= 0.0;
  for (int scale = smallest; scale <= 32767; ++scale) {
    int odd = 1;
    if (holdsSeaLevel)
      for (odd = scale; odd % 2 == 0;) odd /= 2;
    const double first = std::max(-32768.0, std::ceil((highest - 32767.0 * scale / 65536.0) / odd) * odd);
    const double last = std::min(32767.0, std::floor((lowest + 32768.0 * scale / 65536.0) / odd) * odd);
    if (first > last) continue;
    const double base = std::clamp(std::round(middle / odd) * odd, first, last);
    return {static_cast<std::int16_t>(scale), static_cast<std::int16_t>(base)};
  }
  return {32767, static_cast<std::int16_t>(std::clamp(middle, -32768.0, 32767.0))};
}

std::int16_t TerragenEncoding::raw(double units) const {
  const double r = std::round((units - baseHeight) * 65536.0 / heightScale);
  return static_cast<std::int16_t>(std::clamp(r, -32768.0, 32767.0));
}

std::vector<std::uint8_t> terragenFileBytes(std::span<const std::int16_t> samples, TerragenEncoding encoding,
                                            float metresBetweenPoints, float metresPerUnit) {
  constexpr std::size_t kSamples = static_cast<std::size_t>(TerragenFile::kPoints) * TerragenFile::kPoints;
  std::vector<std::uint8_t> out;
  out.reserve(84 + 2 * kSamples);
  auto put16 = [&](int v) {
    out.push_back(static_cast<std::uint8_t>(v & 0xFF));
    out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
  };
  auto putText = [&](std::string_view text) { out.insert(out.end(), text.begin(), text.end()); };
  auto putFloat = [&](float v) {
    const auto bits = std::bit_cast<std::uint32_t>(v);
    put16(static_cast<int>(bits & 0xFFFF));
    put16(static_cast<int>(bits >> 16));
  };
  putText(kHeader);
  for (std::string_view marker : {"SIZE", "XPTS", "YPTS"}) {
    putText(marker);
    put16(marker == "SIZE" ? TerragenFile::kPoints - 1 : TerragenFile::kPoints);
    put16(0);
  }
  putText("SCAL");
  putFloat(metresBetweenPoints);
  putFloat(metresBetweenPoints);
  putFloat(metresPerUnit);
  // The planet's radius in kilometres and no curvature: with them the samples start at
  // byte 80, where readers of fixed offsets look for them.
  putText("CRAD");
  putFloat(6370.0f);
  putText("CRVM");
  put16(0);
  put16(0);
  putText("ALTW");
  put16(encoding.heightScale);
  put16(encoding.baseHeight);
  for (std::size_t i = 0; i < kSamples; ++i) put16(i < samples.size() ? samples[i] : 0);
  putText("EOF ");
  return out;
}

}  // namespace quarnby
