#pragma once
#include "core/context.h"

namespace quarnby {

// "Make Tracks": one short road, railway or river from every qualifying object of the
// object file toward the HQ of its side, written as the terrain's track file for the
// terrain editor. Distances in steps from LenRoad, LenTrack and LenRiver.
Outcome MakeTracks_Click(Context& cx);

}  // namespace quarnby
