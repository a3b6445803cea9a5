#include "sites/forest_clearing.h"

#include <cstdint>

namespace quarnby {
namespace {

constexpr std::uint8_t kForest = 5;
constexpr long long kLastClearedCell = 262142;

}  // namespace

void ClearForest(const ParameterSet& params, CellGrid& types, long long p) {
  if (p < 1) return;
  const long long t = typePosOfElevPos(p);
  if (t < 1 || t > kLastClearedCell) return;
  const std::uint8_t type = types.atPos(t);
  const int replacement = params.choice("Combo26");
  if (replacement < 0) return;  // nothing picked: Modify Terrain refuses to start this way
  if (type == kForest) types.setPos(t, static_cast<std::uint8_t>(replacement));
}

}  // namespace quarnby
