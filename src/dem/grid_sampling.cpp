#include "dem/grid_sampling.h"

#include <cpl_conv.h>
#include <cpl_minixml.h>
#include <gdal_alg.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <set>

namespace quarnby::dem {
namespace {

// Grid pixels to source cells as GDAL's warper carries them: exactly at a few points of
// each row and linearly between, within an eighth of a source cell.
class GridToSource {
 public:
  GridToSource(GDALDatasetH source, GDALDatasetH grid)
      : exact_(GDALCreateGenImgProjTransformer2(source, grid, nullptr)),
        approx_(exact_ ? GDALCreateApproxTransformer(GDALGenImgProjTransform, exact_, 0.125) : nullptr) {}
  ~GridToSource() {
    if (approx_) GDALDestroyApproxTransformer(approx_);
    if (exact_) GDALDestroyGenImgProjTransformer(exact_);
  }
  GridToSource(const GridToSource&) = delete;
  GridToSource& operator=(const GridToSource&) = delete;

  // Grid pixels to source cells, or back.
  bool carry(std::vector<double>& x, std::vector<double>& y, std::vector<double>& z, std::vector<int>& ok,
             bool toSource = true) const {
    return approx_ && GDALApproxTransform(approx_, toSource, static_cast<int>(x.size()), x.data(), y.data(), z.data(),
                                          ok.data()) != FALSE;
  }

