#include "demo/terragen_builder.h"

#include <algorithm>
#include <cstring>

namespace quarnby::demo {
namespace {

void put16(std::vector<std::uint8_t>& out, int v) {
  out.push_back(static_cast<std::uint8_t>(v & 0xFF));
  out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}
void putText(std::vector<std::uint8_t>& out, const char* text) {
  out.insert(out.end(), text, text + std::strlen(text));
}
void putFloat(std::vector<std::uint8_t>& out, float v) {
  std::uint8_t b[4];
  std::memcpy(b, &v, 4);
  out.insert(out.end(), b, b + 4);
}
void pointChunk(std::vector<std::uint8_t>& out, const char* marker, int value) {
  putText(out, marker);
  put16(out, value);
  put16(out, 0);
}

}  // namespace

std::vector<std::uint8_t> TerragenBuilder::bytes() const {
  std::vector<std::uint8_t> out;
  putText(out, "TERRAGENTERRAIN ");
  pointChunk(out, "SIZE", std::min(xPoints, yPoints) - 1);
  if (pointChunks) {
    pointChunk(out, "XPTS", xPoints);
    pointChunk(out, "YPTS", yPoints);
  }
  if (cameraChunks) {
    putText(out, "SCAL");
    for (int i = 0; i < 3; ++i) putFloat(out, 30.0f);
    putText(out, "CRAD");
    putFloat(out, 6370.0f);
    putText(out, "CRVM");
    put16(out, 0);
    put16(out, 0);
  }
  putText(out, "ALTW");
  put16(out, heightScale);
  put16(out, baseHeight);
  for (std::int16_t s : samples) put16(out, s);
  putText(out, "EOF ");
  return out;
}

}  // namespace quarnby::demo
