#pragma once
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace quarnby::demo {

inline constexpr std::uint32_t kDefaultSeed = 1944;
inline constexpr int kFieldSize = 1025;  // height-field points per side

// Heights in feet of a 1025 x 1025 height field, row 0 the southern edge: open sea at
// the edges, a coast with islands, plains, river valleys, hills and mountains up to
// about 12,000 feet. The same seed gives the same land.
std::vector<std::int16_t> demoHeights(std::uint32_t seed);

// The object file of the demo theatre for those heights: two header lines, then three
// sides, each with its HQ, airfields of every site name and rotation, supply objects
// with ports and towns, cities, towns and the other site kinds. Each port lies at a coast
// with a bay before it, which is dredged in `heights` so that its river track finds water.
std::string demoObjectFile(std::vector<std::int16_t>& heights, std::uint32_t seed);

// The height field as a Terragen file: "TERRAGENTERRAIN ", SIZE, XPTS, YPTS, SCAL, CRAD,
// CRVM, ALTW (height scale 16384, base 0, so a raw value v is v / 4 units), "EOF ".
// File rows run north first, so the window's "Invert '*.ter' order" puts them in place.
std::vector<std::uint8_t> terragenFile(const std::vector<std::int16_t>& heights);

// Writes the terrain folder `parent`/Demo (Demo.ter, Demo_elv.bmp, Demo.oba) and, in
// `parent`, a settings file quarnby.cfg tuned for it. Returns the error text on failure.
std::optional<std::string> writeDemoTerrain(const std::filesystem::path& parent, std::uint32_t seed = kDefaultSeed);

}  // namespace quarnby::demo
