#pragma once
#include "core/context.h"

namespace quarnby {

// "Set Type": the type grid rebuilt from the elevation grid through the 24 altitude
// bands, with the shore rule and the farm slope rule.
Outcome Command1_Click(Context& cx);

}  // namespace quarnby
