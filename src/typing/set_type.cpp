#include "typing/set_type.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "core/numeric_text.h"
#include "core/rounding.h"
#include "steps/operation_steps.h"
#include "terrain/cover_bitmap.h"
#include "terrain/file_io.h"
#include "terrain/grids.h"
#include "terrain/terrain_folder.h"

namespace quarnby {
namespace {

constexpr std::uint8_t kWater = 0;
constexpr std::uint8_t kFarm = 3;
constexpr int kTopBand = 23;

// Where a band's type choice stands, in the window's words: beside its upper threshold,
// "SL" for the sea-level row, above the last threshold for the top band.
std::string placeOfBand(const Context& cx, int band) {
  if (band == 0) return "beside SL";
  const auto threshold = [&](int k) {
    std::string text = cx.params.text("Text" + std::to_string(k + 3));
    text.erase(0, text.find_first_not_of(' '));
    text.erase(text.find_last_not_of(' ') + 1);
    return text + " ft";
  };
  return band == kTopBand ? "above " + threshold(22) : "beside " + threshold(band);
}

// The samples around a cell's south-west sample that the local rules look at: north,
// east and north-east, then, away from the first type row, south and south-east, away
// from the first type column, west and north-west, and south-west away from both. The
// rules ask only whether any of them is above the sea or too steep, so they get the
// highest sample and the largest difference from the cell's own. `south`, `here` and
// `north` are the grid rows below, of and above the sample, x its column.
struct Around {
  int highest;
  int steepest;
};
using Row = std::array<std::int16_t, kElevSize>;
Around around(const Row& south, const Row& here, const Row& north, std::size_t x, bool firstRow, bool firstColumn) {
  const int e = here[x];
  Around a{INT_MIN, 0};
  auto take = [&](int v) {
    a.highest = std::max(a.highest, v);
    a.steepest = std::max(a.steepest, std::abs(v - e));
  };
  take(north[x]);
  take(here[x + 1]);
  take(north[x + 1]);
  if (!firstRow) {
    take(south[x]);
    take(south[x + 1]);
  }
  if (!firstColumn) {
    take(here[x - 1]);
    take(north[x - 1]);
  }
  if (!firstRow && !firstColumn) take(south[x - 1]);
  return a;
}

// The thresholds and each band's type, as the window gives them. Alt(0) is sea level;
// Alt(1)..Alt(22) are the upper limits of bands 1 to 22.
struct Bands {
  std::array<float, 23> alt{};
  std::array<std::uint8_t, 24> typeOf{};
};

// Reads the thresholds, then each band's type. A band with nothing picked has no type
// code: the user is told which, the box gets the focus, and nothing is returned.
std::optional<Bands> readBands(Context& cx) {
  Bands bands;
  for (int k = 1; k <= 22; ++k) bands.alt[k] = toSingle(cx.params.number("Text" + std::to_string(k + 3)));
  for (int band = 0; band <= kTopBand; ++band) {
    const std::string combo = "Combo" + std::to_string(band + 1);
    const int choice = cx.params.choice(combo);
    if (choice < 0) {
      // Nothing picked has no type code; the old type grid stays as it was. The box is
      // named by the threshold the user sees beside it.
      cx.host.showMessage("Band " + std::to_string(band) + " has no terrain type: the type " + placeOfBand(cx, band) +
                              " is not one of the seven types." + kCrLf +
                              "Pick a type for it; the Type File was left unchanged.",
                          Icon::Critical);
      cx.host.setFocus(combo);
      return std::nullopt;
    }
    bands.typeOf[band] = static_cast<std::uint8_t>(choice);
  }
  return bands;
}

// The band of an elevation: 0 for exactly 0, otherwise the first k from 1 to 22 with
// E < Alt(k) in single precision, else 23. Worked out once per elevation, together
// with the band's type.
struct Banded {
  std::int8_t band;
  std::uint8_t type;
};
class BandTable {
 public:
  explicit BandTable(const Bands& bands) : bands_(bands), bandOf_(65536, Banded{-1, 0}) {}
  Banded operator()(std::int16_t e) {
    Banded& known = bandOf_[static_cast<std::uint16_t>(e)];
    if (known.band < 0) {
      const int b = bandOfElevation(e);
      known = Banded{static_cast<std::int8_t>(b), bands_.typeOf[b]};
    }
    return known;
  }

