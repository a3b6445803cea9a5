#include "bench_support.h"

#include <unistd.h>

#include <cmath>
#include <stdexcept>

namespace quarnby::bench {

BenchTerrain::BenchTerrain() {
  std::string pattern = (std::filesystem::temp_directory_path() / "quarnby-bench-XXXXXX").string();
  if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary folder");
  root_ = pattern;
  folder_ = root_ / "Bench";
  std::filesystem::create_directory(folder_);

  // Rolling hills rising from a western sea, with a ragged coast.
  for (int r = 0; r < kElevSize; ++r)
    for (int c = 0; c < kElevSize; ++c) {
      const double rise =
          (c - 200) * 12.0 + 900.0 * std::sin(r / 37.0) * std::cos(c / 23.0) + 400.0 * std::sin((r + c) / 7.0);
      elevation_.set(r, c, static_cast<std::int16_t>(std::lround(std::fmax(0.0, std::fmin(12000.0, rise)))));
    }
  if (elevation_.save(file(".elv"))) throw std::runtime_error("cannot write the bench elevation grid");
  CellGrid types;
  for (int tr = 0; tr < kTypeSize; ++tr)
    for (int tc = 0; tc < kTypeSize; ++tc) types.set(tr, tc, elevation_.at(2 * tr, 2 * tc) > 0 ? 3 : 0);
  if (types.save(file(".typ"))) throw std::runtime_error("cannot write the bench type grid");
}

BenchTerrain::~BenchTerrain() {
  std::error_code ec;
  std::filesystem::remove_all(root_, ec);
}

std::filesystem::path BenchTerrain::file(const std::string& suffix) const { return folder_ / ("Bench" + suffix); }

}  // namespace quarnby::bench
