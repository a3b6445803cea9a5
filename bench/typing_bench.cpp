// The terrain typing operations on a full-size terrain.
#include <benchmark/benchmark.h>

#include "bench_support.h"
#include "core/context.h"
#include "typing/set_type.h"
#include "typing/sub_types.h"

namespace quarnby {
namespace {

void BM_SetType(benchmark::State& state) {
  bench::BenchTerrain terrain;
  ParameterSet params;  // the laid-out bands: farms in bands 5 and 9 meet the slope rule
  bench::SilentHost host;
  RandomSource random;
  Context cx{params, terrain.folder(), host, random};
  for (auto _ : state)
    if (Command1_Click(cx) != Outcome::Completed) state.SkipWithError("Set Type ended early");
}
BENCHMARK(BM_SetType)->Unit(benchmark::kMillisecond);

void BM_SetSubTypes(benchmark::State& state) {
  bench::BenchTerrain terrain;
  ParameterSet params;
  bench::SilentHost host;
  RandomSource random;
  Context cx{params, terrain.folder(), host, random};
  for (auto _ : state)
    if (SetSubTypes_Click(cx) != Outcome::Completed) state.SkipWithError("Set Sub-Types ended early");
}
BENCHMARK(BM_SetSubTypes)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quarnby
