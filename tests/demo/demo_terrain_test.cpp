#include "demo/demo_terrain.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "support/temp_folder.h"
#include "terrain/object_file.h"

namespace quarnby {
namespace {

const std::vector<std::int16_t>& heights() {
  static const auto h = demo::demoHeights(demo::kDefaultSeed);
  return h;
}

TEST(DemoTerrain, HasSeaCoastPlainsAndMountains) {
  const auto& h = heights();
  ASSERT_EQ(h.size(), 1025u * 1025u);
  const auto [low, high] = std::minmax_element(h.begin(), h.end());
  EXPECT_LT(*low, -500);
  EXPECT_GT(*high, 10000);
  EXPECT_LE(*high, 12500);
  const auto sea = std::count_if(h.begin(), h.end(), [](std::int16_t v) { return v <= 0; });
  const auto plains = std::count_if(h.begin(), h.end(), [](std::int16_t v) { return v > 0 && v < 1500; });
  const auto mountains = std::count_if(h.begin(), h.end(), [](std::int16_t v) { return v > 7000; });
  EXPECT_GT(sea, 200000);
  EXPECT_GT(plains, 100000);
  EXPECT_GT(mountains, 5000);
  EXPECT_LE(h[0], 0);  // the map's corners are open sea
  EXPECT_EQ(demo::demoHeights(demo::kDefaultSeed), h);
  EXPECT_NE(demo::demoHeights(7), h);
}

TEST(DemoTerrain, TerragenFileHasTheUsualChunks) {
  const auto file = demo::terragenFile(heights());
  ASSERT_EQ(file.size(), 80u + 1025u * 1025u * 2u + 4u);
  EXPECT_EQ(std::string(file.begin(), file.begin() + 16), "TERRAGENTERRAIN ");
  EXPECT_EQ(std::string(file.begin() + 72, file.begin() + 76), "ALTW");
  EXPECT_EQ(file[76] | (file[77] << 8), 16384);
  // File row 0 is the northern edge, grid row 1023.
  EXPECT_EQ(static_cast<std::int16_t>(file[80] | (file[81] << 8)), heights()[1023u * 1025u]);
  EXPECT_EQ(std::string(file.end() - 4, file.end()), "EOF ");
}

TEST(DemoTerrain, ObjectsOfEveryKindOnLand) {
  auto dredged = heights();
  const std::string text = demo::demoObjectFile(dredged, demo::kDefaultSeed);
  const auto records = readObjectRecords(text, ObjectFileReader::Mode::Field, kObjectCodes, 17);
  std::set<int> codes;
  std::set<std::string> airfieldNames;
  int hqs = 0;
  for (const auto& r : records) {
    codes.insert(r.codeIndex);
    if (r.codeIndex == 0) ++hqs;
    if (r.codeIndex >= 4 && r.codeIndex <= 6) airfieldNames.insert(r.field(1));
    ASSERT_TRUE(r.number(2) && r.number(4) && r.number(17)) << r.leadToken;
    const auto c = static_cast<std::size_t>(*r.number(2) / 2640 + 512);
    const auto row = static_cast<std::size_t>(*r.number(4) / 2640 + 512);
    EXPECT_GT(heights()[row * 1025 + c], 0) << r.leadToken << " " << r.field(1);
  }
  EXPECT_EQ(codes.size(), 9u);
  EXPECT_EQ(hqs, 3);
  EXPECT_EQ(airfieldNames, (std::set<std::string>{"LAFLD0", "MAFLD0", "SAFLD0", "SAFLD1"}));
  // Line mode finds the same records: the header lines carry no code.
  EXPECT_EQ(readObjectRecords(text, ObjectFileReader::Mode::Line, kObjectCodes, 17).size(), records.size());
}

TEST(DemoTerrain, WritesTheFolderAndItsSettings) {
  testing::TempFolder tmp;
  ASSERT_FALSE(demo::writeDemoTerrain(tmp.path()));
  for (const char* name : {"Demo/Demo.ter", "Demo/Demo_elv.bmp", "Demo/Demo.oba", "quarnby.cfg"})
    EXPECT_TRUE(std::filesystem::exists(tmp.path() / name)) << name;
  EXPECT_EQ(std::filesystem::file_size(tmp.path() / "Demo/Demo_elv.bmp"), 1049656u);
  EXPECT_TRUE(demo::writeDemoTerrain("/proc/no-such-place").has_value());
}

}  // namespace
}  // namespace quarnby
