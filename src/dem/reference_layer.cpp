#include "dem/reference_layer.h"

#include <ogr_api.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <memory>
#include <vector>

#include "dem/gdal_support.h"
#include "dem/raster_open.h"
#include "dem/theatre.h"
#include "dem/theatre_edge.h"

namespace quarnby::dem {
namespace {

using geo::ReferenceFeature;
using Shape = ReferenceFeature::Shape;

// A feature whose box lies wholly beyond the theatre square's edge is left out.
const double kEdgeFeet = kTheatreEdgeMetres / kMetresPerFoot;
// A whole country's extract would hold the window for minutes: the rest is said, not drawn.
constexpr std::size_t kMostFeatures = 200000;

std::string lowered(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char ch) { return std::tolower(ch); });
  return text;
}

// The field that names a feature: the first of the usual names, in any case, else the
// first whose name holds "name" ("NAME_1", "town_name"); -1 when there is none.
int labelField(OGRFeatureDefnH definition) {
  const int count = OGR_FD_GetFieldCount(definition);
  const auto fieldName = [&](int i) { return lowered(OGR_Fld_GetNameRef(OGR_FD_GetFieldDefn(definition, i))); };
  for (const char* wanted : {"name", "label", "title", "name:en", "name_en", "nom", "naam"})
    for (int i = 0; i < count; ++i)
      if (fieldName(i) == wanted) return i;
  for (int i = 0; i < count; ++i)
    if (fieldName(i).find("name") != std::string::npos) return i;
  return -1;
}

// The parts of one feature by shape, in the layer's own coordinates until transformed.
using Parts = std::array<std::vector<std::vector<geo::WorldPoint>>, 3>;

std::vector<geo::WorldPoint> pointsOf(OGRGeometryH g) {
  std::vector<geo::WorldPoint> points;
  const int n = OGR_G_GetPointCount(g);
  for (int i = 0; i < n; ++i) points.push_back({OGR_G_GetX(g, i), OGR_G_GetY(g, i)});
  return points;
}

void collect(OGRGeometryH g, Parts& parts) {
  if (!g || OGR_G_IsEmpty(g)) return;
  // Arcs and curved rings are walked as the lines GDAL approximates them with.
  if (OGR_G_HasCurveGeometry(g, TRUE)) {
    const Geometry linear(OGR_G_GetLinearGeometry(g, 0, nullptr));
    if (linear && !OGR_G_HasCurveGeometry(linear.get(), TRUE)) collect(linear.get(), parts);
    return;
  }
  switch (wkbFlatten(OGR_G_GetGeometryType(g))) {
    case wkbPoint: parts[static_cast<int>(Shape::Point)].push_back(pointsOf(g)); return;
    case wkbLineString:
    case wkbLinearRing: parts[static_cast<int>(Shape::Line)].push_back(pointsOf(g)); return;
    case wkbPolygon:
    case wkbTriangle:
      for (int i = 0; i < OGR_G_GetGeometryCount(g); ++i)
        parts[static_cast<int>(Shape::Area)].push_back(pointsOf(OGR_G_GetGeometryRef(g, i)));
      return;
    default:  // collections of any kind, polyhedral surfaces, TINs
      for (int i = 0; i < OGR_G_GetGeometryCount(g); ++i) collect(OGR_G_GetGeometryRef(g, i), parts);
      return;
  }
}

// The layer's coordinates to world feet in place; false when a point has no place in the
// theatre projection.
bool toWorldFeet(OGRCoordinateTransformationH ct, Parts& parts) {
  std::vector<double> x, y;
  for (const auto& shape : parts)
    for (const auto& part : shape)
      for (const auto& p : part) {
        x.push_back(p.x);
        y.push_back(p.z);
      }
  if (x.empty()) return true;
  std::vector<int> ok(x.size(), 0);
  OCTTransformEx(ct, static_cast<int>(x.size()), x.data(), y.data(), nullptr, ok.data());
  std::size_t i = 0;
  for (auto& shape : parts)
    for (auto& part : shape)
      for (auto& p : part) {
        if (!ok[i] || !std::isfinite(x[i]) || !std::isfinite(y[i])) return false;
        p = {x[i] / kMetresPerFoot, y[i] / kMetresPerFoot};
        ++i;
      }
  return true;
}

