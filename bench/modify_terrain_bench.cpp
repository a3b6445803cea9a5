// Modify Terrain on a full-size terrain with 500 objects and every option on.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "bench_support.h"
#include "core/context.h"
#include "sites/modify_terrain.h"
#include "terrain/file_io.h"

namespace quarnby {
namespace {

using bench::BenchTerrain;
using bench::SilentHost;

// Forest on the upper slopes, a sub-type grid, and 500 objects spread over the map, a
// third of them airfields of every size.
void addSites(const BenchTerrain& terrain) {
  CellGrid types;
  for (int tr = 0; tr < kTypeSize; ++tr)
    for (int tc = 0; tc < kTypeSize; ++tc) {
      const std::int16_t height = terrain.elevation().at(2 * tr, 2 * tc);
      types.set(tr, tc, height <= 0 ? 0 : height > 2000 ? 5 : 3);
    }
  types.save(terrain.file(".typ"));
  replaceFile(terrain.file(".SYP"), std::vector<std::uint8_t>(kTypeBytes, 9));

  const char* codes[] = {"HQT", "GMS", "TWN", "CIT", "AAF", "AMF", "BAF", "FUF", "RDF"};
  const char* names[] = {"LAFLD0", "MAFLD0", "SAFLD0", "SAFLD1", "PORT0", "TOWN"};
  const char* rotations[] = {"0", "1.5", "-1.5", "3.1"};
  std::string objects = "Objects,500\r\n";
  for (int i = 0; i < 500; ++i) {
    const long long x = (static_cast<long long>(i) * 7919 % 1000 - 500) * 2640;
    const long long z = (static_cast<long long>(i) * 104729 % 1000 - 500) * 2640;
    objects += "001" + std::string(codes[i % 9]) + "," + names[i % 6] + "," + std::to_string(x) + ",0," +
               std::to_string(z) + ",0,0," + rotations[i % 4] + ",0,0,0,0,0,0,0,0,0," + std::to_string(i % 2) + "\r\n";
  }
  replaceFile(terrain.file(".oba"), objects);
}

void BM_ModifyTerrain(benchmark::State& state) {
  BenchTerrain terrain;
  addSites(terrain);
  ParameterSet params;
  for (const char* option : {"LevelTerr", "Check1", "Check2", "Check3"}) params.setSwitch(option, 1);
  params.setChoice("Combo25", 1);
  params.setChoice("Combo26", 3);
  SilentHost host;
  RandomSource random;
  Context cx{params, terrain.folder(), host, random};
  for (auto _ : state)
    if (Command2_Click(cx) != Outcome::Completed) state.SkipWithError("Modify Terrain ended early");
}
BENCHMARK(BM_ModifyTerrain)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quarnby
