#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "dem/gdal_support.h"

namespace quarnby::dem {

// The class code of `source`'s band 1 under the centre of every pixel of `grid` (rows from
// the north, as GDAL's), from the source cell the centre falls in: never interpolated.
// Where the source has no data or does not reach, `codes` keeps what it held. Only the
// blocks that hold a pixel centre are read, in the source's own order, and the centres are
// carried into the source once, so the memory stays that of the grid whatever the source's
// size. False when GDAL could not read the source; `problem` then says why.
bool sampleNearest(GDALDatasetH source, GDALDatasetH grid, std::vector<std::int32_t>& codes, std::string& problem);

// The mean of `source`'s band 1 over each pixel of `grid` (as the source's own values, before
// scale and offset) where the source reaches it, `empty` elsewhere, and the share of the
// pixel's footprint that mean stands for (less than 1 at the source's edges and holes). Only
// the part of the source under the grid is read, once, strip by strip, averaged onto cells
// about a third of a grid pixel wide; each pixel then weighs those cells by the share of its
// footprint they cover, so the memory is bounded by the grid and the result lies close to
// GDAL's exact average. `goOn` is told the share read and may stop it. False when stopped
// or when GDAL could not read the source; `problem` then says why, or is empty when stopped.
bool averageOnto(GDALDatasetH source, GDALDatasetH grid, float empty, std::vector<float>& heights,
                 std::vector<float>& shares, const std::function<bool(double)>& goOn, std::string& problem);

}  // namespace quarnby::dem
