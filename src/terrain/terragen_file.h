#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace quarnby {

// A Terragen height field held whole in memory: the file header, then chunks, each a
// four-character marker and a body of fixed length, up to ALTW with the height scale,
// the base height and the samples. Only 1025 x 1025 point fields are accepted, because
// the grid takes its 1024 x 1024 samples from them with one spare row and column for
// smoothing, and only whole ones: a field cut short is refused.
class TerragenFile {
 public:
  static constexpr int kPoints = 1025;

  // Walks the chunk structure of a file's bytes. When the bytes are not a Terragen height
  // field of 1025 x 1025 points returns nothing, and `problem` says what was found.
  static std::optional<TerragenFile> parse(std::vector<std::uint8_t> bytes, std::string& problem);

  // ALTW's height scale, widened to 32 bits so that a sample times the scale is exact.
  std::int32_t heightScale() const { return heightScale_; }
  std::int16_t baseHeight() const { return baseHeight_; }
  // Byte offset of the first sample (80 for the usual chunk sequence).
  std::size_t sampleOffset() const { return samples_; }
  // SCAL's metres per height unit; nothing when the file has no SCAL chunk.
  std::optional<float> metresPerUnit() const { return metresPerUnit_; }

  // The raw sample of row r, column c (0..1024).
  std::int16_t rawSample(int r, int c) const {
    const std::size_t i = samples_ + 2 * (static_cast<std::size_t>(r) * kPoints + static_cast<std::size_t>(c));
    if (i + 1 >= bytes_.size()) return 0;
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(bytes_[i] | (bytes_[i + 1] << 8)));
  }

  // The raw samples of row r (0..1024), columns 0 to 1024, as rawSample gives them.
  void rawRow(int r, std::span<std::int16_t, kPoints> row) const;

  // Height in Terragen units of a raw value or of an average of raw values.
  double units(double raw) const { return baseHeight_ + raw * heightScale_ / 65536.0; }

 private:
  TerragenFile(std::vector<std::uint8_t> bytes, std::size_t samples);

  std::vector<std::uint8_t> bytes_;
  std::size_t samples_ = 0;
  std::int32_t heightScale_ = 0;
  std::int16_t baseHeight_ = 0;
  std::optional<float> metresPerUnit_;
};

// How heights in the user's units are stored in 16-bit samples: units = base + raw x
// scale / 65536. The scale is the smallest that reaches from the base to both ends of the
// range, so a sample keeps as much precision as the range allows.
struct TerragenEncoding {
  std::int16_t heightScale = 1;
  std::int16_t baseHeight = 0;

  // The encoding for heights from `lowest` to `highest` units; the two must lie within
  // -32000..32767 and at most 32000 apart.
  static TerragenEncoding forRange(double lowest, double highest);
  // The nearest raw sample to a height, kept within the 16-bit range.
  std::int16_t raw(double units) const;
  double units(std::int16_t raw) const { return baseHeight + static_cast<double>(raw) * heightScale / 65536.0; }
};

// A 1025 x 1025 Terragen height field as bytes: the header, SIZE, XPTS, YPTS, SCAL (metres
// between points east and north, metres per height unit), CRAD, CRVM, ALTW with the
// samples from byte 80, row 0 first, and "EOF ".
std::vector<std::uint8_t> terragenFileBytes(std::span<const std::int16_t> samples, TerragenEncoding encoding,
                                            float metresBetweenPoints, float metresPerUnit);

}  // namespace quarnby
