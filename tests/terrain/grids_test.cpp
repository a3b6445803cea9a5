#include "terrain/grids.h"

#include <gtest/gtest.h>
#include <cerrno>
#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>
#endif

#include <array>
#include <cmath>
#include <csignal>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "support/file_size_limit.h"
#include "support/system_texts.h"
#include "support/temp_folder.h"
#include "terrain/file_io.h"
#include "terrain/terrain_folder.h"

namespace quarnby {
namespace {

using testing::TempFolder;

TEST(GridPositions, ElevationAndTypeCells) {
  for (const auto& [r, c, pos] :
       std::vector<std::tuple<int, int, long long>>{{0, 0, 1}, {0, 1023, 2047}, {1, 0, 2049}, {1023, 1023, 2097151}})
    EXPECT_EQ(ElevPos(r, c), pos) << r << ", " << c;
  EXPECT_EQ(TypePos(0, 0), 1);
  EXPECT_EQ(TypePos(511, 511), 262144);
  for (long long p : {1LL, 3LL, 2049LL, 2051LL}) EXPECT_EQ(typePosOfElevPos(p), 1);
  EXPECT_EQ(typePosOfElevPos(5), 2);
  EXPECT_EQ(typePosOfElevPos(ElevPos(1023, 1023)), 262144);
  EXPECT_EQ(ElevPos(5, 5) + step::kNorthEast, ElevPos(6, 6));
  EXPECT_EQ(ElevPos(5, 5) + step::kSouthWest, ElevPos(4, 4));
  EXPECT_EQ(ElevPos(5, 5) + step::kNorthWest, ElevPos(6, 4));
  EXPECT_EQ(ElevPos(5, 5) + step::kSouthEast, ElevPos(4, 6));
}

TEST(GridPositions, WorldFrameSnapsHalvesUp) {
  for (const auto& [x, index] :
       std::vector<std::pair<double, int>>{{0, 512}, {1320, 513}, {-1320, 512}, {-1321, 511}, {-512 * 2640.0, 0}})
    EXPECT_EQ(worldToIndex(x), index) << x;
  EXPECT_FALSE(worldToIndex(NAN).has_value());
  EXPECT_FALSE(worldToIndex(INFINITY).has_value());
}

TEST(ElevationGridFile, SamplesAreSignedLittleEndian) {
  ElevationGrid grid;
  grid.set(0, 0, -1);
  grid.set(0, 1, 300);
  EXPECT_EQ(grid.bytes()[0], 0xFF);
  EXPECT_EQ(grid.bytes()[1], 0xFF);
  EXPECT_EQ(grid.bytes()[2], 0x2C);
  EXPECT_EQ(grid.bytes()[3], 0x01);
  EXPECT_EQ(grid.at(0, 1), 300);
  EXPECT_EQ(grid.atPos(3), 300);
  EXPECT_EQ(grid.atPos(0), 0);                         // outside the file
  grid.setPos(static_cast<long long>(kElevBytes), 7);  // would straddle the end: ignored
  EXPECT_EQ(grid.size(), kElevBytes);
}

TEST(ElevationGridFile, ShortFilesReadZeroAndLongFilesKeepTheirTail) {
  TempFolder tmp;
  const auto file = tmp.path() / "a.elv";
  testing::writeBytes(file, {0x2C, 0x01, 0x05});
  std::string error;
  auto grid = ElevationGrid::load(file, error);
  ASSERT_TRUE(grid);
  EXPECT_EQ(grid->at(0, 0), 300);
  EXPECT_EQ(grid->at(0, 1), 5);
  EXPECT_EQ(grid->at(1023, 1023), 0);

  std::vector<std::uint8_t> longer(kElevBytes + 3, 0);
  longer[kElevBytes] = 'T';
  testing::writeBytes(file, longer);
  grid = ElevationGrid::load(file, error);
  grid->set(1023, 1023, 9);
  ASSERT_FALSE(grid->save(file));
  const auto saved = testing::readBytes(file);
  ASSERT_EQ(saved.size(), kElevBytes + 3);
  EXPECT_EQ(saved[kElevBytes], 'T');
  EXPECT_EQ(saved[kElevBytes - 2], 9);
}

TEST(ElevationGridFile, AWholeRowReadsAsItsSingleSamples) {
  ElevationGrid grid;
  for (int c = 0; c < kElevSize; ++c) grid.set(7, c, static_cast<std::int16_t>(c * 61 - 31000));
  std::array<std::int16_t, kElevSize> row{};
  grid.row(7, row);
  for (int c = 0; c < kElevSize; ++c) ASSERT_EQ(row[c], grid.at(7, c)) << c;
  grid.row(8, row);
  EXPECT_EQ(row[0], 0);

  ElevationGrid empty{GridFile{}};  // holds no bytes at all: every row reads 0
  row.fill(5);
  empty.row(1023, row);
  EXPECT_EQ(row[1023], 0);
}

TEST(ElevationGridFile, MissingFileGivesTheSystemsError) {
  std::string error;
  EXPECT_FALSE(ElevationGrid::load("/nonexistent/x.elv", error));
  EXPECT_EQ(error, testing::missingFolderText());
}

TEST(SafeFile, ReplacesOnlyOnCommitAndKeepsPermissions) {
#ifdef _WIN32
  GTEST_SKIP() << "no POSIX permissions on Windows";
#else
  TempFolder tmp;
  const auto file = tmp.path() / "t.typ";
  testing::writeText(file, "old");
  ::chmod(file.c_str(), 0640);
  std::string error;
  {
    auto safe = SafeFile::create(file, error);
    ASSERT_TRUE(safe);
    safe->write(std::string_view("new contents"));
    EXPECT_EQ(testing::readText(file), "old");  // not yet in place
  }                                             // dropped without commit
  EXPECT_EQ(testing::readText(file), "old");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(tmp.path()), {}), 1);  // no temporary left

