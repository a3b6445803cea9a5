#include "dem/gis_export.h"

#include <ogr_api.h>

#include <chrono>
#include <cstdio>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "dem/gdal_support.h"
#include "dem/theatre.h"
#include "steps/operation_steps.h"
#include "terrain/grids.h"
#include "terrain/object_file.h"
#include "terrain/terrain_folder.h"
#include "terrain/theatre_frame.h"
#include "terrain/track_file.h"

namespace quarnby::dem {
namespace {

// Make Tracks reads seventeen fields after the lead token; so does the export, so that a
// site's side (field 17) is the one the tracks were planned with.
constexpr std::size_t kSiteFields = 17;

// The sample a world position falls on, when it lies on the grid.
std::optional<std::pair<long long, long long>> sampleAt(double x, double z) {
  const auto column = worldToIndex(x), row = worldToIndex(z);
  if (!column || !row || *column < 0 || *column >= kElevSize || *row < 0 || *row >= kElevSize) return std::nullopt;
  return std::pair{*row, *column};
}

std::string trackKindName(int kind) {
  switch (kind) {
    case kRoad: return "road";
    case kRailway: return "railway";
    case kRiver: return "river";
    case -1: return "superseded";
    default: return "unknown";
  }
}

struct Placed {
  std::size_t written = 0;
  std::size_t leftOut = 0;
};

struct LayerField {
  std::string name;
  OGRFieldType type;
};

// A layer with its fields; nothing when the driver refused it.
OGRLayerH createLayer(GDALDatasetH ds, const char* name, OGRSpatialReferenceH srs, OGRwkbGeometryType shape,
                      const std::vector<LayerField>& fields) {
  OGRLayerH layer = GDALDatasetCreateLayer(ds, name, srs, shape, nullptr);
  for (const LayerField& f : fields) {
    if (!layer) break;
    OGRFieldDefnH field = OGR_Fld_Create(f.name.c_str(), f.type);
    if (OGR_L_CreateField(layer, field, TRUE) != OGRERR_NONE) layer = nullptr;
    OGR_Fld_Destroy(field);
  }
  return layer;
}

// A feature with its geometry; false when the driver refused it.
bool addFeature(OGRLayerH layer, OGRFeatureH feature, OGRGeometryH geometry) {
  OGR_F_SetGeometryDirectly(feature, geometry);
  const bool ok = OGR_L_CreateFeature(layer, feature) == OGRERR_NONE;
  OGR_F_Destroy(feature);
  return ok;
}

bool writeSites(GDALDatasetH ds, OGRSpatialReferenceH srs, const std::vector<ObjectRecord>& records, Placed& placed) {
  std::vector<LayerField> fields = {{"code", OFTString}, {"lead", OFTString},   {"name", OFTString},
                                    {"side", OFTString}, {"x_ft", OFTReal},     {"z_ft", OFTReal},
                                    {"row", OFTInteger}, {"column", OFTInteger}};
  // The fields as read, numbered as in the file: 3 is Y, 7 the rotation.
  for (std::size_t n = 3; n < kSiteFields; ++n)
    if (n != 4) fields.push_back({"field_" + std::to_string(n), OFTString});
  OGRLayerH layer = createLayer(ds, "sites", srs, wkbPoint, fields);
  if (!layer) return false;
  for (const ObjectRecord& r : records) {
    const auto x = r.number(2), z = r.number(4);
    const auto sample = x && z ? sampleAt(*x, *z) : std::nullopt;
    if (!sample) {
      ++placed.leftOut;
      continue;
    }
    OGRFeatureH f = OGR_F_Create(OGR_L_GetLayerDefn(layer));
    OGR_F_SetFieldString(f, OGR_F_GetFieldIndex(f, "code"), std::string(kObjectCodes[r.codeIndex]).c_str());
    OGR_F_SetFieldString(f, OGR_F_GetFieldIndex(f, "lead"), r.leadToken.c_str());
    OGR_F_SetFieldString(f, OGR_F_GetFieldIndex(f, "name"), r.field(1).c_str());
    OGR_F_SetFieldString(f, OGR_F_GetFieldIndex(f, "side"), r.field(kSiteFields).c_str());
    OGR_F_SetFieldDouble(f, OGR_F_GetFieldIndex(f, "x_ft"), *x);
    OGR_F_SetFieldDouble(f, OGR_F_GetFieldIndex(f, "z_ft"), *z);
    OGR_F_SetFieldInteger(f, OGR_F_GetFieldIndex(f, "row"), static_cast<int>(sample->first));
    OGR_F_SetFieldInteger(f, OGR_F_GetFieldIndex(f, "column"), static_cast<int>(sample->second));
    for (std::size_t n = 3; n < kSiteFields; ++n)
      if (n != 4)
        OGR_F_SetFieldString(f, OGR_F_GetFieldIndex(f, ("field_" + std::to_string(n)).c_str()), r.field(n).c_str());
    OGRGeometryH point = OGR_G_CreateGeometry(wkbPoint);
    OGR_G_SetPoint_2D(point, 0, *x * kMetresPerFoot, *z * kMetresPerFoot);
    if (!addFeature(layer, f, point)) return false;
    ++placed.written;
  }
  return true;
}

bool writeTracks(GDALDatasetH ds, OGRSpatialReferenceH srs, const std::vector<TrackRecord>& tracks, Placed& placed) {
  OGRLayerH layer =
      createLayer(ds, "tracks", srs, wkbLineString,
                  {{"kind", OFTInteger}, {"kind_name", OFTString}, {"title", OFTString}, {"points", OFTInteger}});
  if (!layer) return false;
  for (const TrackRecord& t : tracks) {
    // A track is drawn whole or not at all: a point without a number or off the grid
    // leaves it out.
    bool placeable = t.points.size() >= 2;
    for (const TrackPoint& p : t.points) placeable = placeable && p.isNumber && sampleAt(p.x, p.z);
    if (!placeable) {
      ++placed.leftOut;
      continue;
    }
    OGRFeatureH f = OGR_F_Create(OGR_L_GetLayerDefn(layer));
    OGR_F_SetFieldInteger(f, OGR_F_GetFieldIndex(f, "kind"), t.kind);
    OGR_F_SetFieldString(f, OGR_F_GetFieldIndex(f, "kind_name"), trackKindName(t.kind).c_str());
    OGR_F_SetFieldString(f, OGR_F_GetFieldIndex(f, "title"), t.title.c_str());
    OGR_F_SetFieldInteger(f, OGR_F_GetFieldIndex(f, "points"), static_cast<int>(t.points.size()));
    OGRGeometryH line = OGR_G_CreateGeometry(wkbLineString);
    for (const TrackPoint& p : t.points) OGR_G_AddPoint_2D(line, p.x * kMetresPerFoot, p.z * kMetresPerFoot);
    if (!addFeature(layer, f, line)) return false;
    ++placed.written;
  }
  return true;
}

// Beside the target, so that the rename never crosses file systems.
std::filesystem::path temporaryBeside(const std::filesystem::path& file) {
  char tag[32];
  std::snprintf(tag, sizeof tag, ".partial-%llx.gpkg",
                static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count()));
  return file.parent_path() / (file.filename().string() + tag);
}

std::string leftOutText(std::size_t n, const char* what) {
  return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
}

}  // namespace

