#pragma once
#include "core/context.h"

namespace quarnby {

// "Set Sub-Types": sub-type 0 under water, a random sub-type under every other cell.
Outcome SetSubTypes_Click(Context& cx);

}  // namespace quarnby
