#pragma once
#include "core/context.h"

namespace quarnby {

// "Export": the elevation grid as the greyscale bitmap, the highest elevation white.
Outcome ExpBmp_Click(Context& cx);

}  // namespace quarnby