Outcome exportGis(Context& cx, const std::filesystem::path& file) {
  if (!checkTerrainFolder(cx)) return Outcome::EndedEarly;
  const auto frame = requireTheatreFrame(cx, "Export GIS");
  if (!frame) return Outcome::EndedEarly;

  // A missing object or track file is an empty layer; one that cannot be read stops here.
  std::string error;
  const auto objectsFile = terrainFile(cx.folder, suffix::kObjects);
  std::vector<ObjectRecord> sites;
  std::error_code ec;
  if (std::filesystem::exists(objectsFile, ec)) {
    const auto text = readObjectFile(objectsFile, error);
    if (!text) return reportInputFailure(cx.host, "Can't open the Object File:", objectsFile, error);
    sites = readObjectRecords(*text, ObjectFileReader::Mode::Field, kObjectCodes, kSiteFields);
  }
  const auto tracksFile = terrainFile(cx.folder, suffix::kTracks);
  std::vector<TrackRecord> tracks;
  if (std::filesystem::exists(tracksFile, ec)) {
    auto read = readTrackRecords(tracksFile, error);
    if (!read) return reportInputFailure(cx.host, "Can't open the Track File:", tracksFile, error);
    tracks = std::move(*read);
  }

  initialiseGdal();
  GdalErrors errors;
  const auto srs = spatialRef(frame->projection);
  if (!srs) {
    cx.host.showMessage("The theatre frame's projection cannot be used: " + errors.last(frame->projection),
                        Icon::Critical);
    return Outcome::EndedEarly;
  }
  const auto temp = temporaryBeside(file);
  auto fail = [&](const std::string& reason) {
    std::filesystem::remove(temp, ec);
    return reportFileFailure(cx.host, "Can't write the GeoPackage:", file, reason);
  };
  if (std::filesystem::is_directory(file, ec)) return fail("It is a folder.");
  GDALDriverH driver = GDALGetDriverByName("GPKG");
  if (!driver) return fail("GDAL has no GeoPackage driver.");
  Placed placedSites, placedTracks;
  {
    Dataset ds(GDALCreate(driver, temp.string().c_str(), 0, 0, 0, GDT_Unknown, nullptr));
    if (!ds) return fail(errors.last("GDAL could not create it."));
    const bool inOne = GDALDatasetStartTransaction(ds.get(), FALSE) == OGRERR_NONE;
    if (!writeSites(ds.get(), srs.get(), sites, placedSites) || !writeTracks(ds.get(), srs.get(), tracks, placedTracks))
      return fail(errors.last("GDAL could not write a feature."));
    if (inOne && GDALDatasetCommitTransaction(ds.get()) != OGRERR_NONE)
      return fail(errors.last("GDAL could not finish it."));
    // Closing writes what is still buffered; a failure there is a failure of the file.
    CPLErrorReset();
    GDALClose(ds.release());
    if (CPLGetLastErrorType() >= CE_Failure) return fail(errors.last("GDAL could not finish it."));
  }
  std::filesystem::rename(temp, file, ec);
  if (ec) return fail(ec.message());

  std::string text = "Exported " + leftOutText(placedSites.written, "site") + " and " +
                     leftOutText(placedTracks.written, "track") + " into " + file.string() + "," + kCrLf +
                     "in the theatre's projection (" + frame->projection + ").";
  if (placedSites.leftOut || placedTracks.leftOut)
    text += kCrLf + "Left out, as they cannot be placed (a position that is no number, or off the grid): " +
            leftOutText(placedSites.leftOut, "site") + " and " + leftOutText(placedTracks.leftOut, "track") + ".";
  cx.host.showMessage(text, Icon::Information);
  return Outcome::Completed;
}

}  // namespace quarnby::dem
