#pragma once
#include "core/parameter_set.h"
#include "terrain/grids.h"

namespace quarnby {

// Turns the forest cell of the type grid that holds the elevation sample at position p
// into the type picked in Combo26 (read at every call). Other types are left alone, and
// so are positions of 0 or less and the grid's last two cells.
void ClearForest(const ParameterSet& params, CellGrid& types, long long p);

}  // namespace quarnby
