#pragma once
#include <ostream>

#include "batch/arguments.h"
#include "core/context.h"

namespace quarnby::batch {

// import-dem, offered when the program is built with GDAL: its place in the grammar, with
// the options that follow it, and its run.
CommandSpec importDemCommand();

// Runs import-dem with the options given after it. `terminal` is where the progress goes
// while the import runs (nothing when the errors do not go to a terminal).
Outcome runImportDem(const CommandCall& call, Context& cx, std::ostream* terminal);

}  // namespace quarnby::batch
