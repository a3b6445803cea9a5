#include "steps/operation_steps.h"

#include <gtest/gtest.h>

#include "support/recording_host.h"
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

TEST(OperationSteps, AFileFailureSaysWhichFileAndWhyAsTheOperationLaysItOut) {
  struct Case {
    FileMessageLayout layout;
    std::string text;
    Icon icon;
    std::string title;
  };
  const std::vector<Case> cases = {
      {{}, "Can't open the Type File:\r\n/T/Europe/Europe.typ\r\nNo such file", Icon::Critical, ""},
      {{.lineBreak = kCr}, "Can't open the Type File:\r/T/Europe/Europe.typ\rNo such file", Icon::Critical, ""},
      {{.lineBreak = kCr, .namesFile = false, .closingLine = "Left unchanged."},
       "Can't open the Type File:\rNo such file\r\nLeft unchanged.",
       Icon::Critical,
       ""},
      {{.title = "Objects", .icon = Icon::Exclamation},
       "Can't open the Type File:\r\n/T/Europe/Europe.typ\r\nNo such file",
       Icon::Exclamation,
       "Objects"},
  };
  for (const Case& c : cases) {
    testing::RecordingHost host;
    EXPECT_EQ(reportFileFailure(host, "Can't open the Type File:", "/T/Europe/Europe.typ", "No such file", c.layout),
              Outcome::EndedEarly);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, c.text);
    EXPECT_EQ(host.messages[0].icon, c.icon);
    EXPECT_EQ(host.messages[0].title, c.title);
  }
}

TEST(OperationSteps, AnInputThatIsNotThereSaysWhatWritesItOnlyWhenItsFolderIs) {
  testing::TempFolder tmp;
  const auto folder = tmp.terrain("Europe");
  const auto grid = folder / "Europe.typ";
  struct Case {
    const char* where;
    std::filesystem::path file;
    FileMessageLayout layout;
    std::string lastLine;
  };
  const std::vector<Case> cases = {
      {"missing", grid, {}, "Press Set Type first: it writes Europe.typ."},
      {"named by no line", grid, {.namesFile = false}, "Press Set Type first: it writes " + grid.string() + "."},
      {"after the closing line",
       grid,
       {.closingLine = "Left."},
       "Left.\r\nPress Set Type first: it writes Europe.typ."},
      {"folder gone", tmp.path() / "Gone" / "Gone.typ", {}, "why"},
      {"there but unreadable", folder, {}, "why"},
      {"no terrain file", folder / "notes.txt", {}, "why"},
  };
  for (const Case& c : cases) {
    testing::RecordingHost host;
    EXPECT_EQ(reportInputFailure(host, "Can't open the Type File:", c.file, "why", c.layout), Outcome::EndedEarly);
    ASSERT_EQ(host.messages.size(), 1u) << c.where;
    const std::string& text = host.messages[0].text;
    EXPECT_EQ(text.substr(text.size() - std::min(text.size(), c.lastLine.size())), c.lastLine) << c.where;
    EXPECT_EQ(text.find("Press") == std::string::npos, c.lastLine == "why") << c.where;
  }
}

}  // namespace
}  // namespace quarnby
