#pragma once
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

namespace quarnby {

// Nearest whole number, a half going to the even neighbour (2.5 -> 2, 3.5 -> 4, -2.5 -> -2).
inline double roundHalfEven(double v) {
  const double r = std::round(v);  // halves away from zero
  if (std::fabs(v - std::trunc(v)) == 0.5) return 2.0 * std::round(v / 2.0);
  return r;
}

// A fractional value stored in a 16-bit sample: nearest, ties to even; nothing when the
// result leaves -32768..32767 or the value is not a number.
inline std::optional<std::int16_t> toInt16(double v) {
  if (!std::isfinite(v)) return std::nullopt;
  const double r = roundHalfEven(v);
  if (r < -32768.0 || r > 32767.0) return std::nullopt;
  return static_cast<std::int16_t>(r);
}

// A fractional value held in a 16-bit variable that must not fail: nearest, ties to even,
// kept within -32768..32767; a value that is not a number gives 0.
inline std::int16_t clampToInt16(double v) {
  if (std::isnan(v)) return 0;
  const double r = roundHalfEven(v);
  if (r <= -32768.0) return -32768;
  if (r >= 32767.0) return 32767;
  return static_cast<std::int16_t>(r);
}

// A fractional value stored in a byte: nearest, ties to even; nothing outside 0..255.
inline std::optional<std::uint8_t> toByte(double v) {
  if (!std::isfinite(v)) return std::nullopt;
  const double r = roundHalfEven(v);
  if (r < 0.0 || r > 255.0) return std::nullopt;
  return static_cast<std::uint8_t>(r);
}

// A number kept in single precision, as the window's thresholds and rotations are.
// A value beyond the single range becomes an infinity of its sign instead of the
// undefined result of a plain conversion.
inline float toSingle(double v) {
  constexpr double kMax = std::numeric_limits<float>::max();
  if (v > kMax) return std::numeric_limits<float>::infinity();
  if (v < -kMax) return -std::numeric_limits<float>::infinity();
  return static_cast<float>(v);
}

// Whole-number arithmetic held in 16 bits wraps around like the grid's own samples.
inline std::int16_t wrap16(long long v) { return static_cast<std::int16_t>(static_cast<std::uint16_t>(v & 0xFFFF)); }

}  // namespace quarnby
