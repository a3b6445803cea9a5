// The three map images on a full-size terrain.
#include <benchmark/benchmark.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "bench_support.h"
#include "core/context.h"
#include "maps/make_map.h"
#include "terrain/file_io.h"
#include "terrain/track_file.h"

namespace quarnby {
namespace {

// 200 tracks of up to 13 points and 2000 objects spread over the grid.
void writeTracksAndObjects(const bench::BenchTerrain& terrain) {
  std::string tracks = trackCountLine(200);
  for (int t = 0; t < 200; ++t) {
    std::vector<TrackSample> points;
    long long c = 50 + (t * 37) % 900, r = 50 + (t * 53) % 900;
    for (int i = 0; i < 13; ++i) {
      points.push_back({c, r, 0});
      (i % 2 ? r : c) += 3 + (t + i) % 5;
    }
    tracks += trackRecordText(t % 3, "A01HQT", points);
  }
  std::string objects = "Objects\r\n";
  const char* codes[] = {"HQT", "GMS", "TWN", "CIT", "AAF", "AMF", "BAF", "FUF", "RDF"};
  for (int i = 0; i < 2000; ++i)
    objects += std::string("A01") + codes[i % 9] + ",Site," + std::to_string((i * 7919) % 2600000 - 1300000) + ",0," +
               std::to_string((i * 104729) % 2600000 - 1300000) + ",0,0,0,0,0,0,0,0,0,0,0,0,1\r\n";
  if (replaceFile(terrain.file(".tra"), tracks) || replaceFile(terrain.file(".oba"), objects))
    throw std::runtime_error("cannot write the bench tracks and objects");
}

void makeMap(benchmark::State& state, const char* option) {
  bench::BenchTerrain terrain;
  writeTracksAndObjects(terrain);
  ParameterSet params;
  params.setOption(option, true);
  bench::SilentHost host;
  RandomSource random;
  Context cx{params, terrain.folder(), host, random};
  for (auto _ : state)
    if (Command3_Click(cx) != Outcome::Completed) state.SkipWithError("Make Map ended early");
}

void BM_ColourMap(benchmark::State& state) { makeMap(state, "MapOp1"); }
void BM_RoadMap(benchmark::State& state) { makeMap(state, "MapOp2"); }
void BM_ObjectDots(benchmark::State& state) { makeMap(state, "MapOp3"); }
BENCHMARK(BM_ColourMap)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RoadMap)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ObjectDots)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quarnby
