// The geographic module's one way in: the program loads this library on first use and
// calls quarnby_geo_module for the functions below.
#include "geo/geo_module.h"

#include <gdal.h>

#include "dem/dem_source.h"
#include "dem/gis_export.h"
#include "dem/import_dem.h"
#include "dem/land_cover.h"
#include "dem/reference_layer.h"
#include "dem/theatre_map.h"

namespace quarnby::geo {
namespace {

class Module final : public GeoModule {
 public:
  Outcome importDem(Context& cx, const DemImportRequest& request) const override {
    return ImportDem_Click(cx, request);
  }
  std::optional<SourceInfo> describeSource(const std::filesystem::path& file, std::string& problem) const override {
    return dem::describeSource(file, problem);
  }
  GeoPoint centreOfSources(std::span<const SourceInfo> sources) const override { return dem::centreOfSources(sources); }
  std::vector<GeoPoint> theatreOutline(GeoPoint centre) const override { return dem::theatreOutline(centre); }
  std::string libraryVersions() const override { return std::string("GDAL ") + GDALVersionInfo("RELEASE_NAME"); }
  LandCoverResult landCover(const LandCoverRequest& request) const override { return dem::landCover(request); }
  bool toGeographic(const std::string& projection, std::span<const WorldPoint> in, std::span<GeoPoint> out,
                    std::string& problem) const override {
    return dem::toGeographic(projection, in, out, problem);
  }
  bool toWorld(const std::string& projection, std::span<const GeoPoint> in, std::span<WorldPoint> out,
               std::string& problem) const override {
    return dem::toWorld(projection, in, out, problem);
  }
  std::optional<ReferenceLayer> readReference(const std::filesystem::path& file, const std::string& projection,
                                              std::string& problem) const override {
    return dem::readReference(file, projection, problem);
  }
  Outcome exportGis(Context& cx, const std::filesystem::path& file) const override { return dem::exportGis(cx, file); }
};

}  // namespace
}  // namespace quarnby::geo

#if defined(_WIN32)
#define QUARNBY_EXPORT extern "C" __declspec(dllexport)
#else
#define QUARNBY_EXPORT extern "C" __attribute__((visibility("default")))
#endif

QUARNBY_EXPORT const quarnby::geo::GeoModule* quarnby_geo_module(int interface) {
  static const quarnby::geo::Module module;
  return interface == quarnby::geo::kGeoModuleInterface ? &module : nullptr;
}
