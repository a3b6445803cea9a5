#pragma once
#include <cstdint>

namespace quarnby {

// The program's one uniform random stream: a 24-bit linear congruential generator.
// It starts from the same state at every program run, so the first "Set Type" after
// start-up gives the same terrain every time; "Set Sub-Types" reseeds it from the clock.
class RandomSource {
 public:
  static constexpr std::uint32_t kStartState = 327680;

  // Next number in [0, 1), in single precision.
  float next() {
    state_ =
        static_cast<std::uint32_t>((static_cast<std::uint64_t>(state_) * 1140671485ULL + 12820163ULL) & 0xFFFFFFULL);
    return static_cast<float>(state_) / 16777216.0f;
  }

  void reseedFromClock();
  void setState(std::uint32_t state) { state_ = state & 0xFFFFFFU; }
  std::uint32_t state() const { return state_; }

 private:
  std::uint32_t state_ = kStartState;
};

}  // namespace quarnby
