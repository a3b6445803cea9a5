// Make Tracks on a full-size terrain with a full object table.
#include <benchmark/benchmark.h>

#include <stdexcept>
#include <string>

#include "bench_support.h"
#include "core/context.h"
#include "terrain/file_io.h"
#include "tracks/make_tracks.h"

namespace quarnby {
namespace {

// 257 qualifying objects on a 16 x 17 lattice over sea and hills: an HQ per side, ports
// on the sea, supply objects (every other one a town that supersedes), airfields.
std::string fullObjectTable() {
  static const char* kAirfields[] = {"AAF", "AMF", "BAF", "FUF", "RDF"};
  std::string text = "\"Bench theatre\",257\r\n";
  for (int i = 0; i < 257; ++i) {
    const int r = 40 + (i / 16) * 58;
    const int c = 40 + (i % 16) * 62;
    const int side = i % 6;  // 3 to 5 stand for 0 to 2
    const std::string prefix = "S" + std::string(i % 90 < 9 ? "0" : "") + std::to_string(i % 90 + 1);
    std::string lead, site;
    if (i < 3) {
      lead = prefix + "HQT";
      site = "HQ";
    } else if (c < 200) {
      lead = prefix + "GMS";
      site = "PORT0";
    } else if (i % 3 == 0) {
      lead = prefix + "GMS";
      site = i % 2 ? "TOWN0" : "DEPOT0";
    } else {
      lead = prefix + kAirfields[i % 5];
      site = "LAFLD0";
    }
    text += lead + "," + site + "," + std::to_string((c - 512) * 2640) + ",0," + std::to_string((r - 512) * 2640) +
            ",0,0,0,0,0,0,0,0,0,0,0,0," + std::to_string(side) + "\r\n";
  }
  return text;
}

void runMakeTracks(benchmark::State& state, const char* road, const char* railway, const char* river) {
  bench::BenchTerrain terrain;
  if (replaceFile(terrain.file(".oba"), fullObjectTable())) throw std::runtime_error("cannot write the bench objects");
  ParameterSet params;
  params.setText("LenRoad", road);
  params.setText("LenTrack", railway);
  params.setText("LenRiver", river);
  bench::SilentHost host;
  RandomSource random;
  Context cx{params, terrain.folder(), host, random};
  for (auto _ : state)
    if (MakeTracks_Click(cx) != Outcome::Completed) state.SkipWithError("Make Tracks ended early");
}

void BM_MakeTracks(benchmark::State& state) { runMakeTracks(state, "8", "10", "3"); }
BENCHMARK(BM_MakeTracks)->Unit(benchmark::kMillisecond);

void BM_MakeTracksLongest(benchmark::State& state) { runMakeTracks(state, "11", "12", "12"); }
BENCHMARK(BM_MakeTracksLongest)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quarnby
