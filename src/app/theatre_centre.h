#pragma once
#include <vector>

#include "app/commands.h"

namespace quarnby {

// "Set Theatre Centre": records where the theatre lies on the Earth (--centre LAT,LON) as
// the folder's theatre frame, for a folder made without Import DEM, or moves it.
Outcome SetFrame_Click(Context& cx);
std::vector<CommandOption> setFrameOptions();

}  // namespace quarnby
