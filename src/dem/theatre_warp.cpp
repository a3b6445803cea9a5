#include "dem/theatre_warp.h"

#include <gdal_alg.h>
#include <gdal_utils.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <limits>
#include <thread>

#include "core/host.h"
#include "dem/feet_field.h"
#include "dem/gdal_support.h"
#include "dem/grid_sampling.h"
#include "dem/raster_open.h"
#include "dem/theatre_edge.h"

namespace quarnby::dem {
namespace {

constexpr int kN = kTheatrePoints;
// What a theatre sample holds until a source gives it a height.
constexpr float kEmpty = -1.0e38f;

// The theatre grid as an in-memory raster: GDAL's rows run from the north, so the
// raster's top edge lies half a sample beyond the northern row of samples.
Dataset theatreDataset(GeoPoint centre) {
  Dataset ds(GDALCreate(GDALGetDriverByName("MEM"), "theatre", kN, kN, 1, GDT_Float32, nullptr));
  if (!ds) return ds;
  double gt[6] = {-kTheatreEdgeMetres, kSampleMetres, 0.0, kTheatreEdgeMetres, 0.0, -kSampleMetres};
  GDALSetGeoTransform(ds.get(), gt);
  const auto srs = spatialRef(theatreProjection(centre));
  GDALSetSpatialRef(ds.get(), srs.get());
  GDALSetRasterNoDataValue(GDALGetRasterBand(ds.get(), 1), kEmpty);
  return ds;
}

// Carries points from one raster's pixels to the other's, in place; true for each point
// that could be carried.
struct PixelTransform {
  void* arg = nullptr;
  PixelTransform(GDALDatasetH source, GDALDatasetH theatre)
      : arg(GDALCreateGenImgProjTransformer2(source, theatre, nullptr)) {}
  ~PixelTransform() {
    if (arg) GDALDestroyGenImgProjTransformer(arg);
  }
  PixelTransform(const PixelTransform&) = delete;
  PixelTransform& operator=(const PixelTransform&) = delete;

  std::vector<bool> carry(bool theatreToSource, std::vector<double>& x, std::vector<double>& y) const {
    std::vector<double> z(x.size(), 0.0);
    std::vector<int> ok(x.size(), 0);
    if (arg)
      GDALGenImgProjTransform(arg, theatreToSource, static_cast<int>(x.size()), x.data(), y.data(), z.data(),
                              ok.data());
    std::vector<bool> carried(x.size());
    for (std::size_t i = 0; i < x.size(); ++i) carried[i] = ok[i] && std::isfinite(x[i]) && std::isfinite(y[i]);
    return carried;
  }
};

// A grid of 17 x 17 points over a w x h raster, its edges included.
void gridPoints(double w, double h, std::vector<double>& x, std::vector<double>& y) {
  constexpr int kSteps = 16;
  for (int j = 0; j <= kSteps; ++j)
    for (int i = 0; i <= kSteps; ++i) {
      x.push_back(w * i / kSteps);
      y.push_back(h * j / kSteps);
    }
}

bool anyInside(const std::vector<double>& x, const std::vector<double>& y, const std::vector<bool>& carried, double w,
               double h) {
  for (std::size_t i = 0; i < x.size(); ++i)
    if (carried[i] && x[i] >= 0 && x[i] <= w && y[i] >= 0 && y[i] <= h) return true;
  return false;
}

bool touches(GDALDatasetH source, GDALDatasetH theatre) {
  const PixelTransform transform(source, theatre);
  const double w = GDALGetRasterXSize(source), h = GDALGetRasterYSize(source);
  std::vector<double> x, y;
  gridPoints(w, h, x, y);
  if (anyInside(x, y, transform.carry(false, x, y), kN, kN)) return true;
  x.clear();
  y.clear();
  gridPoints(kN, kN, x, y);
  return anyInside(x, y, transform.carry(true, x, y), w, h);
}

// `average` for a source whose cells are smaller than the theatre's samples, `bilinear`
// for the others, judged at the source's middle.
std::string automaticResampling(GDALDatasetH source, GDALDatasetH theatre) {
  const PixelTransform transform(source, theatre);
  const double cx = GDALGetRasterXSize(source) / 2.0, cy = GDALGetRasterYSize(source) / 2.0;
  std::vector<double> x = {cx, cx + 1.0, cx}, y = {cy, cy, cy + 1.0};
  const auto carried = transform.carry(false, x, y);
  if (!carried[0] || !carried[1] || !carried[2]) return "bilinear";
  const double across = std::hypot(x[1] - x[0], y[1] - y[0]);
  const double down = std::hypot(x[2] - x[0], y[2] - y[0]);
  return std::max(across, down) < 1.0 ? "average" : "bilinear";
}

// Metres per unit of the band's heights: feet when its unit type says so, else metres.
double metresPerUnit(GDALRasterBandH band) {
  std::string unit = GDALGetRasterUnitType(band) ? GDALGetRasterUnitType(band) : "";
  for (char& ch : unit) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  auto has = [&](const char* part) { return unit.find(part) != std::string::npos; };
  const bool feet = unit == "ft" || unit == "ft-us" || unit == "us-ft" || unit == "ftus" || has("foot") || has("feet");
  if (!feet) return 1.0;
  return has("us") ? 1200.0 / 3937.0 : kMetresPerFoot;  // the US survey foot, or the international one
}

// GDAL's progress, passed on only on the thread that started the warp (the window's
// thread, say); a stop asked for there is answered on every thread.
struct ProgressRelay {
  const WarpProgress* report;
  std::thread::id owner = std::this_thread::get_id();
  double from = 0.0;
  double span = 1.0;
  bool stopped = false;

