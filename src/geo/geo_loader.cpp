#include "geo/geo_loader.h"

#include <cstdlib>
#include <system_error>

#include "core/host.h"
#include "platform/program_module.h"

namespace quarnby::geo {

std::filesystem::path geoModuleFile() {
  if (const char* named = std::getenv("QUARNBY_GEO_MODULE"); named && *named) return named;
  const auto program = platform::programFile();
  if (program.empty()) return {};
  const auto folder = program.parent_path();
  for (const auto& candidate :
       {folder / QUARNBY_GEO_MODULE_NAME, folder / QUARNBY_GEO_MODULE_DIR / QUARNBY_GEO_MODULE_NAME}) {
    std::error_code ec;
    if (std::filesystem::is_regular_file(candidate, ec)) return candidate.lexically_normal();
  }
  return {};
}

namespace {

struct Loaded {
  const GeoModule* module = nullptr;
  std::string problem;
};

Loaded load() {
  Loaded loaded;
  const auto file = geoModuleFile();
  if (file.empty()) {
    loaded.problem = std::string("this installation has no ") + QUARNBY_GEO_MODULE_NAME + ".";
    return loaded;
  }
  void* entry = platform::loadModuleEntry(file, kGeoModuleEntry, loaded.problem);
  if (!entry) return loaded;
  loaded.module = reinterpret_cast<GeoModuleEntry>(entry)(kGeoModuleInterface);
  if (!loaded.module) loaded.problem = file.string() + " belongs to another version of the program.";
  return loaded;
}

}  // namespace

const GeoModule* geoModule(std::string& problem) {
  // A loaded library belongs to the whole process, so the answer is kept for the run.
  static const Loaded loaded = load();
  problem = loaded.problem;
  return loaded.module;
}

std::string missingModuleText(const std::string& what, const std::string& problem) {
  return what + " needs the geographic module (GDAL), which is not available:" + kCrLf + problem;
}

}  // namespace quarnby::geo