 private:
  int bandOfElevation(std::int16_t e) const {
    if (e == 0) return 0;
    for (int k = 1; k <= 22; ++k)
      if (static_cast<float>(e) < bands_.alt[k]) return k;
    return kTopBand;
  }
  const Bands& bands_;
  std::vector<Banded> bandOf_;
};

// A neighbour is steep when |En - E| / 2640 x 100 - G > 0, G the farm slope limit,
// which nothing can change while the operation runs. Each step of that never falls as
// |En - E| grows, so the steep differences are those from the smallest steep one on,
// which is returned.
int smallestSteepDifference(double maxGrade) {
  auto isSteep = [&](int difference) { return difference / kSampleSpacing * 100.0 - maxGrade > 0; };
  int steepFrom = 0, notSteepBelow = 65536;  // the answer lies in steepFrom..notSteepBelow
  while (steepFrom < notSteepBelow) {
    const int middle = (steepFrom + notSteepBelow) / 2;
    if (isSteep(middle)) {
      notSteepBelow = middle;
    } else {
      steepFrom = middle + 1;
    }
  }
  return steepFrom;
}

// What the operation works from once its parameters are read; `cover` is the land cover
// layer when Set Type uses one.
struct TypeRules {
  const Bands& bands;
  BandTable& banded;
  int steepFrom;
  const CoverLayer* cover = nullptr;
};

// The type a land cover entry gives a cell above the sea, the band's type standing in
// where the entry leaves the choice to the altitude: open ground keeps the band's
// Grass, Grassy Rock, Rock or Snow, bare ground its Grassy Rock, Rock or Snow.
std::uint8_t coverType(std::uint8_t entry, std::uint8_t bandType) {
  constexpr std::uint8_t kGrass = 1, kGrassyRock = 2, kRock = 4, kSnow = 6;
  const bool rocky = bandType == kGrassyRock || bandType == kRock || bandType == kSnow;
  if (entry == kCoverOpen) return rocky || bandType == kGrass ? bandType : kGrass;
  if (entry == kCoverBare) return rocky ? bandType : kGrassyRock;
  return entry;
}

// The type of the cell at type row tr, column tc, whose south-west sample (column x of
// `here`) stands for the whole cell.
std::uint8_t cellType(Context& cx, TypeRules& rules, const Row& south, const Row& here, const Row& north, int tr,
                      int tc) {
  const auto& alt = rules.bands.alt;
  const auto& typeOf = rules.bands.typeOf;
  const auto x = static_cast<std::size_t>(2 * tc);
  const std::int16_t e = here[x];
  const auto [band, type] = rules.banded(e);
  const int b = band;
  std::uint8_t t = type;
  auto neighbours = [&] { return around(south, here, north, x, tr == 0, tc == 0); };

  // Above the sea band, land cover decides where it says something; its water (a lake, a
  // wide river) stays water, as the shore rule would otherwise drain every lake.
  const std::uint8_t entry = rules.cover && b != 0 ? rules.cover->cell(tr, tc) : kNoLandCover;
  if (entry != kNoLandCover) {
    t = coverType(entry, type);
  } else if (t == kWater && neighbours().highest > 0) {
    // Shore rule: water beside land takes the type of the lowest land band.
    t = typeOf[1];
  }

  // Farm slope rule: farmland on a slope steeper than the limit gives way to a
  // neighbouring band's type.
  if (t == kFarm) {
    const bool steep = neighbours().steepest >= rules.steepFrom;
    if (steep) {
      if (b <= 1 || b == kTopBand) {
        t = typeOf[b];
      } else if (b <= 17) {
        t = typeOf[b - 1];
        // In the thresholds' own single precision.
        const float mid = alt[b - 1] + (alt[b] - alt[b - 1]) / 2.0f;
        const float u = cx.random.next();
        const bool lowerHalf = mid - static_cast<float>(e) > 0;
        const double draw = u;  // compared with the limits as written, not their single values
        if ((lowerHalf && draw > 0.2) || (!lowerHalf && draw > 0.8)) t = typeOf[b + 1];
      }
      // Bands 18 to 22 keep their farms.
    }
  }
  return t;
}

// Types every cell, row by row from the south, writing each row as it is done.
void writeTypeRows(Context& cx, TypeRules& rules, const ElevationGrid& elevation, SafeFile& output) {
  Row south{}, here{}, north{};
  std::array<std::uint8_t, kTypeSize> types{};
  for (int tr = 0; tr < kTypeSize; ++tr) {
    south.swap(north);  // row 2 tr - 1 was the row above the last type row
    elevation.row(2 * tr, here);
    elevation.row(2 * tr + 1, north);
    for (int tc = 0; tc < kTypeSize; ++tc)
      types[static_cast<std::size_t>(tc)] = cellType(cx, rules, south, here, north, tr, tc);
    // Rows are written in order, so the grid's cells land at TypePos(tr, tc).
    output.write(types);
    cx.host.setProgress(ProgressBar::Bar1, tr * 100 / kTypeSize);
  }
}

constexpr const char* kCoverClosing =
    "The Type File was left unchanged; turn off \"Use land cover\" to type from the altitude bands alone.";

Outcome refuseCover(Context& cx, const std::filesystem::path& file, const std::string& why) {
  cx.host.showMessage("The Land Cover File can't be used:" + std::string(kCrLf) + file.string() + kCrLf + "It is " +
                          why + "." + kCrLf + kCoverClosing,
                      Icon::Critical);
  return Outcome::EndedEarly;
}

}  // namespace

Outcome Command1_Click(Context& cx) {
  cx.host.setProgress(ProgressBar::Bar1, 0);
  if (!checkTerrainFolder(cx)) return Outcome::EndedEarly;
  const auto elevationFile = terrainFile(cx.folder, suffix::kElevation);
  const auto typeFile = terrainFile(cx.folder, suffix::kType);

  std::string error;
  const auto elevation = ElevationGrid::load(elevationFile, error);
  if (!elevation)
    return reportInputFailure(cx.host, "Can't open the Elevation File:", elevationFile, error,
                              {.lineBreak = kCr, .namesFile = false});
  auto output = SafeFile::create(typeFile, error);
  if (!output)
    return reportFileFailure(cx.host, "Can't open the Type File:", typeFile, error,
                             {.lineBreak = kCr, .namesFile = false});

  // The land cover layer, when the folder has one and the switch beside the button is on.
  std::optional<CoverLayer> cover;
  const auto coverFile = terrainFile(cx.folder, suffix::kCover);
  if (cx.params.switchValue("UseCover") == 1) {
    bool missing = false;
    if (auto bytes = readWholeFile(coverFile, readLimit::kBinary, error, &missing)) {
      cover = CoverLayer::parse(*bytes, error);
      if (!cover) return refuseCover(cx, coverFile, error);
    } else if (!missing) {
      return reportFileFailure(cx.host, "Can't open the Land Cover File:", coverFile, error,
                               {.lineBreak = kCr, .namesFile = false, .closingLine = kCoverClosing});
    }
  }

  const auto bands = readBands(cx);
  if (!bands) return Outcome::EndedEarly;
  const double maxGrade = numericValue(cx.params.text("MaxFarmGrade"));

  BandTable banded(*bands);
  TypeRules rules{*bands, banded, smallestSteepDifference(maxGrade), cover ? &*cover : nullptr};

  writeTypeRows(cx, rules, *elevation, *output);

  // The new grid replaces the old one only once it is written whole.
  if (auto failed = output->commit())
    return reportFileFailure(
        cx.host, "Can't write the Type File:", typeFile, *failed,
        {.lineBreak = kCr, .namesFile = false, .closingLine = "The Type File was left unchanged."});
  cx.host.showMessage("Done", Icon::Information);
  return Outcome::Completed;
}

}  // namespace quarnby
