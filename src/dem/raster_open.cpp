#include "dem/raster_open.h"

#include <cpl_string.h>

#include <algorithm>
#include <cctype>
#include <optional>
#include <system_error>

namespace quarnby::dem {

// Something other than a regular file or a folder (a folder can be a raster, an Arc/Info
// grid, or a vector layer, and opening one never waits). A missing file is left for GDAL
// to report, GDAL's virtual file systems (/vsicurl/, ...) too.
bool waitsOnOpen(const std::string& name) {
  if (name.rfind("/vsi", 0) == 0) return false;
  std::error_code ec;
  const auto status = std::filesystem::status(std::filesystem::path(name), ec);
  if (ec || status.type() == std::filesystem::file_type::not_found) return false;
  return !std::filesystem::is_regular_file(status) && !std::filesystem::is_directory(status);
}

namespace {

// How deep VRTs within VRTs are followed to check their members.
constexpr int kMemberDepth = 8;
constexpr const char* kWaits = kWaitsOnOpen;

bool isVrt(const std::string& name) {
  std::string ext = std::filesystem::path(name).extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char ch) { return std::tolower(ch); });
  return ext == ".vrt";
}

Dataset open(const std::string& name) {
  return Dataset(
      GDALOpenEx(name.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY | GDAL_OF_VERBOSE_ERROR, nullptr, nullptr, nullptr));
}

// The first of the files GDAL names for an open raster that it would wait on, following
// VRTs within VRTs. A VRT opens its members only when its cells are read, so its open is
// safe and the check comes before any read.
std::optional<std::string> memberThatWaits(GDALDatasetH ds, int depth) {
  const std::string own = GDALGetDescription(ds);
  std::unique_ptr<char*, decltype(&CSLDestroy)> files(GDALGetFileList(ds), &CSLDestroy);
  for (char** f = files.get(); f && *f; ++f) {
    const std::string member = *f;
    if (member == own) continue;
    if (waitsOnOpen(member)) return member;
    if (depth < kMemberDepth && isVrt(member))
      if (const Dataset inner = open(member))
        if (auto found = memberThatWaits(inner.get(), depth + 1)) return found;
  }
  return std::nullopt;
}

}  // namespace

Dataset openRaster(const std::filesystem::path& file, const GdalErrors& errors, const std::string& silent,
                   std::string& reason) {
  const std::string name = file.string();
  if (waitsOnOpen(name)) {
    reason = std::string("It is ") + kWaits;
    return nullptr;
  }
  Dataset ds = open(name);
  if (!ds) {
    reason = errors.last(silent);
    return nullptr;
  }
  if (auto member = memberThatWaits(ds.get(), 0)) {
    reason = "Its member file " + *member + " is " + kWaits;
    return nullptr;
  }
  return ds;
}

}  // namespace quarnby::dem
