#include "demo/demo_terrain.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <system_error>

#include "core/number_text.h"
#include "demo/terragen_builder.h"
#include "terrain/file_io.h"
#include "terrain/greyscale_bitmap.h"

namespace quarnby::demo {
namespace {

constexpr double kTopFeet = 12000.0;

// A small deterministic generator for the layout (independent of the program's own
// random stream, which must stay at its start-up state).
class Draws {
 public:
  explicit Draws(std::uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ULL + 1) {}
  std::uint64_t next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }
  double uniform() { return static_cast<double>(next() >> 11) / 9007199254740992.0; }
  int below(int n) { return static_cast<int>(next() % static_cast<std::uint64_t>(n)); }

 private:
  std::uint64_t state_;
};

// Value noise on an integer lattice, smoothly interpolated, in -1..1.
double lattice(std::uint32_t seed, int x, int y) {
  std::uint32_t h =
      seed * 374761393U + static_cast<std::uint32_t>(x) * 668265263U + static_cast<std::uint32_t>(y) * 2246822519U;
  h = (h ^ (h >> 13)) * 1274126177U;
  h ^= h >> 16;
  return static_cast<double>(h) / 2147483647.5 - 1.0;
}

double valueNoise(std::uint32_t seed, double x, double y) {
  const int x0 = static_cast<int>(std::floor(x));
  const int y0 = static_cast<int>(std::floor(y));
  const double fx = x - x0, fy = y - y0;
  const double sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
  const double a = lattice(seed, x0, y0), b = lattice(seed, x0 + 1, y0);
  const double c = lattice(seed, x0, y0 + 1), d = lattice(seed, x0 + 1, y0 + 1);
  return (a + (b - a) * sx) + ((c + (d - c) * sx) - (a + (b - a) * sx)) * sy;
}

double fractal(std::uint32_t seed, double x, double y, int octaves) {
  double sum = 0, amplitude = 1, norm = 0;
  for (int o = 0; o < octaves; ++o) {
    sum += amplitude * valueNoise(seed + static_cast<std::uint32_t>(o) * 1013U, x, y);
    norm += amplitude;
    amplitude *= 0.5;
    x *= 2.03;
    y *= 2.03;
  }
  return sum / norm;
}

double smoothstep(double a, double b, double v) {
  const double t = std::clamp((v - a) / (b - a), 0.0, 1.0);
  return t * t * (3 - 2 * t);
}

std::int16_t heightAt(const std::vector<std::int16_t>& h, int r, int c) {
  return h[static_cast<std::size_t>(r) * kFieldSize + static_cast<std::size_t>(c)];
}

// Sites are placed on samples of the 1024 x 1024 grid.
struct Site {
  int r, c;
};

std::string feet(int index) { return plainInteger((static_cast<long long>(index) - 512) * 2640); }

}  // namespace

std::vector<std::int16_t> demoHeights(std::uint32_t seed) {
  std::vector<std::int16_t> heights(static_cast<std::size_t>(kFieldSize) * kFieldSize);
  for (int r = 0; r < kFieldSize; ++r) {
    for (int c = 0; c < kFieldSize; ++c) {
      const double x = c / 1024.0, y = r / 1024.0;
      // A continent in the middle that falls away to open sea at the map's edges.
      const double dx = x - 0.5, dy = y - 0.52;
      const double falloff = 0.42 - 1.9 * (dx * dx + dy * dy);
      double land = fractal(seed, x * 5, y * 5, 7) * 0.55 + falloff;
      // Islands off the coast: high-frequency bumps that only rise out of the sea.
      if (falloff < 0.1)
        land += 0.45 * smoothstep(0.3, 0.65, fractal(seed + 211, x * 11, y * 11, 4)) * smoothstep(-0.6, 0.0, falloff);
      double ft;
      if (land <= 0) {
        ft = std::max(-3000.0, land * 9000.0);
      } else {
        // Plains near the coast, hills inland, ridged mountains in the highest parts.
        const double ridge = 1.0 - std::fabs(fractal(seed + 77, x * 7, y * 7, 6));
        const double mountains = smoothstep(0.12, 0.38, land);
        ft = 30 + std::pow(land, 1.15) * 5200 + mountains * ridge * ridge * ridge * 9000;
        // River valleys: narrow bands where a second noise field crosses zero.
        const double river = std::fabs(fractal(seed + 131, x * 3.2, y * 3.2, 5));
        if (river < 0.035) ft = std::min(ft, 25 + (river / 0.035) * ft * 0.6);
      }
      heights[static_cast<std::size_t>(r) * kFieldSize + static_cast<std::size_t>(c)] =
          static_cast<std::int16_t>(std::lround(std::clamp(ft, -3000.0, kTopFeet + 300)));
    }
  }
  return heights;
}

