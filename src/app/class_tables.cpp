#include "app/class_tables.h"

#include <algorithm>
#include <cctype>
#include <system_error>

#include "platform/program_module.h"

namespace quarnby {

const std::vector<std::string_view>& shippedClassTables() {
  static const std::vector<std::string_view> names = {"esa-worldcover", "cgls-lc100", "corine-grid", "corine-clc",
                                                      "nlcd",           "modis-igbp", "esa-cci",     "globcover"};
  return names;
}

std::filesystem::path classTableFolder() {
  const auto program = platform::programFile();
  if (program.empty()) return {};
  const auto folder = program.parent_path();
  for (const auto& candidate : {folder / "land-cover", folder / QUARNBY_CLASS_TABLE_DIR}) {
    std::error_code ec;
    if (std::filesystem::is_directory(candidate, ec)) return candidate.lexically_normal();
  }
  return {};
}

std::optional<ClassTable> loadClassTable(const std::string& nameOrFile, std::string& error) {
  std::string lower = nameOrFile;
  std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
  if (lower.ends_with(".csv")) return ClassTable::load(nameOrFile, error);

  const auto& names = shippedClassTables();
  if (std::find(names.begin(), names.end(), nameOrFile) == names.end()) {
    error = "There is no class table named '" + nameOrFile + "'. The tables are:";
    for (const auto name : names) error += " " + std::string(name);
    error += "; or give a file FILE.csv of your own.";
    return std::nullopt;
  }
  const auto folder = classTableFolder();
  if (folder.empty()) {
    error = "The class table '" + nameOrFile + "' is not installed: no folder land-cover beside the program.";
    return std::nullopt;
  }
  return ClassTable::load(folder / (nameOrFile + ".csv"), error);
}

}  // namespace quarnby
