#include "typing/sub_types.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <set>

#include "support/system_texts.h"
#include "support/temp_folder.h"
#include "terrain/file_io.h"
#include "terrain/grids.h"

namespace quarnby {
namespace {

using testing::Harness;
using testing::TempFolder;

class SetSubTypes : public ::testing::Test {
 protected:
  SetSubTypes() : folder(temp.terrain("Europe")) {}
  std::filesystem::path typeFile() const { return folder / "Europe.typ"; }
  std::filesystem::path subTypeFile() const { return folder / "Europe.SYP"; }

  // Runs on a fresh program's random source, as a new start of the program would.
  std::vector<std::uint8_t> run() {
    Harness h(folder);
    EXPECT_EQ(SetSubTypes_Click(h.cx), Outcome::Completed);
    EXPECT_EQ(h.host.onlyMessage(), "Done");
    lastProgress = h.host.progressOf(ProgressBar::Bar1);
    return testing::readBytes(subTypeFile());
  }

  // Land (grass) on every other cell, water between.
  static std::vector<std::uint8_t> halfLand() {
    std::vector<std::uint8_t> types(kTypeBytes, 0);
    for (std::size_t i = 0; i < kTypeBytes; i += 2) types[i] = 1;
    return types;
  }

  TempFolder temp;
  std::filesystem::path folder;
  std::vector<int> lastProgress;
};

TEST_F(SetSubTypes, AllWaterGivesZeros) {
  testing::writeBytes(typeFile(), std::vector<std::uint8_t>(kTypeBytes, 0));
  testing::writeBytes(subTypeFile(), std::vector<std::uint8_t>(kTypeBytes, 0xAA));
  EXPECT_EQ(run(), std::vector<std::uint8_t>(kTypeBytes, 0));
  // Reset, once per row (100 * cells done / cells), then full.
  ASSERT_EQ(lastProgress.size(), 514u);
  EXPECT_EQ(lastProgress[0], 0);
  EXPECT_EQ(lastProgress[1], 0);  // 51,200 / 262,144
  EXPECT_EQ(lastProgress[6], 1);  // after row 5: 307,200 / 262,144
  EXPECT_EQ(lastProgress[256], 50);
  EXPECT_EQ(lastProgress[512], 100);
  EXPECT_EQ(lastProgress[513], 100);
}

TEST_F(SetSubTypes, LandGetsEverySubTypeAndEachRunANewPattern) {
  testing::writeBytes(typeFile(), halfLand());
  const auto first = run();
  const auto second = run();
  ASSERT_EQ(first.size(), kTypeBytes);
  std::set<int> seen;
  int differing = 0;
  for (std::size_t i = 0; i < kTypeBytes; ++i) {
    if (i % 2 == 1) {
      ASSERT_EQ(first[i], 0) << i;
      ASSERT_EQ(second[i], 0) << i;
      continue;
    }
    seen.insert(first[i]);
    differing += first[i] != second[i];
  }
  EXPECT_EQ(seen.size(), 256u);  // 0 to 255, land can be 0 too
  EXPECT_GT(differing, 100000);
}

TEST_F(SetSubTypes, KeepsTheTailOfALongerGridAndCreatesAMissingOne) {
  testing::writeBytes(typeFile(), halfLand());
  const auto made = run();
  EXPECT_EQ(made.size(), kTypeBytes);

  std::vector<std::uint8_t> longer(kTypeBytes + 300, 0x11);
  longer[kTypeBytes] = 0x5A;
  testing::writeBytes(subTypeFile(), longer);
  const auto kept = run();
  ASSERT_EQ(kept.size(), longer.size());
  EXPECT_TRUE(std::equal(kept.begin() + kTypeBytes, kept.end(), longer.begin() + kTypeBytes));
  EXPECT_EQ(kept[1], 0);
}

TEST_F(SetSubTypes, AShortTypeGridIsWaterPastItsEnd) {
  testing::writeBytes(typeFile(), std::vector<std::uint8_t>(1000, 2));
  testing::writeBytes(subTypeFile(), std::vector<std::uint8_t>(50, 0xFF));
  const auto written = run();
  ASSERT_EQ(written.size(), kTypeBytes);
  EXPECT_EQ(std::count(written.begin() + 1000, written.end(), 0), static_cast<long>(kTypeBytes - 1000));
  EXPECT_GT(std::count_if(written.begin(), written.begin() + 1000, [](auto b) { return b != 0; }), 900);
}

TEST_F(SetSubTypes, OpenFailuresNameTheFileAndChangeNothing) {
  Harness h(folder);
  EXPECT_EQ(SetSubTypes_Click(h.cx), Outcome::EndedEarly);
  EXPECT_EQ(h.host.onlyMessage(), "Can't open the Type File:\r" + typeFile().string() + "\r" +
                                      testing::systemText(ENOENT) + "\r\nPress Set Type first: it writes Europe.typ.");
  EXPECT_EQ(h.host.messages[0].icon, Icon::Critical);
  EXPECT_FALSE(std::filesystem::exists(subTypeFile()));

  h.host.messages.clear();
  testing::writeBytes(typeFile(), halfLand());
  std::filesystem::create_directory(subTypeFile());
  EXPECT_EQ(SetSubTypes_Click(h.cx), Outcome::EndedEarly);
  EXPECT_EQ(h.host.onlyMessage(),
            "Can't open the Sub-Type File:\r" + subTypeFile().string() + "\r" + testing::systemText(EISDIR));
  EXPECT_EQ(h.random.state(), RandomSource::kStartState);  // nothing drawn

  Harness noFolder("");
  EXPECT_EQ(SetSubTypes_Click(noFolder.cx), Outcome::EndedEarly);
  EXPECT_EQ(noFolder.host.onlyMessage(), "Please select a terrain folder.");
}

}  // namespace
}  // namespace quarnby
