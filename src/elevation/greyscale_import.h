#pragma once
#include "core/context.h"

namespace quarnby {

// "Set Elevation" of the greyscale group: the elevation grid from the greyscale bitmap,
// grey level g giving MaxAlt x ((g - SL) / (Max - SL))^unit feet.
Outcome SetElvGrey_Click(Context& cx);

}  // namespace quarnby
