// The elevation imports, the export and the range finders on full-size sources.
#include <benchmark/benchmark.h>

#include <array>
#include <cstring>

#include "bench_support.h"
#include "core/context.h"
#include "elevation/greyscale_export.h"
#include "elevation/greyscale_import.h"
#include "elevation/range_finders.h"
#include "elevation/terragen_import.h"
#include "terrain/file_io.h"

namespace quarnby {
namespace {

// The bench terrain with its height field beside it: 1025 x 1025 samples in the usual
// chunk sequence, a quarter unit per raw step, the grid's feet as raw values (the spare
// row and column repeat the last ones), and the greyscale bitmap the export makes.
struct ElevationSources {
  bench::BenchTerrain terrain;
  ParameterSet params;
  bench::SilentHost host;
  RandomSource random;
  Context cx{params, terrain.folder(), host, random};

  ElevationSources() {
    std::vector<std::uint8_t> field;
    auto put = [&](const void* bytes, std::size_t n) {
      const auto* b = static_cast<const std::uint8_t*>(bytes);
      field.insert(field.end(), b, b + n);
    };
    auto put16 = [&](int v) {
      const std::array<std::uint8_t, 2> b = {static_cast<std::uint8_t>(v & 0xFF),
                                             static_cast<std::uint8_t>((v >> 8) & 0xFF)};
      put(b.data(), 2);
    };
    put("TERRAGENTERRAIN SIZE", 20);
    put16(1024), put16(0);
    for (const char* marker : {"XPTS", "YPTS"}) put(marker, 4), put16(1025), put16(0);
    const std::array<float, 5> camera = {30.0f, 30.0f, 30.0f, 6370.0f, 0.0f};
    put("SCAL", 4), put(camera.data(), 12), put("CRAD", 4), put(&camera[3], 4), put("CRVM", 4), put(&camera[4], 4);
    put("ALTW", 4), put16(16384), put16(0);
    for (int r = 0; r < 1025; ++r)
      for (int c = 0; c < 1025; ++c) put16(terrain.elevation().at(std::min(r, 1023), std::min(c, 1023)));
    put("EOF ", 4);
    if (replaceFile(terrain.file(".ter"), field)) throw std::runtime_error("cannot write the bench height field");

    params.setText("MaxUnits", "3000");
    params.setText("slUnits", "0");
    params.setText("MaxAlt", "14000");
    params.setText("MaxSmothAlt", "3000");
    params.setText("unitExp", "2");
    params.setOption("MapSize512", true);
    if (ExpBmp_Click(cx) != Outcome::Completed) throw std::runtime_error("cannot export the bench bitmap");
  }
};

void run(benchmark::State& state, Outcome (*operation)(Context&), bool size256 = false) {
  ElevationSources sources;
  if (size256) sources.params.setOption("MapSize256", true);
  for (auto _ : state)
    if (operation(sources.cx) != Outcome::Completed) state.SkipWithError("the operation ended early");
}

void BM_FindUnitsTerragen(benchmark::State& state) { run(state, FindMaxMinUnits_Click); }
void BM_SetElevationTerragen(benchmark::State& state) { run(state, SetElv_Click); }
void BM_SetElevationTerragen256(benchmark::State& state) { run(state, SetElv_Click, true); }
void BM_FindUnitsGreyscale(benchmark::State& state) { run(state, FindMaxMinUnitsBmp_Click); }
void BM_SetElevationGreyscale(benchmark::State& state) { run(state, SetElvGrey_Click); }
void BM_ExportGreyscale(benchmark::State& state) { run(state, ExpBmp_Click); }

BENCHMARK(BM_FindUnitsTerragen)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SetElevationTerragen)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SetElevationTerragen256)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindUnitsGreyscale)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SetElevationGreyscale)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportGreyscale)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quarnby
