// Start-up and the band thresholds: the operations that run before any terrain file.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "app/settings_file.h"
#include "bench_support.h"
#include "core/context.h"
#include "typing/altitude_intervals.h"

namespace quarnby {
namespace {

using bench::SilentHost;

void BM_SetIntervals(benchmark::State& state) {
  ParameterSet params;
  SilentHost host;
  RandomSource random;
  Context cx{params, "/tmp/Bench", host, random};
  for (auto _ : state) SetAltIntervals_Click(cx);
}
BENCHMARK(BM_SetIntervals);

void BM_StartUpWithoutSettingsFile(benchmark::State& state) {
  SilentHost host;
  RandomSource random;
  for (auto _ : state) {
    ParameterSet params;
    Context cx{params, "/tmp/Bench", host, random, "/nonexistent/quarnby.cfg"};
    Form_Load(cx);
  }
}
BENCHMARK(BM_StartUpWithoutSettingsFile);

void BM_StartUpWithSettingsFile(benchmark::State& state) {
  SilentHost host;
  RandomSource random;
  const auto file = std::filesystem::temp_directory_path() / "quarnby-bench.cfg";
  {
    ParameterSet params;
    Context cx{params, "/tmp/Bench", host, random, file};
    Form_Load(cx);
    SaveConfig_Click(cx);
  }
  for (auto _ : state) {
    ParameterSet params;
    Context cx{params, "/tmp/Bench", host, random, file};
    Form_Load(cx);
  }
  std::filesystem::remove(file);
}
BENCHMARK(BM_StartUpWithSettingsFile);

}  // namespace
}  // namespace quarnby
