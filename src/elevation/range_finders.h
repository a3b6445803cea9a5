#pragma once
#include "core/context.h"
#include "core/progress.h"
#include "terrain/terragen_file.h"

namespace quarnby {

// "Find Units" of the Terragen group: the lowest and highest height of the height field
// over the map area, into MinUnits and MaxUnits.
Outcome FindMaxMinUnits_Click(Context& cx);

namespace elevation {

// What "Find Units" of the Terragen group finds in a height field over the map area of
// the 512-mile map (`mapSize512`) or the 256-mile map: the highest and lowest height in
// units, each rounded to three decimals. `progress`, when given, follows the rows.
struct UnitRange {
  double maximum;
  double minimum;
};
UnitRange findUnitRange(const TerragenFile& field, bool mapSize512, ProgressSteps* progress = nullptr);

}  // namespace elevation

// "Find Units" of the greyscale group: the lowest and highest grey level of the bitmap
// over the map area, into minUbmp and maxUbmp.
Outcome FindMaxMinUnitsBmp_Click(Context& cx);

}  // namespace quarnby
