#pragma once
#include "core/context.h"

namespace quarnby {

// "Find Units" of the Terragen group: the lowest and highest height of the height field
// over the map area, into MinUnits and MaxUnits.
Outcome FindMaxMinUnits_Click(Context& cx);

// "Find Units" of the greyscale group: the lowest and highest grey level of the bitmap
// over the map area, into minUbmp and maxUbmp.
Outcome FindMaxMinUnitsBmp_Click(Context& cx);

}  // namespace quarnby
