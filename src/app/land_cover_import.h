#pragma once
#include <vector>

#include "app/commands.h"

namespace quarnby {

// "Import Land Cover": the class rasters of --source (again for more; later ones win)
// through the class table of --table (a shipped table's name or a CSV file; ESA WorldCover
// when not given) onto the type cells of the theatre centred on --centre, or on the
// folder's theatre frame; patches smaller than --smallest-patch cells merge into their
// neighbours. Writes the land cover layer, then runs Set Type with it.
Outcome ImportLandCover_Click(Context& cx);
std::vector<CommandOption> importLandCoverOptions();

}  // namespace quarnby