  ASSERT_FALSE(replaceFile(file, std::string_view("new")));
  EXPECT_EQ(testing::readText(file), "new");
  struct stat st {};
  ::stat(file.c_str(), &st);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
#endif
}

TEST(SafeFile, RefusesWhatCannotBeWrittenAndLeavesTheTarget) {
#ifdef _WIN32
  GTEST_SKIP() << "no POSIX permissions on Windows";
#else
  if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind root";
  TempFolder tmp;
  const auto file = tmp.path() / "t.typ";
  testing::writeText(file, "old");
  ::chmod(file.c_str(), 0444);
  EXPECT_EQ(replaceFile(file, std::string_view("new")), "Permission denied");
  EXPECT_EQ(testing::readText(file), "old");
#endif
}

TEST(SafeFile, AFolderThatIsMissingOrAFileCannotBeWritten) {
  TempFolder tmp;
  EXPECT_EQ(replaceFile(tmp.path() / "no" / "x", std::string_view("x")), testing::missingFolderText());
  EXPECT_EQ(replaceFile(tmp.path(), std::string_view("x")), testing::systemText(EISDIR));
}

TEST(SafeFile, AWriteCutShortKeepsTheOldFile) {
#ifdef _WIN32
  GTEST_SKIP() << "no file-size limit (rlimit) on Windows";
#else
  // A file-size limit makes the system refuse the write part-way, as a full disk does.
  TempFolder tmp;
  const auto file = tmp.path() / "t.elv";
  testing::writeText(file, "old");
  std::optional<std::string> failed;
  {
    testing::FileSizeLimit limit(100000);
    failed = replaceFile(file, std::vector<std::uint8_t>(kElevBytes, 1));
  }
  ASSERT_TRUE(failed);
  EXPECT_EQ(*failed, "File too large");
  EXPECT_EQ(testing::readText(file), "old");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(tmp.path()), {}), 1);
#endif
}

TEST(TerrainFolder, BaseNamesAndFileNames) {
  for (const auto& [folder, base] : std::vector<std::pair<std::string, std::string>>{
           {"/Terrains/Europe", "Europe"}, {"/Terrains/North.Sea", "North.Sea"}, {"/", ""}, {"Europe", ""}})
    EXPECT_EQ(baseName(folder), base) << folder;
  EXPECT_EQ(terrainFile("/Terrains/Europe", suffix::kElevation), "/Terrains/Europe/Europe.elv");
  EXPECT_EQ(terrainFile("/Terrains/Europe", suffix::kSubType), "/Terrains/Europe/Europe.SYP");
  EXPECT_EQ(terrainFile("/Terrains/North.Sea", suffix::kGreyscale), "/Terrains/North.Sea/North.Sea_elv.bmp");
#ifdef _WIN32
  EXPECT_EQ(normalisedFolder("C:/Terrains/Europe/"), "C:\\Terrains\\Europe");
  EXPECT_EQ(normalisedFolder("C:\\"), "C:\\");
#else
  EXPECT_EQ(normalisedFolder("/Terrains/Europe/"), "/Terrains/Europe");
  EXPECT_EQ(normalisedFolder("/"), "/");
#endif
}

}  // namespace
}  // namespace quarnby
