#pragma once
#include "core/context.h"

namespace quarnby {

// "Set Elevation" of the Terragen group: the elevation grid from the terrain's height
// field, mapped to feet by a power law between the SL units and the Max Units.
Outcome SetElv_Click(Context& cx);

}  // namespace quarnby