std::vector<std::uint8_t> terragenFile(const std::vector<std::int16_t>& heights) {
  demo::TerragenBuilder field;  // height scale 16384, base 0: a raw value v is v / 4 units
  for (int fileRow = 0; fileRow < kFieldSize; ++fileRow) {
    const int r = std::max(0, 1023 - fileRow);  // north first; the extra row repeats the southern edge
    for (int c = 0; c < kFieldSize; ++c) field.at(fileRow, c) = heightAt(heights, r, c);
  }
  return field.bytes();
}

std::string demoObjectFile(std::vector<std::int16_t>& heights, std::uint32_t seed) {
  Draws draws(seed);
  auto height = [&](const Site& s) { return heightAt(heights, s.r, s.c); };
  // A port's river track leaves in steps of two samples over water only, so a port lies
  // at a coast with a bay of sea before it; the bay is dredged deep enough that the
  // import's smoothing of low ground leaves it water.
  constexpr int kDirections[4][2] = {{1, 0}, {0, 1}, {-1, 0}, {0, -1}};
  const auto baySample = [](const Site& s, const int* d, int along, int across) {
    return Site{s.r + d[0] * along + d[1] * across, s.c + d[1] * along + d[0] * across};
  };
  const auto bayOf = [&](const Site& s) -> const int* {
    for (const auto& d : kDirections) {
      bool sea = true;
      for (int along = 2; along <= 10 && sea; ++along)
        for (int across = -4; across <= 4 && sea; ++across) {
          const Site b = baySample(s, d, along, across);
          sea = b.r >= 0 && b.r < 1024 && b.c >= 0 && b.c < 1024 && heightAt(heights, b.r, b.c) < 0;
        }
      if (sea) return d;
    }
    return nullptr;
  };
  // On an even row and column the first step lands on the sample that types its cell.
  auto coastal = [&](const Site& s) { return s.r % 2 == 0 && s.c % 2 == 0 && bayOf(s) != nullptr; };
  const auto dredge = [&](const Site& port) {
    if (const int* d = bayOf(port))
      for (int along = 1; along <= 10; ++along)
        for (int across = -4; across <= 4; ++across) {
          const Site b = baySample(port, d, along, across);
          auto& h = heights[static_cast<std::size_t>(b.r) * kFieldSize + static_cast<std::size_t>(b.c)];
          h = std::min<std::int16_t>(h, -400);
        }
  };
  std::vector<Site> taken;
  // A land sample near (r, c) in the given height range, away from other sites.
  auto place = [&](int r, int c, int spread, int low, int high, bool nearWater) {
    for (int attempt = 0; attempt < 4000; ++attempt) {
      const int grow = spread + attempt / 8;  // widen the search until the ground fits
      Site s{std::clamp(r + draws.below(2 * grow + 1) - grow, 30, 993),
             std::clamp(c + draws.below(2 * grow + 1) - grow, 30, 993)};
      const int h = height(s);
      if (h < low || h > high || (nearWater && !coastal(s))) continue;
      if (std::any_of(taken.begin(), taken.end(),
                      [&](const Site& t) { return std::abs(t.r - s.r) < 6 && std::abs(t.c - s.c) < 6; }))
        continue;
      taken.push_back(s);
      return s;
    }
    Site s{r, c};
    taken.push_back(s);
    return s;
  };

  std::string out;
  out += "\"Demo theatre, three sides\",generated\r\n";
  out += "Objects,records follow\r\n";
  auto record = [&](const std::string& lead, const std::string& site, const Site& s, const std::string& rotation,
                    int side) {
    out += lead + "," + site + "," + feet(s.c) + "," + plainInteger(height(s)) + "," + feet(s.r) + ",0,0," + rotation;
    for (int i = 8; i <= 16; ++i) out += ",0";
    out += "," + plainInteger(side) + "\r\n";
  };

  // Three sides: west, east and north of the continent. Side 2 is written as 5, which the
  // track planner reads as side 2 again.
  struct SideArea {
    char letter;
    int r, c, sideField;
  };
  const std::array<SideArea, 3> sides = {{{'W', 470, 330, 0}, {'E', 520, 690, 1}, {'N', 720, 520, 5}}};
  const char* const airfields[][3] = {{"AAF", "LAFLD0", "0"},    {"AMF", "MAFLD0", "1.5"},  {"BAF", "SAFLD0", "3"},
                                      {"AAF", "SAFLD1", "-1.5"}, {"BAF", "LAFLD0", "-3.2"}, {"AMF", "SAFLD0", "4.71"}};
  for (const SideArea& side : sides) {
    const std::string p(1, side.letter);
    record(p + "01HQT", "HQ0", place(side.r, side.c, 20, 200, 2500, false), "0", side.sideField);
    int n = 0;
    for (const auto& af : airfields) {
      record(p + "2" + std::to_string(n++) + af[0], af[1], place(side.r, side.c, 90, 100, 3000, false), af[2],
             side.sideField);
    }
    // Supply objects: a port and a depot; a town of the same prefix supersedes the depot's road.
    const Site port = place(side.r, side.c, 120, 10, 600, true);
    record(p + "07GMS", "PORT0", port, "0", side.sideField);
    dredge(port);
    record(p + "12GMS", "DEPOT0", place(side.r, side.c, 80, 100, 3000, false), "0", side.sideField);
    record(p + "12GMS", "TOWN0", place(side.r, side.c, 80, 100, 3000, false), "0", side.sideField);
    record(p + "15GMS", "DEPOT1", place(side.r, side.c, 100, 100, 4000, false), "1.5", side.sideField);
    record(p + "31CIT", "CITY0", place(side.r, side.c, 100, 50, 2000, false), "-1.5", side.sideField);
    record(p + "32CIT", "CITY1", place(side.r, side.c, 100, 50, 2000, false), "0", side.sideField);
    for (int t = 0; t < 3; ++t)
      record(p + "4" + std::to_string(t) + "TWN", "TOWN" + std::to_string(t),
             place(side.r, side.c, 110, 50, 3000, false), "0", side.sideField);
    record(p + "51FUF", "FUEL0", place(side.r, side.c, 90, 100, 3000, false), "0", side.sideField);
    record(p + "52RDF", "RADAR0", place(side.r, side.c, 130, 1500, 9000, false), "0", side.sideField);
  }
  return out;
}

