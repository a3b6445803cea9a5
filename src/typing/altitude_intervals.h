#pragma once
#include "core/context.h"

namespace quarnby {

// "Set": the 22 band thresholds Text4..Text25 from the gap weights g0..g21, the
// exponent Text3 and the current top threshold Text25.
Outcome SetAltIntervals_Click(Context& cx);

}  // namespace quarnby
