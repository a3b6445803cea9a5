#include "dem/grid_sampling.h"

#include <gdal_alg.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>

namespace quarnby::dem {
namespace {

constexpr int kWindowCells = 512;

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

// The source cell under each grid pixel's centre, or -1 where there is none.
struct Cells {
  std::vector<std::int32_t> col, row;
};

bool cellsUnderGrid(GDALDatasetH source, GDALDatasetH grid, Cells& cells) {
  const GridToSource transform(source, grid);
  const int gw = GDALGetRasterXSize(grid), gh = GDALGetRasterYSize(grid);
  const double sw = GDALGetRasterXSize(source), sh = GDALGetRasterYSize(source);
  const std::size_t n = static_cast<std::size_t>(gw) * static_cast<std::size_t>(gh);
  cells.col.assign(n, -1);
  cells.row.assign(n, -1);
  std::vector<double> x(static_cast<std::size_t>(gw)), y(x.size()), z(x.size());
  std::vector<int> ok(x.size());
  for (int r = 0; r < gh; ++r) {
    for (int c = 0; c < gw; ++c) {
      x[static_cast<std::size_t>(c)] = c + 0.5;
      y[static_cast<std::size_t>(c)] = r + 0.5;
      z[static_cast<std::size_t>(c)] = 0.0;
    }
    if (!transform.carry(x, y, z, ok)) return false;
    for (int c = 0; c < gw; ++c) {
      const auto i = static_cast<std::size_t>(c);
      if (!ok[i] || !(x[i] >= 0.0 && x[i] < sw && y[i] >= 0.0 && y[i] < sh)) continue;
      const std::size_t k = static_cast<std::size_t>(r) * static_cast<std::size_t>(gw) + i;
      cells.col[k] = static_cast<std::int32_t>(x[i]);
      cells.row[k] = static_cast<std::int32_t>(y[i]);
    }
  }
  return true;
}

// How a band's cells are read: small integers as they are, other numbers as doubles that
// are rounded to a code the way GDAL's warper writes them into an Int32 grid.
struct BandReading {
  GDALRasterBandH band;
  GDALRasterBandH mask = nullptr;  // a mask to read beside the cells, when no data is not a value
  bool hasNoData = false;
  double noData = 0.0;

  template <typename T>
  bool isNoData(T v) const {
    if constexpr (std::is_floating_point_v<T>) {
      if (std::isnan(v)) return true;
      return hasNoData && v == noData;
    } else {
      return hasNoData && static_cast<double>(v) == noData;
    }
  }
  template <typename T>
  static std::int32_t code(T v) {
    if constexpr (std::is_floating_point_v<T>) {
      std::int32_t out = 0;
      GDALCopyWords(&v, GDT_Float64, 0, &out, GDT_Int32, 0, 1);
      return out;
    } else {
      return static_cast<std::int32_t>(v);
    }
  }
};

struct Window {
  int x0, y0, w, h;
};

template <typename T>
bool readWindow(GDALRasterBandH band, GDALDataType type, const Window& w, std::vector<T>& cells) {
  cells.resize(static_cast<std::size_t>(w.w) * static_cast<std::size_t>(w.h));
  return GDALRasterIO(band, GF_Read, w.x0, w.y0, w.w, w.h, cells.data(), w.w, w.h, type, 0, 0) == CE_None;
}

template <typename T>
bool sampleBlocks(const BandReading& reading, GDALDataType type, const Cells& cells, std::vector<std::int32_t>& codes) {
  int bw = 0, bh = 0;
  GDALGetBlockSize(reading.band, &bw, &bh);
  // Windows of whole blocks, at least 512 cells each way: a VRT's blocks are small, and
  // each read pays for the tiles of its sources it touches.
  auto whole = [](int block) {
    block = std::max(block, 1);
    return block * ((kWindowCells + block - 1) / block);
  };
  bw = whole(bw);
  bh = whole(bh);
  const int sourceHeight = GDALGetRasterBandYSize(reading.band);
  const std::size_t blockRows = static_cast<std::size_t>((sourceHeight + bh - 1) / bh);

  // The points, grouped by the row of blocks they fall in (a counting sort).
  std::vector<std::size_t> start(blockRows + 1, 0);
  for (std::int32_t row : cells.row)
    if (row >= 0) ++start[static_cast<std::size_t>(row / bh) + 1];
  for (std::size_t b = 0; b < blockRows; ++b) start[b + 1] += start[b];
  std::vector<std::size_t> order(start.back()), next(start.begin(), start.end() - 1);
  for (std::size_t k = 0; k < cells.row.size(); ++k)
    if (cells.row[k] >= 0) order[next[static_cast<std::size_t>(cells.row[k] / bh)]++] = k;

  std::vector<T> values;
  std::vector<std::uint8_t> valid;
  for (std::size_t b = 0; b < blockRows; ++b) {
    const auto first = order.begin() + static_cast<std::ptrdiff_t>(start[b]);
    const auto last = order.begin() + static_cast<std::ptrdiff_t>(start[b + 1]);
    std::sort(first, last, [&](std::size_t a, std::size_t c) { return cells.col[a] / bw < cells.col[c] / bw; });
    for (auto group = first; group != last;) {
      const std::int32_t blockCol = cells.col[*group] / bw;
      auto end = group;
      int x0 = INT32_MAX, x1 = -1, y0 = INT32_MAX, y1 = -1;
      for (; end != last && cells.col[*end] / bw == blockCol; ++end) {
        x0 = std::min(x0, cells.col[*end]);
        x1 = std::max(x1, cells.col[*end]);
        y0 = std::min(y0, cells.row[*end]);
        y1 = std::max(y1, cells.row[*end]);
      }
      // Only the part of the block under the points: the source decodes the block once.
      const Window w{x0, y0, x1 - x0 + 1, y1 - y0 + 1};
      if (!readWindow(reading.band, type, w, values)) return false;
      if (reading.mask && !readWindow(reading.mask, GDT_Byte, w, valid)) return false;
      for (auto p = group; p != end; ++p) {
        const std::size_t i = static_cast<std::size_t>(cells.row[*p] - y0) * static_cast<std::size_t>(w.w) +
                              static_cast<std::size_t>(cells.col[*p] - x0);
        if (reading.mask ? valid[i] == 0 : reading.isNoData(values[i])) continue;
        codes[*p] = BandReading::code(values[i]);
      }
      group = end;
    }
  }
  return true;
}

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

}  // namespace

bool sampleNearest(GDALDatasetH source, GDALDatasetH grid, std::vector<std::int32_t>& codes, std::string& problem) {
  Cells cells;
  if (!cellsUnderGrid(source, grid, cells)) {
    problem = "its cells cannot be placed on the theatre.";
    return false;
  }
  BandReading reading{GDALGetRasterBand(source, 1)};
  int hasNoData = 0;
  reading.noData = GDALGetRasterNoDataValue(reading.band, &hasNoData);
  reading.hasNoData = hasNoData != 0;
  const int flags = GDALGetMaskFlags(reading.band);
  if (!(flags & GMF_ALL_VALID) && !(flags & GMF_NODATA)) reading.mask = GDALGetMaskBand(reading.band);

  bool read = false;
  switch (GDALGetRasterDataType(reading.band)) {
    case GDT_Byte: read = sampleBlocks<std::uint8_t>(reading, GDT_Byte, cells, codes); break;
    case GDT_Int16:
    case GDT_UInt16:
    case GDT_Int32: read = sampleBlocks<std::int32_t>(reading, GDT_Int32, cells, codes); break;
    default: read = sampleBlocks<double>(reading, GDT_Float64, cells, codes); break;
  }
  if (!read) problem = "GDAL could not read its cells.";
  return read;
}

}  // namespace quarnby::dem

