#pragma once
#include "core/context.h"

namespace quarnby {

// "Make Map": the colour map, the road map or the object-dot map of the terrain, chosen
// by MapOp1..MapOp3, as a 1024 x 1024 palette bitmap in the terrain folder.
Outcome Command3_Click(Context& cx);

}  // namespace quarnby
