// The Terragen reader on any bytes: it accepts a 1025 x 1025 field or says why not.
#include <cstdint>
#include <string>
#include <vector>

#include "terrain/terragen_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string problem;
  auto file = quarnby::TerragenFile::parse(std::vector<std::uint8_t>(data, data + size), problem);
  if (!file) {
    if (problem.empty()) __builtin_trap();
    return 0;
  }
  for (int r : {0, 512, 1024})
    for (int c : {0, 777, 1024}) (void)file->units(file->rawSample(r, c));
  return 0;
}