  static int CPL_STDCALL call(double done, const char*, void* arg) {
    auto* self = static_cast<ProgressRelay*>(arg);
    if (!self->stopped && *self->report && std::this_thread::get_id() == self->owner &&
        !(*self->report)(self->from + std::clamp(done, 0.0, 1.0) * self->span))
      self->stopped = true;
    return self->stopped ? FALSE : TRUE;
  }
};

struct WarpOptionsCloser {
  void operator()(GDALWarpAppOptions* o) const { GDALWarpAppOptionsFree(o); }
};

// Warps one source onto the theatre with GDAL's own warper, with bounded warp memory and its
// worker threads; parts of the theatre the source does not reach are skipped.
WarpResult gdalWarp(GDALDatasetH source, const std::filesystem::path& path, GDALDatasetH theatre,
                    const std::string& method, ProgressRelay& relay, const GdalErrors& errors,
                    std::vector<float>& warped, std::string& problem) {
  GDALRasterBandH theatreBand = GDALGetRasterBand(theatre, 1);
  GDALFillRaster(theatreBand, kEmpty, 0.0);
  char empty[32];
  std::snprintf(empty, sizeof empty, "%.9g", static_cast<double>(kEmpty));
  const char* args[] = {"-r",  method.c_str(),      "-wm",        "64",  "-multi", "-wo", "NUM_THREADS=ALL_CPUS",
                        "-wo", "SKIP_NOSOURCE=YES", "-dstnodata", empty, nullptr};
  std::unique_ptr<GDALWarpAppOptions, WarpOptionsCloser> options(
      GDALWarpAppOptionsNew(const_cast<char**>(args), nullptr));
  GDALWarpAppOptionsSetProgress(options.get(), &ProgressRelay::call, &relay);
  int usageError = 0;
  const GDALDatasetH result = GDALWarp(nullptr, theatre, 1, &source, options.get(), &usageError);
  if (relay.stopped) return WarpResult::Cancelled;
  if (!result) {
    problem = fileMessage("GDAL could not warp the elevation source onto the theatre:", path,
                          errors.last("no reason given."));
    return WarpResult::Failed;
  }
  if (GDALRasterIO(theatreBand, GF_Read, 0, 0, kN, kN, warped.data(), kN, kN, GDT_Float32, 0, 0) != CE_None) {
    problem = "GDAL could not read the warped theatre back: " + errors.last("no reason given.");
    return WarpResult::Failed;
  }
  return WarpResult::Done;
}

WarpResult averageSource(GDALDatasetH source, const std::filesystem::path& path, GDALDatasetH theatre,
                         ProgressRelay& relay, const GdalErrors& errors, std::vector<float>& warped,
                         std::vector<float>& shares, std::string& problem) {
  std::string reason;
  const auto goOn = [&](double done) { return ProgressRelay::call(done, nullptr, &relay) != FALSE; };
  if (!averageOnto(source, theatre, kEmpty, warped, shares, goOn, reason)) {
    if (reason.empty()) return WarpResult::Cancelled;
    problem = fileMessage("GDAL could not warp the elevation source onto the theatre:", path, errors.last(reason));
    return WarpResult::Failed;
  }
  return ProgressRelay::call(1.0, nullptr, &relay) ? WarpResult::Done : WarpResult::Cancelled;
}

}  // namespace

bool sourcesTouchTheatre(std::span<const SourceInfo> sources, GeoPoint centre) {
  initialiseGdal();
  GdalErrors quiet;
  const Dataset theatre = theatreDataset(centre);
  for (const SourceInfo& s : sources) {
    std::string unused;
    const Dataset source = openRaster(s.path, quiet, "", unused);
    if (source && theatre && touches(source.get(), theatre.get())) return true;
  }
  return false;
}

WarpResult warpSources(std::span<const SourceInfo> sources, GeoPoint centre, const std::string& resampling,
                       const WarpProgress& progress, TheatreHeights& out, std::string& problem) {
  initialiseGdal();
  GdalErrors errors;
  const Dataset theatre = theatreDataset(centre);
  if (!theatre) {
    problem = "GDAL could not make the theatre grid in memory: " + errors.last("no reason given.");
    return WarpResult::Failed;
  }
  out.metres.assign(static_cast<std::size_t>(kN) * kN, std::numeric_limits<float>::quiet_NaN());
  out.resamplings.clear();
  // The share of each sample's footprint its height stands for: 1 from GDAL's warper, less
  // from the average where a source's edge or hole crosses the footprint.
  std::vector<float> warped(out.metres.size()), shares(out.metres.size(), 1.0f), held(out.metres.size(), 0.0f);

  ProgressRelay relay{&progress};
  for (std::size_t i = 0; i < sources.size(); ++i) {
    std::string reason;
    const Dataset source = openRaster(sources[i].path, errors, "no reason given.", reason);
    if (!source) {
      problem = fileMessage("Can't open the elevation source:", sources[i].path, reason);
      return WarpResult::Failed;
    }
    const std::string method = resampling.empty() ? automaticResampling(source.get(), theatre.get()) : resampling;
    out.resamplings.push_back(method);
    relay.from = static_cast<double>(i) / sources.size();
    relay.span = 1.0 / sources.size();
    // The average chosen for a finer source is read once and averaged by cell shares: a
    // fraction of the warper's time, within a fraction of a metre of its exact average.
    // A mask that is not a no-data value is left to the warper.
    const int maskFlags = GDALGetMaskFlags(GDALGetRasterBand(source.get(), 1));
    const bool byShares = resampling.empty() && method == "average" && (maskFlags & (GMF_ALL_VALID | GMF_NODATA)) != 0;
    if (!byShares) std::fill(shares.begin(), shares.end(), 1.0f);
    const WarpResult result =
        byShares ? averageSource(source.get(), sources[i].path, theatre.get(), relay, errors, warped, shares, problem)
                 : gdalWarp(source.get(), sources[i].path, theatre.get(), method, relay, errors, warped, problem);
    if (result != WarpResult::Done) return result;

    GDALRasterBandH band = GDALGetRasterBand(source.get(), 1);
    const double scale = GDALGetRasterScale(band, nullptr);
    const double offset = GDALGetRasterOffset(band, nullptr);
    const double toMetres = metresPerUnit(band);
    // Raster row 0 is the northern edge; the heights are kept south first.
    for (int row = 0; row < kN; ++row) {
      const float* from = warped.data() + static_cast<std::size_t>(row) * kN;
      const float* share = shares.data() + static_cast<std::size_t>(row) * kN;
      const std::size_t south = static_cast<std::size_t>(kN - 1 - row) * kN;
      float* to = out.metres.data() + south;
      float* has = held.data() + south;
      for (int c = 0; c < kN; ++c) {
        if (from[c] == kEmpty || !std::isfinite(from[c])) continue;
        const float metres = static_cast<float>((from[c] * scale + offset) * toMetres);
        // A height the Earth does not have is no height: it never covers an earlier
        // source's, and the feet field counts it.
        if (!isEarthHeight(metres) && !std::isnan(to[c])) continue;
        // Part of a footprint, beside the part an earlier source gave (the tile on the other
        // side of a seam), joins it; a whole one wins.
        if (share[c] < 1.0f && has[c] > 0.0f && isEarthHeight(metres) && isEarthHeight(to[c])) {
          to[c] = (to[c] * has[c] + metres * share[c]) / (has[c] + share[c]);
          has[c] = std::min(1.0f, has[c] + share[c]);
        } else {
          to[c] = metres;
          has[c] = share[c];
        }
      }
    }
  }
  out.uncovered = static_cast<std::size_t>(
      std::count_if(out.metres.begin(), out.metres.end(), [](float v) { return std::isnan(v); }));
  return WarpResult::Done;
}

}  // namespace quarnby::dem
