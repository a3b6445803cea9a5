#include "steps/operation_steps.h"

#include <gtest/gtest.h>

#include "support/temp_folder.h"

namespace quarnby {
namespace {

TEST(OperationSteps, TheFolderCheckAsksForAFolderWithAName) {
  testing::Harness h("/");
  EXPECT_FALSE(checkTerrainFolder(h.cx));
  ASSERT_EQ(h.host.messages.size(), 1u);
  EXPECT_EQ(h.host.messages[0].text, "Please select a terrain folder.");
  EXPECT_EQ(h.host.messages[0].icon, Icon::Information);
  h.cx.folder = "/Terrains/Europe";
  EXPECT_EQ(checkTerrainFolder(h.cx), "Europe");
}

}  // namespace
}  // namespace quarnby