bool touchesTheatre(const Parts& parts) {
  double west = HUGE_VAL, east = -HUGE_VAL, south = HUGE_VAL, north = -HUGE_VAL;
  for (const auto& shape : parts)
    for (const auto& part : shape)
      for (const auto& p : part) {
        west = std::min(west, p.x);
        east = std::max(east, p.x);
        south = std::min(south, p.z);
        north = std::max(north, p.z);
      }
  return west <= kEdgeFeet && east >= -kEdgeFeet && south <= kEdgeFeet && north >= -kEdgeFeet;
}

std::string count(std::size_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

std::optional<geo::ReferenceLayer> readReference(const std::filesystem::path& file, const std::string& projection,
                                                 std::string& problem) {
  initialiseGdal();
  GdalErrors errors;
  const std::string name = file.string();
  const std::string shown = file.filename().string();
  const std::string cannot = shown + " cannot be shown as a reference layer: ";
  if (waitsOnOpen(name)) {
    problem = cannot + "it is " + kWaitsOnOpen;
    return std::nullopt;
  }
  const Dataset ds(
      GDALOpenEx(name.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY | GDAL_OF_VERBOSE_ERROR, nullptr, nullptr, nullptr));
  if (!ds) {
    problem = cannot + errors.last("GDAL reads no vector layer from it.");
    return std::nullopt;
  }
  const int layers = GDALDatasetGetLayerCount(ds.get());
  if (layers < 1) {
    problem = cannot + "it holds no vector layer.";
    return std::nullopt;
  }
  OGRLayerH layer = GDALDatasetGetLayer(ds.get(), 0);
  geo::ReferenceLayer result;
  result.name = OGR_L_GetName(layer);
  OGRSpatialReferenceH own = OGR_L_GetSpatialRef(layer);
  if (!own) {
    problem = cannot + "its layer \"" + result.name + "\" has no coordinate system, so it has no place on the theatre.";
    return std::nullopt;
  }
  const SpatialRef from(OSRClone(own));
  OSRSetAxisMappingStrategy(from.get(), OAMS_TRADITIONAL_GIS_ORDER);
  const SpatialRef theatre = spatialRef(projection);
  const CoordinateTransform ct(theatre ? OCTNewCoordinateTransformation(from.get(), theatre.get()) : nullptr);
  if (!theatre) {
    problem = "The theatre frame's projection cannot be used: " + errors.last(projection);
    return std::nullopt;
  }
  if (!ct) {
    problem = cannot + errors.last("its coordinate system cannot be turned into the theatre projection.");
    return std::nullopt;
  }

  if (layers > 1)
    result.note = "The file has " + std::to_string(layers) + " layers: showing the first, \"" + result.name + "\".";
  const int label = labelField(OGR_L_GetLayerDefn(layer));
  std::size_t off = 0, unplaced = 0, beyond = 0;
  OGR_L_ResetReading(layer);
  while (const Feature feature{OGR_L_GetNextFeature(layer)}) {
    Parts parts;
    collect(OGR_F_GetGeometryRef(feature.get()), parts);
    if (!toWorldFeet(ct.get(), parts)) {
      ++unplaced;
      continue;
    }
    if (!touchesTheatre(parts)) {
      ++off;
      continue;
    }
    if (result.features.size() >= kMostFeatures) {
      ++beyond;
      continue;
    }
    const std::string text = label >= 0 && OGR_F_IsFieldSetAndNotNull(feature.get(), label)
                                 ? OGR_F_GetFieldAsString(feature.get(), label)
                                 : "";
    for (const Shape shape : {Shape::Area, Shape::Line, Shape::Point}) {
      auto& these = parts[static_cast<int>(shape)];
      if (!these.empty()) result.features.push_back({shape, std::move(these), text});
    }
  }
  const auto addNote = [&](const std::string& line) { result.note += (result.note.empty() ? "" : "\n") + line; };
  if (off > 0)
    addNote(count(off, "feature lies off the theatre and is not shown.",
                  "features lie off the theatre and are not shown."));
  if (unplaced > 0)
    addNote(count(unplaced, "feature has no place in the theatre projection.",
                  "features have no place in the theatre projection."));
  if (beyond > 0)
    addNote("Only the first " + std::to_string(kMostFeatures) + " features are shown; " + std::to_string(beyond) +
            " more are not.");
  return result;
}

}  // namespace quarnby::dem
