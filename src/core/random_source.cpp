#include "core/random_source.h"

#include <chrono>

namespace quarnby {

void RandomSource::reseedFromClock() {
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  const auto micros = std::chrono::duration_cast<std::chrono::microseconds>(now).count();
  // Fold the whole clock reading into 24 bits so that runs a second apart differ.
  const auto folded = static_cast<std::uint64_t>(micros) ^ (static_cast<std::uint64_t>(micros) >> 24);
  setState(static_cast<std::uint32_t>(folded));
}

}  // namespace quarnby
