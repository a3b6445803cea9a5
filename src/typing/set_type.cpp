#include "typing/set_type.h"

#include <array>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/numeric_text.h"
#include "core/rounding.h"
#include "terrain/file_io.h"
#include "terrain/grids.h"
#include "terrain/terrain_folder.h"

namespace quarnby {
namespace {

constexpr std::uint8_t kWater = 0;
constexpr std::uint8_t kFarm = 3;
constexpr int kTopBand = 23;

// The eight neighbours of a cell's sample, in the order both local rules test them.
// The southern and western ones exist only away from the first type row and column.
struct Neighbour {
  long long offset;
  bool needsSouth;
  bool needsWest;
};
constexpr std::array<Neighbour, 8> kNeighbours = {{
    {step::kNorth, false, false},
    {step::kEast, false, false},
    {step::kNorthEast, false, false},
    {step::kSouth, true, false},
    {step::kWest, false, true},
    {step::kNorthWest, false, true},
    {step::kSouthEast, true, false},
    {step::kSouthWest, true, true},
}};

// The first neighbour of the sample at p, in the rules' order, for which `test` holds.
template <typename Test>
bool anyNeighbour(long long p, int tr, int tc, Test test) {
  for (const Neighbour& n : kNeighbours) {
    if (n.needsSouth && tr == 0) continue;
    if (n.needsWest && tc == 0) continue;
    if (test(p + n.offset)) return true;
  }
  return false;
}

}  // namespace

Outcome Command1_Click(Context& cx) {
  cx.host.setProgress(ProgressBar::Bar1, 0);
  if (!checkTerrainFolder(cx)) return Outcome::EndedEarly;
  const auto elevationFile = terrainFile(cx.folder, suffix::kElevation);
  const auto typeFile = terrainFile(cx.folder, suffix::kType);

  std::string error;
  const auto elevation = ElevationGrid::load(elevationFile, error);
  if (!elevation) {
    cx.host.showMessage("Can't open the Elevation File:" + kCr + error, Icon::Critical);
    return Outcome::EndedEarly;
  }
  auto output = SafeFile::create(typeFile, error);
  if (!output) {
    cx.host.showMessage("Can't open the Type File:" + kCr + error, Icon::Critical);
    return Outcome::EndedEarly;
  }

  // Alt(0) is sea level; Alt(1)..Alt(22) are the upper limits of bands 1 to 22.
  std::array<float, 23> alt{};
  for (int k = 1; k <= 22; ++k) alt[k] = toSingle(cx.params.number("Text" + std::to_string(k + 3)));
  std::array<std::uint8_t, 24> typeOf{};
  for (int band = 0; band <= kTopBand; ++band) {
    const std::string combo = "Combo" + std::to_string(band + 1);
    const int choice = cx.params.choice(combo);
    if (choice < 0) {
      // Nothing picked has no type code; the old type grid stays as it was.
      cx.host.showMessage("Band " + std::to_string(band) + " has no terrain type (" + combo +
                              " is empty)." + kCrLf + "Pick a type for it; the Type File was left unchanged.",
                          Icon::Critical);
      return Outcome::EndedEarly;
    }
    typeOf[band] = static_cast<std::uint8_t>(choice);
  }

  const ElevationGrid& elev = *elevation;
  CellGrid types;
  long long n = 1;
  for (int tr = 0; tr < kTypeSize; ++tr) {
    for (int tc = 0; tc < kTypeSize; ++tc) {
      // The cell's south-west sample stands for the whole cell.
      const long long p = ElevPos(2 * tr, 2 * tc);
      const std::int16_t e = elev.atPos(p);

      int band = kTopBand;
      if (e == 0) {
        band = 0;
      } else {
        for (int k = 1; k <= 22; ++k)
          if (static_cast<float>(e) < alt[k]) {
            band = k;
            break;
          }
      }
      std::uint8_t t = typeOf[band];

      // Shore rule: water beside land takes the type of the lowest land band.
      if (t == kWater && anyNeighbour(p, tr, tc, [&](long long q) { return elev.atPos(q) > 0; })) t = typeOf[1];

      // Farm slope rule: farmland on a slope steeper than the limit gives way to a
      // neighbouring band's type. The limit is read afresh for every neighbour tested.
      if (t == kFarm) {
        const std::string& maxGrade = cx.params.text("MaxFarmGrade");
        const auto steep = [&](long long q) {
          // The true difference: samples more than 32767 feet apart are a cliff, not a wrap.
          const int difference = static_cast<int>(elev.atPos(q)) - static_cast<int>(e);
          return std::abs(difference) / kSampleSpacing * 100.0 - numericValue(maxGrade) > 0;
        };
        if (anyNeighbour(p, tr, tc, steep)) {
          if (band <= 1 || band == kTopBand) {
            t = typeOf[band];
          } else if (band <= 17) {
            t = typeOf[band - 1];
            // In the thresholds' own single precision.
            const float mid = alt[band - 1] + (alt[band] - alt[band - 1]) / 2.0f;
            const float u = cx.random.next();
            const bool lowerHalf = mid - static_cast<float>(e) > 0;
            const double draw = u;  // compared with the limits as written, not their single values
            if ((lowerHalf && draw > 0.2) || (!lowerHalf && draw > 0.8)) t = typeOf[band + 1];
          }
          // Bands 18 to 22 keep their farms.
        }
      }

      types.setPos(n, t);
      ++n;
    }
    cx.host.setProgress(ProgressBar::Bar1, tr * 100 / kTypeSize);
  }

  // The new grid replaces the old one only once it is written whole.
  output->write(types.bytes());
  if (auto failed = output->commit()) {
    cx.host.showMessage("Can't write the Type File:" + kCr + *failed + kCrLf + "The Type File was left unchanged.",
                        Icon::Critical);
    return Outcome::EndedEarly;
  }
  cx.host.showMessage("Done", Icon::Information);
  return Outcome::Completed;
}

}  // namespace quarnby
