#pragma once
#include <cstddef>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "dem/dem_source.h"
#include "dem/theatre.h"

namespace quarnby::dem {

using geo::isResamplingName;
using geo::resamplingNames;

// Told the share of the warp done (0..1); returns false to stop it.
using WarpProgress = std::function<bool(double done)>;

struct TheatreHeights {
  // Metres above the sea for every theatre sample, row 0 the southern edge; NaN where no
  // source gave a height.
  std::vector<float> metres;
  std::size_t uncovered = 0;             // samples that no source gave a height
  std::vector<std::string> resamplings;  // the method used for each source, in order
};

enum class WarpResult { Done, Cancelled, Failed };

// Does any of the sources reach into the theatre?
bool sourcesTouchTheatre(std::span<const SourceInfo> sources, GeoPoint centre);

// Warps the sources onto the theatre grid in order, a later source winning where it has a
// height, converting feet and the band's scale and offset to metres. On failure `problem`
// is the message for the user.
WarpResult warpSources(std::span<const SourceInfo> sources, GeoPoint centre, const std::string& resampling,
                       const WarpProgress& progress, TheatreHeights& out, std::string& problem);

}  // namespace quarnby::dem
