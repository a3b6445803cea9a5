#pragma once
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "typing/class_table.h"

namespace quarnby {

// The class tables shipped with the program, by name (the file name without ".csv").
const std::vector<std::string_view>& shippedClassTables();

// The folder of the shipped tables: `land-cover/` beside the program in the build tree,
// else `share/quarnby/land-cover/` of an installed program; empty when there is none.
std::filesystem::path classTableFolder();

// A table by its name or a user's own CSV file (a name ending in ".csv"). An unknown
// name, a missing file or a bad line is refused with the reason in `error`.
std::optional<ClassTable> loadClassTable(const std::string& nameOrFile, std::string& error);

}  // namespace quarnby
