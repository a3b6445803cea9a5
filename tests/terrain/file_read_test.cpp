// Reading a file whole against its limit: a file of exactly the limit is read, one byte
// more is refused before a byte is read, and a file that turns out longer than it said
// is read on past its size but never accepted cut at the limit.
#include <gtest/gtest.h>

#include "support/temp_folder.h"
#include "terrain/file_io.h"

namespace quarnby {
namespace {

TEST(FileRead, AFileOfExactlyTheLimitIsReadAndOneByteMoreIsRefused) {
  testing::TempFolder tmp;
  const auto file = tmp.path() / "grid";
  const std::size_t limit = readLimit::kMiB;
  std::vector<std::uint8_t> bytes(limit, 7);
  bytes.back() = 9;
  testing::writeBytes(file, bytes);
  std::string error;
  const auto read = readWholeFile(file, limit, error);
  ASSERT_TRUE(read) << error;
  EXPECT_EQ(*read, bytes);

  bytes.push_back(1);
  testing::writeBytes(file, bytes);
  EXPECT_FALSE(readWholeFile(file, limit, error));
  EXPECT_EQ(error, "larger than 1 MiB");
}

TEST(FileRead, AFileLongerThanItsSizeIsReadWholeOrRefusedNeverCut) {
#ifdef _WIN32
  GTEST_SKIP() << "no file on Windows whose size says less than it holds";
#else
  // The kernel's files say they are empty and hold more than a kilobyte when read.
  const std::filesystem::path file = "/proc/self/maps";
  std::string error;
  const auto whole = readWholeFile(file, readLimit::kBinary, error);
  ASSERT_TRUE(whole) << error;
  ASSERT_GT(whole->size(), 256u);
  EXPECT_EQ(std::filesystem::file_size(file), 0u);
  for (const std::size_t limit : {std::size_t{1}, whole->size() / 2}) {
    EXPECT_FALSE(readWholeFile(file, limit, error)) << limit;
    EXPECT_EQ(error, "larger than 0 MiB") << limit;
  }
#endif
}

}  // namespace
}  // namespace quarnby