namespace quarnby::dem {

bool averageOnto(GDALDatasetH source, GDALDatasetH grid, float empty, std::vector<float>& heights,
                 std::string& problem) {
  const GridToSource transform(source, grid);
  const int gw = GDALGetRasterXSize(grid), gh = GDALGetRasterYSize(grid);
  const int sw = GDALGetRasterXSize(source), sh = GDALGetRasterYSize(source);
  heights.assign(static_cast<std::size_t>(gw) * static_cast<std::size_t>(gh), empty);
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
  const int nx = (sx1 - sx0 + fx - 1) / fx, ny = (sy1 - sy0 + fy - 1) / fy;
  const double kx = static_cast<double>(sx1 - sx0) / nx, ky = static_cast<double>(sy1 - sy0) / ny;
  std::vector<float> cells(static_cast<std::size_t>(nx) * static_cast<std::size_t>(ny));
  GDALRasterBandH band = GDALGetRasterBand(source, 1);
  GDALRasterIOExtraArg extra;
  INIT_RASTERIO_EXTRA_ARG(extra);
  extra.eResampleAlg = GRIORA_Average;
  if (GDALRasterIOEx(band, GF_Read, sx0, sy0, sx1 - sx0, sy1 - sy0, cells.data(), nx, ny, GDT_Float32, 0, 0, &extra) !=
      CE_None) {
    problem = "GDAL could not read its cells.";
    return false;
  }
  int hasNoData = 0;
  const double noData = GDALGetRasterNoDataValue(band, &hasNoData);
  const float noDataCell = static_cast<float>(noData);
  for (float& cell : cells)
    if (std::isnan(cell) || (hasNoData && cell == noDataCell)) cell = std::numeric_limits<float>::quiet_NaN();

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
      a0 = std::max(a0, 0.0);
      b0 = std::max(b0, 0.0);
      a1 = std::min(a1, static_cast<double>(nx));
      b1 = std::min(b1, static_cast<double>(ny));
      double sum = 0.0, weight = 0.0;
      for (int j = static_cast<int>(b0); j < b1; ++j) {
        const double wy = std::min(b1, j + 1.0) - std::max(b0, static_cast<double>(j));
        for (int i = static_cast<int>(a0); i < a1; ++i) {
          const float cell =
              cells[static_cast<std::size_t>(j) * static_cast<std::size_t>(nx) + static_cast<std::size_t>(i)];
          if (std::isnan(cell)) continue;
          const double w = wy * (std::min(a1, i + 1.0) - std::max(a0, static_cast<double>(i)));
          sum += w * cell;
          weight += w;
        }
      }
      if (weight > 0.0)
        heights[static_cast<std::size_t>(r) * static_cast<std::size_t>(gw) + static_cast<std::size_t>(c)] =
            static_cast<float>(sum / weight);
    }
  return true;
}

}  // namespace quarnby::dem
