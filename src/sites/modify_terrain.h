#pragma once
#include "core/context.h"

namespace quarnby {

// "Modify Terrain": levels and types the ground under every object of the object file,
// cuts departure paths for bombers beyond the airfields and clears forest at the runway
// ends, then reports how many objects it processed.
Outcome Command2_Click(Context& cx);

}  // namespace quarnby
