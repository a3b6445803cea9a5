#pragma once
#include <span>
#include <string>

namespace quarnby::dem {

// "a, b, c": the items in order, each once.
std::string joinedText(std::span<const std::string> items);

// GDAL's resampling methods the import offers, as "near, bilinear, ...".
std::string resamplingNamesText();

}  // namespace quarnby::dem
