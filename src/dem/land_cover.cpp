#include "dem/land_cover.h"

#include <gdal_alg.h>

#include <algorithm>
#include <array>
#include <climits>

#include "core/host.h"
#include "dem/gdal_support.h"
#include "dem/grid_sampling.h"
#include "dem/theatre.h"
#include "dem/theatre_warp.h"
#include "terrain/cover_bitmap.h"

namespace quarnby::dem {
namespace {

constexpr int kPerCell = 4;                     // sub-samples along each side of a type cell
constexpr int kPoints = kCoverSize * kPerCell;  // sub-samples along the theatre
constexpr std::int32_t kNoClass = INT32_MIN;    // a sub-sample no source gave a class

// The sub-sample grid in memory, in the theatre's projection. Cell tc spans samples
// 2tc - 0.5 to 2tc + 1.5 east of sample 0, which lies 512 samples west of the centre;
// GDAL's rows run from the north.
Dataset subSampleDataset(GeoPoint centre, GDALDataType type, int size, int bands = 1) {
  Dataset ds(GDALCreate(GDALGetDriverByName("MEM"), "cover", size, size, bands, type, nullptr));
  if (!ds) return ds;
  const double step = 2.0 * kSampleMetres * kCoverSize / size;
  const double west = (-kCentreIndex - 0.5) * kSampleMetres, north = (kCentreIndex - 0.5) * kSampleMetres;
  double gt[6] = {west, step, 0.0, north, 0.0, -step};
  GDALSetGeoTransform(ds.get(), gt);
  const auto srs = spatialRef(theatreProjection(centre));
  GDALSetSpatialRef(ds.get(), srs.get());
  return ds;
}

LandCoverResult refused(std::string problem) {
  LandCoverResult r;
  r.problem = std::move(problem);
  return r;
}

// A class raster: one band, placed on the Earth.
std::string sourceProblem(const std::filesystem::path& file, GdalErrors& errors, Dataset& opened) {
  const std::string name = file.string();
  opened.reset(
      GDALOpenEx(name.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY | GDAL_OF_VERBOSE_ERROR, nullptr, nullptr, nullptr));
  if (!opened)
    return fileMessage("Can't open the land cover source:", file, errors.last("GDAL does not know it as a raster."));
  const int bands = GDALGetRasterCount(opened.get());
  if (bands != 1)
    return fileMessage("The land cover source has " + std::to_string(bands) + " bands:", file,
                       "Land cover is one band of class codes; a colour picture cannot be read as classes.");
  double gt[6];
  if (!GDALGetSpatialRef(opened.get()) || GDALGetGeoTransform(opened.get(), gt) != CE_None)
    return fileMessage("The land cover source has no coordinate system:", file,
                       "Without one its classes cannot be placed on the theatre.");
  return {};
}

// The entry of each type cell from its 16 sub-samples.
std::uint8_t cellEntry(const std::array<int, kCoverEntries>& count, int noData) {
  constexpr int kHalf = kPerCell * kPerCell / 2;
  if (count[kCoverWater] >= kHalf) return kCoverWater;
  if (noData >= kHalf) return kNoLandCover;
  std::uint8_t best = kNoLandCover;
  int most = 0;
  for (std::uint8_t e = 1; e < kCoverEntries; ++e)
    if (count[e] > most) {  // strictly more: a tie stays with the lower entry
      best = e;
      most = count[e];
    }
  return best;
}

}  // namespace

LandCoverResult landCover(const LandCoverRequest& request) {
  initialiseGdal();
  GdalErrors errors;
  if (request.sources.empty()) return refused("Import Land Cover needs at least one land cover source.");
  std::vector<Dataset> sources;
  std::vector<SourceInfo> infos;
  for (const auto& file : request.sources) {
    Dataset opened;
    if (auto problem = sourceProblem(file, errors, opened); !problem.empty()) return refused(problem);
    sources.push_back(std::move(opened));
    SourceInfo info;
    info.path = file;
    infos.push_back(std::move(info));
  }
  if (!sourcesTouchTheatre(infos, request.centre))
    return refused("No land cover source touches the theatre centred on " + geoText(request.centre) + ".");

  // Only the grid's place: the codes are kept beside it.
  const Dataset grid = subSampleDataset(request.centre, GDT_Int32, kPoints, 0);
  if (!grid) return refused("GDAL could not make the land cover grid in memory: " + errors.last("no reason given."));
  std::vector<std::int32_t> classes(static_cast<std::size_t>(kPoints) * kPoints, kNoClass);
  for (std::size_t i = 0; i < sources.size(); ++i) {
    if (request.progress && !request.progress(static_cast<int>(80 * i / sources.size()))) {
      LandCoverResult r;
      r.status = LandCoverResult::Status::Cancelled;
      return r;
    }
    // A later source overwrites the sub-samples where it has data.
    std::string problem;
    if (!sampleNearest(sources[i].get(), grid.get(), classes, problem))
      return refused(fileMessage("GDAL could not sample the land cover source onto the theatre:", request.sources[i],
                                 errors.last(problem)));
  }

  LandCoverResult result;
  result.cells.assign(kCoverPixelCount, kNoLandCover);
  for (int tr = 0; tr < kCoverSize; ++tr)
    for (int tc = 0; tc < kCoverSize; ++tc) {
      std::array<int, kCoverEntries> count{};
      int noData = 0;
      for (int sy = 0; sy < kPerCell; ++sy)
        for (int sx = 0; sx < kPerCell; ++sx) {
          // Raster row 0 is the north; type row 0 the south.
          const int row = kPoints - 1 - (tr * kPerCell + sy), col = tc * kPerCell + sx;
          const std::int32_t code = classes[static_cast<std::size_t>(row) * kPoints + static_cast<std::size_t>(col)];
          if (code == kNoClass) {
            ++noData;
            continue;
          }
          const auto known = request.classes.find(code);
          if (known == request.classes.end()) ++result.unknownCodes[code];
          ++count[known == request.classes.end() ? kNoLandCover : known->second];
        }
      result.cells[static_cast<std::size_t>(tr) * kCoverSize + static_cast<std::size_t>(tc)] = cellEntry(count, noData);
    }

  if (request.smallestPatch > 1) {
    // Water joined to a cell at sea level is the sea's and is never sieved away.
    std::vector<std::uint8_t> keep(result.cells.size(), 1);
    std::vector<std::size_t> todo;
    for (std::size_t k = 0; k < keep.size(); ++k)
      if (result.cells[k] == kCoverWater && k < request.seaLevel.size() && request.seaLevel[k]) {
        keep[k] = 0;
        todo.push_back(k);
      }
    while (!todo.empty()) {
      const std::size_t k = todo.back();
      todo.pop_back();
      const int r = static_cast<int>(k / kCoverSize), c = static_cast<int>(k % kCoverSize);
      for (const auto& [dr, dc] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}}) {
        const int nr = r + dr, nc = c + dc;
        if (nr < 0 || nc < 0 || nr >= kCoverSize || nc >= kCoverSize) continue;
        const std::size_t n = static_cast<std::size_t>(nr) * kCoverSize + static_cast<std::size_t>(nc);
        if (keep[n] && result.cells[n] == kCoverWater) {
          keep[n] = 0;
          todo.push_back(n);
        }
      }
    }
    const Dataset cells = subSampleDataset(request.centre, GDT_Byte, kCoverSize);
    const Dataset mask = subSampleDataset(request.centre, GDT_Byte, kCoverSize);
    if (!cells || !mask) return refused("GDAL could not make the land cover grid in memory.");
    GDALRasterBandH cellBand = GDALGetRasterBand(cells.get(), 1), maskBand = GDALGetRasterBand(mask.get(), 1);
    // The rows go in as they are: the sieve does not care which way is north.
    if (GDALRasterIO(cellBand, GF_Write, 0, 0, kCoverSize, kCoverSize, result.cells.data(), kCoverSize, kCoverSize,
                     GDT_Byte, 0, 0) != CE_None ||
        GDALRasterIO(maskBand, GF_Write, 0, 0, kCoverSize, kCoverSize, keep.data(), kCoverSize, kCoverSize, GDT_Byte, 0,
                     0) != CE_None ||
        GDALSieveFilter(cellBand, maskBand, cellBand, request.smallestPatch, 4, nullptr, nullptr, nullptr) != CE_None ||
        GDALRasterIO(cellBand, GF_Read, 0, 0, kCoverSize, kCoverSize, result.cells.data(), kCoverSize, kCoverSize,
                     GDT_Byte, 0, 0) != CE_None)
      return refused("GDAL could not merge the small patches: " + errors.last("no reason given."));
  }
  if (request.progress) request.progress(90);
  result.status = LandCoverResult::Status::Done;
  return result;
}

}  // namespace quarnby::dem
