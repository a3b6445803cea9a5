#include "dem/dem_source.h"

#include <algorithm>
#include <cmath>

#include "core/host.h"
#include "dem/gdal_support.h"
#include "dem/raster_open.h"
#include "dem/theatre_edge.h"

namespace quarnby::dem {
namespace {

constexpr int kStepsPerEdge = 32;

// Points walked around a rectangle, kStepsPerEdge along each edge, anticlockwise from
// (x0, y0).
void walkRectangle(double x0, double y0, double x1, double y1, std::vector<double>& xs, std::vector<double>& ys) {
  const double cornersX[5] = {x0, x1, x1, x0, x0};
  const double cornersY[5] = {y0, y0, y1, y1, y0};
  for (int e = 0; e < 4; ++e)
    for (int s = 0; s < kStepsPerEdge; ++s) {
      const double t = static_cast<double>(s) / kStepsPerEdge;
      xs.push_back(cornersX[e] + t * (cornersX[e + 1] - cornersX[e]));
      ys.push_back(cornersY[e] + t * (cornersY[e + 1] - cornersY[e]));
    }
}

// The points that could be carried over into latitude and longitude.
std::vector<GeoPoint> toGeographic(OGRSpatialReferenceH from, std::vector<double> xs, std::vector<double> ys) {
  const auto wgs84 = geographicWgs84();
  CoordinateTransform toGeo(OCTNewCoordinateTransformation(from, wgs84.get()));
  std::vector<GeoPoint> points;
  if (!toGeo) return points;
  std::vector<int> ok(xs.size(), 0);
  OCTTransformEx(toGeo.get(), static_cast<int>(xs.size()), xs.data(), ys.data(), nullptr, ok.data());
  for (std::size_t i = 0; i < xs.size(); ++i)
    if (ok[i] && std::isfinite(xs[i]) && std::isfinite(ys[i])) points.push_back({ys[i], xs[i]});
  return points;
}

// A run of longitudes going east from `west` over `span` degrees.
struct LongitudeArc {
  double west = 0.0;
  double span = 0.0;
};

// The narrowest run of longitudes that holds every point of the sources' outlines: the
// circle less its widest gap between neighbouring longitudes.
LongitudeArc narrowestArc(std::span<const SourceInfo> sources) {
  std::vector<double> lons;
  for (const SourceInfo& s : sources) {
    for (const GeoPoint& p : s.outline) lons.push_back(std::remainder(p.lon, 360.0));
    // A source known only by its extent: points a degree apart across it.
    if (s.outline.empty())
      for (double lon = s.lonMin; lon < s.lonMax + 1.0; lon += 1.0)
        lons.push_back(std::remainder(std::min(lon, s.lonMax), 360.0));
  }
  if (lons.empty()) return {};
  std::sort(lons.begin(), lons.end());
  std::size_t widest = lons.size() - 1;  // the gap from the easternmost round to the westernmost
  double widestGap = lons.front() + 360.0 - lons.back();
  for (std::size_t i = 0; i + 1 < lons.size(); ++i)
    if (lons[i + 1] - lons[i] > widestGap) {
      widestGap = lons[i + 1] - lons[i];
      widest = i;
    }
  return {lons[(widest + 1) % lons.size()], 360.0 - widestGap};
}

}  // namespace

std::optional<SourceInfo> describeSource(const std::filesystem::path& file, std::string& problem) {
  initialiseGdal();
  GdalErrors errors;
  std::string reason;
  Dataset ds = openRaster(file, errors, "GDAL does not know it as a raster.", reason);
  if (!ds) {
    problem = fileMessage("Can't open the elevation source:", file, reason);
    return std::nullopt;
  }
  const int bands = GDALGetRasterCount(ds.get());
  if (bands != 1) {
    problem = fileMessage("The elevation source has " + std::to_string(bands) + " bands:", file,
                          "A source holds heights in one band. Take the band of heights out first "
                          "(for example: gdal_translate -b 1).");
    return std::nullopt;
  }
  double gt[6];
  OGRSpatialReferenceH srs = GDALGetSpatialRef(ds.get());
  if (!srs || GDALGetGeoTransform(ds.get(), gt) != CE_None) {
    problem = fileMessage("The elevation source has no coordinate system:", file,
                          "Without one its cells cannot be placed on the earth. Give it one first "
                          "(for example: gdal_translate -a_srs EPSG:4326 -a_ullr ...).");
    return std::nullopt;
  }

  SourceInfo info;
  info.path = file;
  info.width = GDALGetRasterXSize(ds.get());
  info.height = GDALGetRasterYSize(ds.get());
  std::vector<double> pixel, line;
  walkRectangle(0, 0, info.width, info.height, pixel, line);
  std::vector<double> xs(pixel.size()), ys(pixel.size());
  for (std::size_t i = 0; i < pixel.size(); ++i) {
    xs[i] = gt[0] + pixel[i] * gt[1] + line[i] * gt[2];
    ys[i] = gt[3] + pixel[i] * gt[4] + line[i] * gt[5];
  }
  SpatialRef own(OSRClone(srs));
  OSRSetAxisMappingStrategy(own.get(), OAMS_TRADITIONAL_GIS_ORDER);
  info.outline = toGeographic(own.get(), std::move(xs), std::move(ys));
  if (info.outline.empty()) {
    problem = fileMessage("The elevation source has no coordinate system:", file,
                          errors.last("Its coordinate system cannot be carried over into latitude and longitude."));
    return std::nullopt;
  }
  info.latMin = info.latMax = info.outline[0].lat;
  info.lonMin = info.lonMax = info.outline[0].lon;
  for (const GeoPoint& p : info.outline) {
    info.latMin = std::min(info.latMin, p.lat);
    info.latMax = std::max(info.latMax, p.lat);
    info.lonMin = std::min(info.lonMin, p.lon);
    info.lonMax = std::max(info.lonMax, p.lon);
  }
  return info;
}

GeoPoint centreOfSources(std::span<const SourceInfo> sources) {
  if (sources.empty()) return {};
  double latMin = sources[0].latMin, latMax = sources[0].latMax;
  double lonMin = sources[0].lonMin, lonMax = sources[0].lonMax;
  for (const SourceInfo& s : sources) {
    latMin = std::min(latMin, s.latMin);
    latMax = std::max(latMax, s.latMax);
    lonMin = std::min(lonMin, s.lonMin);
    lonMax = std::max(lonMax, s.lonMax);
  }
  double lon = (lonMin + lonMax) / 2.0;
  // Sources on both sides of the antimeridian reach across it the short way round, not
  // across the whole earth the other way.
  const LongitudeArc arc = narrowestArc(sources);
  if (arc.span < lonMax - lonMin - 1e-9 || std::fabs(lon) > 180.0)
    lon = std::remainder(arc.west + arc.span / 2.0, 360.0);
  return {(latMin + latMax) / 2.0, lon};
}

std::vector<GeoPoint> theatreOutline(GeoPoint centre) {
  initialiseGdal();
  std::vector<double> xs, ys;
  walkRectangle(-kTheatreEdgeMetres, -kTheatreEdgeMetres, kTheatreEdgeMetres, kTheatreEdgeMetres, xs, ys);
  const auto theatre = spatialRef(theatreProjection(centre));
  return toGeographic(theatre.get(), std::move(xs), std::move(ys));
}

}  // namespace quarnby::dem
