#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace quarnby::demo {

// A Terragen height field built in memory (for the demo terrain and the tests): the header, SIZE, the optional
// XPTS/YPTS and SCAL/CRAD/CRVM chunks, ALTW with the samples (row 0 first), "EOF ".
struct TerragenBuilder {
  int xPoints = 1025;
  int yPoints = 1025;
  bool pointChunks = true;           // XPTS and YPTS
  bool cameraChunks = true;          // SCAL, CRAD and CRVM
  std::int16_t heightScale = 16384;  // a quarter unit per raw step
  std::int16_t baseHeight = 0;
  std::vector<std::int16_t> samples = std::vector<std::int16_t>(1025 * 1025, 0);

  std::int16_t& at(int r, int c) { return samples[static_cast<std::size_t>(r) * xPoints + c]; }
  void fill(std::int16_t raw) { samples.assign(samples.size(), raw); }
  std::vector<std::uint8_t> bytes() const;
};

}  // namespace quarnby::demo