 private:
  void* exact_;
  void* approx_;
};

// A grid pixel whose centre lies on the source, and the source cell under it.
struct Point {
  std::uint32_t pixel;
  std::int32_t col, row;
};
using Points = std::vector<Point>;

// The grid pixels [x0, x1) x [y0, y1) that the source's outline encloses; the whole grid
// when a point of the outline cannot be carried onto it.
struct GridPart {
  int x0, y0, x1, y1;
};

GridPart reachedPart(const GridToSource& transform, GDALDatasetH source, int gw, int gh) {
  constexpr int kSteps = 64;
  const double sw = GDALGetRasterXSize(source), sh = GDALGetRasterYSize(source);
  std::vector<double> x, y;
  for (int t = 0; t <= kSteps; ++t) {
    const double u = sw * t / kSteps, v = sh * t / kSteps;
    x.insert(x.end(), {u, sw, u, 0.0});
    y.insert(y.end(), {0.0, v, sh, v});
  }
  std::vector<double> z(x.size(), 0.0);
  std::vector<int> ok(x.size(), 0);
  const GridPart whole{0, 0, gw, gh};
  if (!transform.carry(x, y, z, ok, false)) return whole;
  double xmin = INFINITY, xmax = -INFINITY, ymin = INFINITY, ymax = -INFINITY;
  for (std::size_t i = 0; i < x.size(); ++i) {
    if (!ok[i] || !std::isfinite(x[i]) || !std::isfinite(y[i])) return whole;
    xmin = std::min(xmin, x[i]);
    xmax = std::max(xmax, x[i]);
    ymin = std::min(ymin, y[i]);
    ymax = std::max(ymax, y[i]);
  }
  auto clampTo = [](double v, int size) { return static_cast<int>(std::clamp(v, 0.0, static_cast<double>(size))); };
  // A pixel beyond the outline's points each way: its edges bulge between them.
  return {clampTo(std::floor(xmin) - 1, gw), clampTo(std::floor(ymin) - 1, gh), clampTo(std::ceil(xmax) + 1, gw),
          clampTo(std::ceil(ymax) + 1, gh)};
}

bool cellsUnderGrid(GDALDatasetH source, GDALDatasetH grid, Points& points) {
  const GridToSource transform(source, grid);
  const int gw = GDALGetRasterXSize(grid), gh = GDALGetRasterYSize(grid);
  const double sw = GDALGetRasterXSize(source), sh = GDALGetRasterYSize(source);
  points.clear();
  // Only the rows and columns the source reaches are carried: a tile of a mosaic lies under
  // a small part of the grid.
  const GridPart part = reachedPart(transform, source, gw, gh);
  if (part.x1 <= part.x0) return true;
  points.reserve(static_cast<std::size_t>(part.x1 - part.x0) * static_cast<std::size_t>(part.y1 - part.y0));
  std::vector<double> x(static_cast<std::size_t>(part.x1 - part.x0)), y(x.size()), z(x.size());
  std::vector<int> ok(x.size());
  for (int r = part.y0; r < part.y1; ++r) {
    for (std::size_t i = 0; i < x.size(); ++i) {
      x[i] = part.x0 + static_cast<double>(i) + 0.5;
      y[i] = r + 0.5;
      z[i] = 0.0;
    }
    if (!transform.carry(x, y, z, ok)) return false;
    for (std::size_t i = 0; i < x.size(); ++i) {
      if (!ok[i] || !(x[i] >= 0.0 && x[i] < sw && y[i] >= 0.0 && y[i] < sh)) continue;
      const std::size_t k =
          static_cast<std::size_t>(r) * static_cast<std::size_t>(gw) + static_cast<std::size_t>(part.x0) + i;
      points.push_back(
          {static_cast<std::uint32_t>(k), static_cast<std::int32_t>(x[i]), static_cast<std::int32_t>(y[i])});
    }
  }
  return true;
}

// Sorts the points by a key below `keys` (a counting sort: stable, linear).
template <typename Key>
void sortBy(Points& points, Points& scratch, std::size_t keys, Key key) {
  std::vector<std::size_t> next(keys + 1, 0);
  for (const Point& p : points) ++next[key(p) + 1];
  for (std::size_t k = 0; k < keys; ++k) next[k + 1] += next[k];
  scratch.resize(points.size());
  for (const Point& p : points) scratch[next[key(p)]++] = p;
  points.swap(scratch);
}

// Reads the source cells under the points, block by block in the band's own order: each
// block that holds a point is decoded once, straight into one buffer, past GDAL's cache.
// Cells of no data (its value, NaN, or a mask's 0) leave the codes as they were; others
// are rounded to a code as GDAL's warper writes them into an Int32 grid.
bool sampleBand(GDALRasterBandH band, Points order, std::vector<std::int32_t>& codes) {
  int bw = 0, bh = 0;
  GDALGetBlockSize(band, &bw, &bh);
  bw = std::max(bw, 1);
  bh = std::max(bh, 1);
  const int width = GDALGetRasterBandXSize(band), height = GDALGetRasterBandYSize(band);
  const std::size_t blockRows = static_cast<std::size_t>((height + bh - 1) / bh);
  const GDALDataType type = GDALGetRasterDataType(band);
  const int cellBytes = GDALGetDataTypeSizeBytes(type);
  int hasNoData = 0;
  const double noData = GDALGetRasterNoDataValue(band, &hasNoData);
  const int flags = GDALGetMaskFlags(band);
  const GDALRasterBandH mask = (flags & (GMF_ALL_VALID | GMF_NODATA)) ? nullptr : GDALGetMaskBand(band);

  // The points in the order of the blocks they fall in, row of blocks by row of blocks.
  Points scratch;
  const std::size_t blockCols = static_cast<std::size_t>((width + bw - 1) / bw);
  sortBy(order, scratch, blockCols, [&](const Point& p) { return static_cast<std::size_t>(p.col / bw); });
  sortBy(order, scratch, blockRows, [&](const Point& p) { return static_cast<std::size_t>(p.row / bh); });
  Points().swap(scratch);

  std::vector<std::uint8_t> block(static_cast<std::size_t>(bw) * static_cast<std::size_t>(bh) *
                                  static_cast<std::size_t>(cellBytes)),
      valid;
  for (auto group = order.begin(); group != order.end();) {
    const int bx = group->col / bw, by = group->row / bh;
    if (GDALReadBlock(band, bx, by, block.data()) != CE_None) return false;
    const int x0 = bx * bw, y0 = by * bh, w = std::min(bw, width - x0), h = std::min(bh, height - y0);
    if (mask) {
      valid.resize(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
      if (GDALRasterIO(mask, GF_Read, x0, y0, w, h, valid.data(), w, h, GDT_Byte, 0, 0) != CE_None) return false;
    }
    for (; group != order.end() && group->col / bw == bx && group->row / bh == by; ++group) {
      const int c = group->col - x0, r = group->row - y0;
      double value = 0.0;
      GDALCopyWords(
          block.data() + (static_cast<std::size_t>(r) * static_cast<std::size_t>(bw) + static_cast<std::size_t>(c)) *
                             static_cast<std::size_t>(cellBytes),
          type, 0, &value, GDT_Float64, 0, 1);
      if (mask ? valid[static_cast<std::size_t>(r) * static_cast<std::size_t>(w) + static_cast<std::size_t>(c)] == 0
               : std::isnan(value) || (hasNoData && value == noData))
        continue;
      GDALCopyWords(&value, GDT_Float64, 0, &codes[group->pixel], GDT_Int32, 0, 1);
    }
  }
  return true;
}

struct XmlCloser {
  void operator()(CPLXMLNode* node) const { CPLDestroyXMLNode(node); }
};

// A VRT source that copies band 1 of a whole raster unscaled, or nothing.
struct PlainSource {
  std::string file;
  int dx = 0, dy = 0;  // where it lies in the VRT
  int width = 0, height = 0;
};

std::optional<PlainSource> plainSource(const char* xml, const std::string& folder, bool vrtHasNoData,
                                       double vrtNoData) {
  const std::unique_ptr<CPLXMLNode, XmlCloser> root(CPLParseXMLString(xml));
  if (!root || root->eType != CXT_Element) return std::nullopt;
  const std::string kind = root->pszValue;
  if (kind != "SimpleSource" && kind != "ComplexSource") return std::nullopt;
  static const std::set<std::string> kPlain = {"SourceFilename", "SourceBand", "SourceProperties",
                                               "SrcRect",        "DstRect",    "NODATA"};
  for (const CPLXMLNode* child = root->psChild; child; child = child->psNext)
    if (child->eType == CXT_Element && !kPlain.count(child->pszValue)) return std::nullopt;
  // A source's no-data cells must leave the earlier sources' cells showing, as a skipped
  // cell does here: a complex source with the VRT's own no data, or no no data at all.
  const char* noData = CPLGetXMLValue(root.get(), "NODATA", nullptr);
  if (vrtHasNoData ? !noData || CPLAtof(noData) != vrtNoData : noData != nullptr) return std::nullopt;
  if (std::string(CPLGetXMLValue(root.get(), "SourceBand", "")) != "1") return std::nullopt;
  PlainSource source;
  source.file = CPLGetXMLValue(root.get(), "SourceFilename", "");
  if (std::string(CPLGetXMLValue(root.get(), "SourceFilename.relativeToVRT", "0")) == "1")
    source.file = CPLFormFilename(folder.c_str(), source.file.c_str(), nullptr);
  auto value = [&](const char* path) { return std::atoi(CPLGetXMLValue(root.get(), path, "-1")); };
  source.dx = value("DstRect.xOff");
  source.dy = value("DstRect.yOff");
  source.width = value("SrcRect.xSize");
  source.height = value("SrcRect.ySize");
  if (value("SrcRect.xOff") != 0 || value("SrcRect.yOff") != 0 || value("DstRect.xSize") != source.width ||
      value("DstRect.ySize") != source.height || source.file.empty())
    return std::nullopt;
  return source;
}

// A raster of a mosaic, and where its first cell lies in the mosaic.
struct Member {
  Dataset raster;
  int dx = 0, dy = 0;
};

// The rasters of a VRT that only lays whole rasters side by side (of its own type and no
// data, unscaled, where their own places say), in its order; nothing for any other source.
// Sampled one by one, a later one winning where it has data, they give what the VRT gives
// without the VRT's copying of every cell.
std::vector<Member> mosaicMembers(GDALDatasetH source) {
  GDALDriverH driver = GDALGetDatasetDriver(source);
  if (!driver || std::string(GDALGetDriverShortName(driver)) != "VRT" || GDALGetRasterCount(source) != 1) return {};
  GDALRasterBandH band = GDALGetRasterBand(source, 1);
  char** sources = GDALGetMetadata(band, "vrt_sources");
  double gt[6];
  if (!sources || GDALGetGeoTransform(source, gt) != CE_None || gt[2] != 0.0 || gt[4] != 0.0) return {};
  int hasNoData = 0;
  const double noData = GDALGetRasterNoDataValue(band, &hasNoData);
  const std::string folder = CPLGetPath(GDALGetDescription(source));
  std::vector<Member> members;
  for (int i = 0; sources[i]; ++i) {
    const char* xml = std::strchr(sources[i], '=');
    const auto plain = xml ? plainSource(xml + 1, folder, hasNoData != 0, noData) : std::nullopt;
    if (!plain) return {};
    Dataset member(GDALOpenEx(plain->file.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY, nullptr, nullptr, nullptr));
    if (!member || GDALGetRasterXSize(member.get()) != plain->width ||
        GDALGetRasterYSize(member.get()) != plain->height || GDALGetRasterCount(member.get()) < 1)
      return {};
    GDALRasterBandH memberBand = GDALGetRasterBand(member.get(), 1);
    int memberHasNoData = 0;
    const double memberNoData = GDALGetRasterNoDataValue(memberBand, &memberHasNoData);
    double mgt[6];
    const OGRSpatialReferenceH srs = GDALGetSpatialRef(source), memberSrs = GDALGetSpatialRef(member.get());
    // Its cells, its no data and its place on the Earth must be the VRT's own.
    const double tolerance = 1e-6 * std::fabs(gt[1]);
    if (GDALGetRasterDataType(memberBand) != GDALGetRasterDataType(band) || memberHasNoData != hasNoData ||
        (hasNoData && memberNoData != noData) || !(GDALGetMaskFlags(memberBand) & (GMF_ALL_VALID | GMF_NODATA)) ||
        GDALGetGeoTransform(member.get(), mgt) != CE_None || mgt[2] != 0.0 || mgt[4] != 0.0 ||
        std::fabs(mgt[1] - gt[1]) > tolerance || std::fabs(mgt[5] - gt[5]) > tolerance ||
        std::fabs(mgt[0] - (gt[0] + plain->dx * gt[1])) > tolerance ||
        std::fabs(mgt[3] - (gt[3] + plain->dy * gt[5])) > tolerance || !srs || !memberSrs || !OSRIsSame(srs, memberSrs))
      return {};
    members.push_back({std::move(member), plain->dx, plain->dy});
  }
  return members;
}

}  // namespace

bool sampleNearest(GDALDatasetH source, GDALDatasetH grid, std::vector<std::int32_t>& codes, std::string& problem) {
  Points points;
  if (!cellsUnderGrid(source, grid, points)) {
    problem = "its cells cannot be placed on the theatre.";
    return false;
  }
  const std::vector<Member> members = mosaicMembers(source);
  if (members.empty()) {
    if (sampleBand(GDALGetRasterBand(source, 1), std::move(points), codes)) return true;
    problem = "GDAL could not read its cells.";
    return false;
  }
  // The points carried onto the mosaic once, then handed to the rasters they fall in,
  // found through a coarse grid of bins no larger than the smallest raster.
  int binW = INT32_MAX, binH = INT32_MAX;
  std::vector<std::array<int, 4>> rects;  // x0, y0, x1, y1 in the mosaic
  for (const Member& m : members) {
    const int w = GDALGetRasterXSize(m.raster.get()), h = GDALGetRasterYSize(m.raster.get());
    rects.push_back({m.dx, m.dy, m.dx + w, m.dy + h});
    binW = std::min(binW, std::max(w, 1));
    binH = std::min(binH, std::max(h, 1));
  }
  const int binsX = (GDALGetRasterXSize(source) + binW - 1) / binW,
            binsY = (GDALGetRasterYSize(source) + binH - 1) / binH;
  std::vector<std::vector<std::size_t>> bins(static_cast<std::size_t>(binsX) * static_cast<std::size_t>(binsY));
  for (std::size_t i = 0; i < rects.size(); ++i)
    for (int by = std::max(0, rects[i][1] / binH); by <= std::min(binsY - 1, (rects[i][3] - 1) / binH); ++by)
      for (int bx = std::max(0, rects[i][0] / binW); bx <= std::min(binsX - 1, (rects[i][2] - 1) / binW); ++bx)
        bins[static_cast<std::size_t>(by) * static_cast<std::size_t>(binsX) + static_cast<std::size_t>(bx)].push_back(
            i);
  std::vector<Points> inMember(members.size());
  auto hand = [&](bool count, std::vector<std::size_t>& counts) {
    for (const Point& p : points)
      for (std::size_t i : bins[static_cast<std::size_t>(p.row / binH) * static_cast<std::size_t>(binsX) +
                                static_cast<std::size_t>(p.col / binW)])
        if (p.col >= rects[i][0] && p.row >= rects[i][1] && p.col < rects[i][2] && p.row < rects[i][3]) {
          if (count) ++counts[i];
          else inMember[i].push_back({p.pixel, p.col - rects[i][0], p.row - rects[i][1]});
        }
  };
  std::vector<std::size_t> counts(members.size(), 0);
  hand(true, counts);  // counted first, so that each list is allocated once
  for (std::size_t i = 0; i < members.size(); ++i) inMember[i].reserve(counts[i]);
  hand(false, counts);
  Points().swap(points);
  bool read = true;
  for (std::size_t i = 0; i < members.size() && read; ++i) {
    read = sampleBand(GDALGetRasterBand(members[i].raster.get(), 1), std::move(inMember[i]), codes);
  }
  if (!read) problem = "GDAL could not read its cells.";
  return read;
}

bool averageOnto(GDALDatasetH source, GDALDatasetH grid, float empty, std::vector<float>& heights,
                 std::vector<float>& shares, const std::function<bool(double)>& goOn, std::string& problem) {
  const GridToSource transform(source, grid);
  const int gw = GDALGetRasterXSize(grid), gh = GDALGetRasterYSize(grid);
  const int sw = GDALGetRasterXSize(source), sh = GDALGetRasterYSize(source);
  heights.assign(static_cast<std::size_t>(gw) * static_cast<std::size_t>(gh), empty);
  shares.assign(heights.size(), 0.0f);
  const GridPart part = reachedPart(transform, source, gw, gh);
  if (part.x1 <= part.x0 || part.y1 <= part.y0) return true;

  // The corners of the pixels of that part, in source cells.
  const int cw = part.x1 - part.x0 + 1, ch = part.y1 - part.y0 + 1;
  std::vector<double> u, v, z(static_cast<std::size_t>(cw), 0.0);
  std::vector<int> ok(static_cast<std::size_t>(cw)), carried;
  std::vector<double> x(static_cast<std::size_t>(cw)), y(x.size());
  for (int r = 0; r < ch; ++r) {
    for (int c = 0; c < cw; ++c) {
      x[static_cast<std::size_t>(c)] = part.x0 + c;
      y[static_cast<std::size_t>(c)] = part.y0 + r;
      z[static_cast<std::size_t>(c)] = 0.0;
    }
    if (!transform.carry(x, y, z, ok)) {
      problem = "its cells cannot be placed on the theatre.";
      return false;
    }
    u.insert(u.end(), x.begin(), x.end());
    v.insert(v.end(), y.begin(), y.end());
    for (std::size_t i = 0; i < x.size(); ++i) carried.push_back(ok[i] && std::isfinite(x[i]) && std::isfinite(y[i]));
  }
  double u0 = INFINITY, u1 = -INFINITY, v0 = INFINITY, v1 = -INFINITY;
  for (std::size_t i = 0; i < u.size(); ++i)
    if (carried[i]) {
      u0 = std::min(u0, u[i]);
      u1 = std::max(u1, u[i]);
      v0 = std::min(v0, v[i]);
      v1 = std::max(v1, v[i]);
    }
  const int sx0 = static_cast<int>(std::clamp(std::floor(u0), 0.0, double(sw)));
  const int sx1 = static_cast<int>(std::clamp(std::ceil(u1), 0.0, double(sw)));
  const int sy0 = static_cast<int>(std::clamp(std::floor(v0), 0.0, double(sh)));
  const int sy1 = static_cast<int>(std::clamp(std::ceil(v1), 0.0, double(sh)));
  if (sx1 <= sx0 || sy1 <= sy0) return true;

  // Cells about a third of a pixel's footprint wide, judged at the part's middle.
  const std::size_t mid =
      static_cast<std::size_t>(ch / 2) * static_cast<std::size_t>(cw) + static_cast<std::size_t>(cw / 2);
  double across = 1.0, down = 1.0;
  if (cw > 1 && ch > 1 && carried[mid] && carried[mid - 1] && carried[mid - static_cast<std::size_t>(cw)]) {
    across = std::hypot(u[mid] - u[mid - 1], v[mid] - v[mid - 1]);
    down = std::hypot(u[mid] - u[mid - static_cast<std::size_t>(cw)], v[mid] - v[mid - static_cast<std::size_t>(cw)]);
  }
  const int fx = std::max(1, static_cast<int>(across / 3)), fy = std::max(1, static_cast<int>(down / 3));
  const int ww = sx1 - sx0, wh = sy1 - sy0;
  const int nx = (ww + fx - 1) / fx, ny = (wh + fy - 1) / fy;
  const double kx = fx, ky = fy, xEnd = static_cast<double>(ww) / fx, yEnd = static_cast<double>(wh) / fy;
  // Each cell's mean and the share of it that has data, summed from strips of whole cell
  // rows read at full resolution: a raw source is read straight from its file, and only a
  // strip is held at a time.
  std::vector<float> cells(static_cast<std::size_t>(nx) * static_cast<std::size_t>(ny)), cellShares(cells.size());
  GDALRasterBandH band = GDALGetRasterBand(source, 1);
  int hasNoData = 0;
  const float noData = static_cast<float>(GDALGetRasterNoDataValue(band, &hasNoData));
  constexpr int kFewRows = 16;
  int blockWidth = 0, blockHeight = 0;
  GDALGetBlockSize(band, &blockWidth, &blockHeight);
  const int stripCells = std::max(1, 256 / fy);
  std::vector<float> strip(static_cast<std::size_t>(ww) * static_cast<std::size_t>(fy * stripCells));
  std::vector<double> sum(static_cast<std::size_t>(nx));
  std::vector<int> count(static_cast<std::size_t>(nx));
  for (int j0 = 0; j0 < ny; j0 += stripCells) {
    if (goOn && !goOn(static_cast<double>(j0) / ny)) return false;
    const int y = sy0 + j0 * fy, rows = std::min(stripCells * fy, sy1 - y);
    if (GDALRasterIO(band, GF_Read, sx0, y, ww, rows, strip.data(), ww, rows, GDT_Float32, 0, 0) != CE_None) {
      problem = "GDAL could not read its cells.";
      return false;
    }
    // A source read in rows of a few cells (an .hgt tile, say) never needs them again:
    // dropped from GDAL's cache, their memory serves the next strip.
    if (blockHeight <= kFewRows) GDALFlushRasterCache(band);
    for (int j = j0; j < std::min(ny, j0 + stripCells); ++j) {
      std::fill(sum.begin(), sum.end(), 0.0);
      std::fill(count.begin(), count.end(), 0);
      const int first = (j - j0) * fy, last = std::min(rows, first + fy);
      for (int r = first; r < last; ++r) {
        const float* row = strip.data() + static_cast<std::size_t>(r) * static_cast<std::size_t>(ww);
        for (int i = 0; i < nx; ++i)
          for (int x = i * fx; x < std::min(ww, (i + 1) * fx); ++x)
            if (!std::isnan(row[x]) && !(hasNoData && row[x] == noData)) {
              sum[static_cast<std::size_t>(i)] += row[x];
              ++count[static_cast<std::size_t>(i)];
            }
      }
      for (int i = 0; i < nx; ++i) {
        const std::size_t cell =
            static_cast<std::size_t>(j) * static_cast<std::size_t>(nx) + static_cast<std::size_t>(i);
        const int n = count[static_cast<std::size_t>(i)], area = (std::min(ww, (i + 1) * fx) - i * fx) * (last - first);
        cells[cell] = n ? static_cast<float>(sum[static_cast<std::size_t>(i)] / n) : 0.0f;
        cellShares[cell] = static_cast<float>(n) / static_cast<float>(area);
      }
    }
  }

  for (int r = part.y0; r < part.y1; ++r)
    for (int c = part.x0; c < part.x1; ++c) {
      const std::size_t k =
          static_cast<std::size_t>(r - part.y0) * static_cast<std::size_t>(cw) + static_cast<std::size_t>(c - part.x0);
      const std::size_t corners[4] = {k, k + 1, k + static_cast<std::size_t>(cw), k + static_cast<std::size_t>(cw) + 1};
      double a0 = INFINITY, a1 = -INFINITY, b0 = INFINITY, b1 = -INFINITY;
      bool all = true;
      for (std::size_t q : corners) {
        all = all && carried[q];
        a0 = std::min(a0, (u[q] - sx0) / kx);
        a1 = std::max(a1, (u[q] - sx0) / kx);
        b0 = std::min(b0, (v[q] - sy0) / ky);
        b1 = std::max(b1, (v[q] - sy0) / ky);
      }
      if (!all) continue;
      const double footprint = (a1 - a0) * (b1 - b0);
      a0 = std::max(a0, 0.0);
      b0 = std::max(b0, 0.0);
      a1 = std::min(a1, xEnd);
      b1 = std::min(b1, yEnd);
      double sum = 0.0, weight = 0.0;
      for (int j = static_cast<int>(b0); j < b1; ++j) {
        const double wy = std::min(b1, j + 1.0) - std::max(b0, static_cast<double>(j));
        for (int i = static_cast<int>(a0); i < a1; ++i) {
          const std::size_t cell =
              static_cast<std::size_t>(j) * static_cast<std::size_t>(nx) + static_cast<std::size_t>(i);
          const double w = wy * (std::min(a1, i + 1.0) - std::max(a0, static_cast<double>(i))) * cellShares[cell];
          sum += w * cells[cell];
          weight += w;
        }
      }
      if (weight <= 0.0) continue;
      const std::size_t pixel =
          static_cast<std::size_t>(r) * static_cast<std::size_t>(gw) + static_cast<std::size_t>(c);
      heights[pixel] = static_cast<float>(sum / weight);
      shares[pixel] = static_cast<float>(std::min(1.0, weight / footprint));
    }
  return true;
}

}  // namespace quarnby::dem
