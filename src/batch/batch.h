#pragma once
#include <iosfwd>
#include <string>
#include <vector>

namespace quarnby {

// quarnby-batch: start-up as the window does it, the --set values, then the commands in
// order. Returns the exit status: 0 all done, 1 a command ended early, 2 a usage error.
int runBatch(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace quarnby