std::optional<std::string> writeDemoTerrain(const std::filesystem::path& parent, std::uint32_t seed) {
  const std::filesystem::path folder = parent / "Demo";
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (ec) return "Can't create the folder " + folder.string() + ": " + ec.message();

  auto heights = demoHeights(seed);
  const std::string objects = demoObjectFile(heights, seed);  // dredges the ports' bays
  std::vector<std::uint8_t> grey(static_cast<std::size_t>(1024) * 1024);
  for (int r = 0; r < 1024; ++r)
    for (int c = 0; c < 1024; ++c) {
      const double ft = std::clamp(static_cast<double>(heightAt(heights, r, c)), 0.0, kTopFeet);
      grey[static_cast<std::size_t>(r) * 1024 + static_cast<std::size_t>(c)] =
          static_cast<std::uint8_t>(std::lround(ft / kTopFeet * 255.0));
    }

  // The settings for the demo: the whole 512-mile map, heights up to 12,000 feet on a
  // straight scale with sea level at 0 units and grey level 0; river tracks as long as the
  // railways, so that the ports' barge routes show on the preview.
  const std::string settings =
      "0,1,5,1,5,3,2,1,5,3,1,5,1,5,1,5,1,2,5,2,5,2,4,6,1,2\r\n"
      "\" 307\",\" 404\",\" 868\",\" 1002\",\" 1595\",\" 1757\",\" 2097\",\" 2274\",\" 2833\",\" 3640\",\" 3852\","
      "\" 4288\",\" 5205\",\" 5686\",\" 6688\",\" 6946\",\" 7209\",\" 8014\",\" 8289\",\" 9131\",\" 9708\",\" 11200\"\r\n"
      "\"5\",\"1\",\"4\",\"1\",\"4\",\"1\",\"2\",\"1\",\"3\",\"4\",\"1\",\"2\",\"4\",\"2\",\"4\",\"1\",\"1\",\"3\",\"1\","
      "\"3\",\"2\",\"5\"\r\n"
      "\"1.5\",1,#FALSE#,#TRUE#,\"0\",\"0\",\"0\",\"12000\",\"1\",\"3000\",\"8\",\"10\",\"10\",\"0\",1,\"255\",\"0\"\r\n";

  struct Output {
    std::filesystem::path file;
    std::vector<std::uint8_t> bytes;
  };
  const std::vector<Output> outputs = {
      {folder / "Demo.ter", terragenFile(heights)},
      {folder / "Demo_elv.bmp", greyscaleBitmapFile(grey)},
      {folder / "Demo.oba", std::vector<std::uint8_t>(objects.begin(), objects.end())},
      {parent / "quarnby.cfg", std::vector<std::uint8_t>(settings.begin(), settings.end())},
  };
  for (const Output& o : outputs)
    if (auto error = replaceFile(o.file, o.bytes)) return "Can't write " + o.file.string() + ": " + *error;
  return std::nullopt;
}

}  // namespace quarnby::demo
