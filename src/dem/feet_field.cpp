#include "dem/feet_field.h"

#include <algorithm>
#include <cmath>

#include "dem/theatre.h"

namespace quarnby::dem {
namespace {

// The field holds 32000 feet from its lowest to its highest sample at under half a foot a
// step (a sample is off by a quarter of a foot at most): below that the sea floor is cut
// off, never the land.
constexpr double kHighestFeet = 32767.0;
constexpr double kDeepestFeet = -32000.0;
constexpr double kFieldSpanFeet = 32000.0;

// The highest land the Earth has fits, and the cut below it always lies under the sea, so
// it never lifts anything onto the land.
static_assert(kHighestEarthMetres / kMetresPerFoot < kHighestFeet);
static_assert(kHighestEarthMetres / kMetresPerFoot - kFieldSpanFeet < 0.0);

}  // namespace

FeetField feetField(std::span<const float> metres) {
  FeetField field;
  std::vector<double> feet(metres.size());
  double highest = kDeepestFeet;
  for (std::size_t i = 0; i < feet.size(); ++i) {
    const float m = metres[i];
    if (isEarthHeight(m)) {
      feet[i] = m / kMetresPerFoot;
    } else {
      feet[i] = 0.0;
      ++field.uncovered;
      if (!std::isnan(m)) ++field.beyondEarth;
    }
    highest = std::max(highest, feet[i]);
  }
  // A sample deeper than the field's floor, or than the deepest it holds at all, is raised.
  const double floorFeet = std::max(kDeepestFeet, highest - kFieldSpanFeet);
  double lowest = highest;
  for (double& f : feet) {
    if (f < floorFeet) {
      f = floorFeet;
      field.seaFloor = floorFeet;
    }
    lowest = std::min(lowest, f);
  }
  field.encoding = TerragenEncoding::forRange(lowest, highest);
  field.samples.resize(feet.size());
  for (std::size_t i = 0; i < feet.size(); ++i) field.samples[i] = field.encoding.raw(feet[i]);
  return field;
}

}  // namespace quarnby::dem
