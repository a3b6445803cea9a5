// The floor under every operation: reading the bytes it reads and writing the bytes it
// writes, whole files through the same safe replace, with no work in between.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>
#include <stdexcept>
#include <vector>

#include "terrain/file_io.h"

namespace quarnby {
namespace {

void BM_CopyFloor(benchmark::State& state) {
  std::string pattern = (std::filesystem::temp_directory_path() / "quarnby-floor-XXXXXX").string();
  if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary folder");
  const std::filesystem::path folder = pattern;
  const auto readBytes = static_cast<std::size_t>(state.range(0));
  const auto writeBytes = static_cast<std::size_t>(state.range(1));
  const auto input = folder / "in";
  replaceFile(input, std::vector<std::uint8_t>(readBytes, 7));
  std::vector<std::uint8_t> output(writeBytes, 9);
  std::string error;
  for (auto _ : state) {
    if (readBytes > 0) {
      auto bytes = readWholeFile(input, readLimit::kBinary, error);
      benchmark::DoNotOptimize(bytes);
    }
    if (writeBytes > 0) replaceFile(folder / "out", output);
  }
  std::filesystem::remove_all(folder);
}

// Bytes read and written by each operation on a full-size terrain (see scripts/bench_report.py).
BENCHMARK(BM_CopyFloor)
    ->Unit(benchmark::kMillisecond)
    ->Args({600, 0})                    // start-up with a settings file
    ->Args({2097152, 262144})           // Set Type
    ->Args({262144, 262144})            // Set Sub-Types
    ->Args({2621440 + 40000, 2621440})  // Modify Terrain: three grids and the object file
    ->Args({2359296 + 20000, 70000})    // Make Tracks
    ->Args({2101334, 0})                // Find Units, Terragen
    ->Args({2101334, 2097152})          // Set Elevation, Terragen
    ->Args({1049656, 0})                // Find Units, greyscale
    ->Args({1049656, 2097152})          // Set Elevation, greyscale
    ->Args({2097152, 1049656})          // Export
    ->Args({2359296, 1048676})          // Make Map, colour map
    ->Args({2359296 + 70000, 1048676})  // Make Map, road map or object dots
    ;

}  // namespace
}  // namespace quarnby
