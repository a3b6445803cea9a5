#pragma once
// The imported heights turned into the Terragen field's samples in feet. Plain arithmetic,
// without GDAL, so that it can be checked on a handful of samples.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "terrain/terragen_file.h"

namespace quarnby::dem {

// Heights the Earth has, with room to spare (its summit stands at 8,849 m, its deepest
// trench at 10,994 m): anything beyond is a glitch or an undeclared no-data value.
inline constexpr double kHighestEarthMetres = 9000.0;
inline constexpr double kDeepestEarthMetres = -12000.0;

// Is `metres` a height the Earth has? Not a number is not.
inline bool isEarthHeight(double metres) { return metres >= kDeepestEarthMetres && metres <= kHighestEarthMetres; }

struct FeetField {
  std::vector<std::int16_t> samples;  // in the order of the heights given
  TerragenEncoding encoding;
  std::size_t uncovered = 0;       // samples without a height, laid at sea level
  std::size_t beyondEarth = 0;     // of those, the ones given a height the Earth does not have
  std::optional<double> seaFloor;  // the height in feet that deeper sea floor was raised to, if any was

  std::size_t covered() const { return samples.size() - uncovered; }
};

// The samples for heights in metres (NaN where no source gave one): the sea where there is
// no height or one beyond the Earth's, the land kept whole, and sea floor deeper than the
// field can hold below the land raised to the lowest height it can hold.
FeetField feetField(std::span<const float> metres);

}  // namespace quarnby::dem
