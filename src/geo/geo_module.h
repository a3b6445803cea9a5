#pragma once
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/context.h"
#include "geo/geo_types.h"
#include "geo/land_cover_request.h"
#include "geo/theatre_map.h"

// The geographic module: everything that needs GDAL, in a shared library of its own that
// the program loads the first time a command needs it (geo_loader.h), so that a run which
// never touches GDAL never pays for loading it. This is all the program sees of it.
namespace quarnby::geo {

class GeoModule {
 public:
  // "Import DEM...": warps the sources onto the theatre grid and writes the terrain's
  // Terragen height field, then fills the Terragen column.
  virtual Outcome importDem(Context& cx, const DemImportRequest& request) const = 0;
  // Opens a source and checks it; when it cannot serve, nothing, and `problem` is the
  // message for the user.
  virtual std::optional<SourceInfo> describeSource(const std::filesystem::path& file, std::string& problem) const = 0;
  // The centre of the sources' combined extent.
  virtual GeoPoint centreOfSources(std::span<const SourceInfo> sources) const = 0;
  // The outline of the theatre square centred on `centre`, walked around its edge.
  virtual std::vector<GeoPoint> theatreOutline(GeoPoint centre) const = 0;
  // The libraries it runs on, for About: "GDAL 3.6.2".
  virtual std::string libraryVersions() const = 0;
  // "Import Land Cover...": the class rasters counted onto the type cells, small patches
  // sieved away; writes nothing.
  virtual LandCoverResult landCover(const LandCoverRequest& request) const = 0;

  // The theatre on the map. `projection` is the PROJ text of the folder's theatre frame.
  // World positions to WGS84 degrees and back, in place of `out` (the same length as `in`);
  // false, with the reason in `problem`, when the projection or a point cannot be used.
  virtual bool toGeographic(const std::string& projection, std::span<const WorldPoint> in, std::span<GeoPoint> out,
                            std::string& problem) const = 0;
  virtual bool toWorld(const std::string& projection, std::span<const GeoPoint> in, std::span<WorldPoint> out,
                       std::string& problem) const = 0;
  // A vector file OGR reads, as the preview's reference overlay in the world frame;
  // nothing, with the message for the user in `problem`, when it cannot be shown.
  virtual std::optional<ReferenceLayer> readReference(const std::filesystem::path& file, const std::string& projection,
                                                      std::string& problem) const = 0;
  // "export-gis FILE.gpkg": the object file's sites and the track file's tracks as a
  // GeoPackage in the theatre's projection.
  virtual Outcome exportGis(Context& cx, const std::filesystem::path& file) const = 0;

 protected:
  ~GeoModule() = default;
};

// The module's one exported function: its GeoModule when it was built for `interface`
// (kGeoModuleInterface of the program that loads it), else nothing.
inline constexpr const char* kGeoModuleEntry = "quarnby_geo_module";
inline constexpr int kGeoModuleInterface = 3;
using GeoModuleEntry = const GeoModule* (*)(int interface);

}  // namespace quarnby::geo
