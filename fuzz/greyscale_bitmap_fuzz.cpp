// The greyscale bitmap reader on any bytes: fixed offsets, no header checks, no reads
// past the end.
#include <cstdint>
#include <vector>

#include "terrain/greyscale_bitmap.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  quarnby::GreyscaleBitmap bitmap(std::vector<std::uint8_t>(data, data + size));
  unsigned sum = 0;
  for (int r = 0; r < 1024; r += 97)
    for (int c = 0; c < 1024; c += 89) sum += bitmap.pixel(r, c);
  return static_cast<int>(sum & 0);
}
