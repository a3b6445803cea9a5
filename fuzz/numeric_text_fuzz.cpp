// The numeric-text rule on any text a user may type.
#include <cmath>
#include <cstdint>
#include <string_view>

#include "core/numeric_text.h"
#include "core/rounding.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const double v = quarnby::numericValue(text);
  (void)quarnby::toInt16(v);
  (void)quarnby::roundHalfEven(v);
  double whole = 0;
  if (quarnby::isWholeDecimalNumber(text, &whole) && std::isnan(whole)) __builtin_trap();
  return 0;
}
