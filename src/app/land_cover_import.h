#pragma once
#include <cstdint>
#include <vector>

#include "app/commands.h"
#include "terrain/grids.h"

namespace quarnby {

// "Import Land Cover": the class rasters of --source (again for more; later ones win)
// through the class table of --table (a shipped table's name or a CSV file; ESA WorldCover
// when not given) onto the type cells of the theatre centred on --centre, or on the
// folder's theatre frame; patches smaller than --smallest-patch cells merge into their
// neighbours. Writes the land cover layer, then runs Set Type with it.
Outcome ImportLandCover_Click(Context& cx);
std::vector<CommandOption> importLandCoverOptions();

// Which type cells lie at sea level (their south-west sample at 0 ft), 512 x 512 south
// first: the counting leaves their water out of the patch sieve.
std::vector<std::uint8_t> seaLevelCells(const ElevationGrid& elevation);

}  // namespace quarnby
