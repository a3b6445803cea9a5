#include "app/settings_file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <map>
#include <random>

#include "support/system_texts.h"
#include "support/terrain_fixture.h"

namespace quarnby {
namespace {

using testing::Harness;

const char* const kDefaultFile =
    "0,1,5,1,5,3,2,1,5,3,1,5,1,5,1,5,1,2,5,2,5,2,4,6,1,2\r\n"
    "\" 307\",\" 404\",\" 868\",\" 1002\",\" 1595\",\" 1757\",\" 2097\",\" 2274\",\" 2833\",\" 3640\",\" 3852\","
    "\" 4288\",\" 5205\",\" 5686\",\" 6688\",\" 6946\",\" 7209\",\" 8014\",\" 8289\",\" 9131\",\" 9708\",\" 11200\"\r\n"
    "\"5\",\"1\",\"4\",\"1\",\"4\",\"1\",\"2\",\"1\",\"3\",\"4\",\"1\",\"2\",\"4\",\"2\",\"4\",\"1\",\"1\",\"3\",\"1\","
    "\"3\",\"2\",\"5\"\r\n"
    "\"1.5\",1,#TRUE#,#FALSE#,\"0\",\"0\",\"0\",\"1400\",\"2\",\"3000\",\"8\",\"10\",\"3\",\"0\",1,\"255\",\"0\"\r\n";

struct SettingsTest : testing::TerrainFixture {
  SettingsTest() { h.cx.settingsFile = tmp.path() / "quarnby.cfg"; }
};

TEST_F(SettingsTest, FirstStartWithoutAFileSavesTheDefaultsByteForByte) {
  h.params.setText("Text25", "11200");
  EXPECT_EQ(Form_Load(h.cx), Outcome::Completed);
  EXPECT_TRUE(h.host.messages.empty());
  EXPECT_EQ(h.params.text("Text4"), " 307");
  EXPECT_EQ(h.params.text("Text25"), " 11200");
  EXPECT_EQ(h.params.text("LabelTer"), "Use 'Europe.ter'");
  EXPECT_EQ(SaveConfig_Click(h.cx), Outcome::Completed);
  EXPECT_EQ(testing::readText(h.cx.settingsFile), kDefaultFile);
  ASSERT_EQ(h.host.messages.size(), 1u);
  EXPECT_EQ(h.host.messages[0].text, "Settings saved to: " + h.cx.settingsFile.string());
  EXPECT_EQ(h.host.messages[0].title, "Save Settings");
  EXPECT_EQ(h.host.messages[0].icon, Icon::Information);
}

TEST_F(SettingsTest, SaveAndReloadRoundTripEverySavedControl) {
  Form_Load(h.cx);
  h.params.setChoice("Combo7", -1);
  h.params.setText("Text9", "1,750 ft");  // commas survive inside quotes
  h.params.setText("g3", "");
  h.params.setText("Text3", "2.25");
  h.params.setSwitch("InvFileOrder", 0);
  h.params.setOption("MapSize512", true);
  h.params.setText("MaxUnits", " 1234.568");
  h.params.setText("slUnitsBmp", "-3.2");
  h.params.setSwitch("PreserveZeros", 2);
  h.params.setText("maxUbmp", " 200");
  SaveConfig_Click(h.cx);
  const auto saved = parameterValues();

  // Unsaved controls keep their values, the four switches go back to 1, 0, 1, 0.
  ToggleChecks_Click(h.cx);
  h.params.setText("MaxFarmGrade", "12");
  h.params.setOption("MapOp3", true);
  h.params.setText("Text9", "x");
  h.params.setOption("MapSize256", true);
  ReloadConfig_Click(h.cx);
  auto expected = saved;
  expected["MaxFarmGrade"] = "12";
  expected["MapOp1"] = "false";
  expected["MapOp3"] = "true";
  EXPECT_EQ(parameterValues(), expected);
}

TEST_F(SettingsTest, DoubleQuotesAreSavedAsSingleQuotes) {
  h.params.setText("Text3", "say \"1.5\"");
  SaveConfig_Click(h.cx);
  h.params.setText("Text3", "");
  Form_Load(h.cx);
  EXPECT_EQ(h.params.text("Text3"), "say '1.5'");
  EXPECT_EQ(h.params.text("Text4"), "307");  // the following fields are still in place
}

TEST_F(SettingsTest, ThresholdsLoadAsWrittenWithoutRecomputation) {
  std::string text = kDefaultFile;
  text.replace(text.find("\" 307\""), 6, "\"5\"");
  testing::writeText(h.cx.settingsFile, text);
  Form_Load(h.cx);
  EXPECT_EQ(h.params.text("Text4"), "5");
}

TEST_F(SettingsTest, DamagedFilesLoadWhatTheyCanAndKeepTheRest) {
  h.params.setText("minUbmp", "7");
  // Without its four lines the fields run on regardless of lines: a choice out of range,
  // an unreadable one, then texts where choices belong, all leave their controls alone.
  testing::writeText(h.cx.settingsFile, "6,9,x,-1\r\n\"a\",\"b\"\r\n");
  Form_Load(h.cx);
  EXPECT_EQ(h.params.choice("Combo1"), 6);
  EXPECT_EQ(h.params.choice("Combo2"), 1);  // 9 is out of range: unchanged
  EXPECT_EQ(h.params.choice("Combo3"), 5);  // x is not a number: unchanged
  EXPECT_EQ(h.params.choice("Combo4"), -1);
  EXPECT_EQ(h.params.choice("Combo5"), 5);   // "a" is no position
  EXPECT_EQ(h.params.text("Text4"), "307");  // never reached
  EXPECT_EQ(h.params.text("minUbmp"), "7");

  // With its four lines, a field lost in line 2 costs only the fields after it in that line.
  std::string text = kDefaultFile;
  text.replace(text.find("\" 404\","), 7, "");
  text.replace(text.find("\"0\"\r\n"), 3, "\"9\"");
  h.params.setText("Text25", "keep");
  testing::writeText(h.cx.settingsFile, text);
  Form_Load(h.cx);
  EXPECT_EQ(h.params.text("Text5"), " 868");
  EXPECT_EQ(h.params.text("Text25"), "keep");
  EXPECT_EQ(h.params.text("g0"), "5");
  EXPECT_EQ(h.params.text("minUbmp"), "9");
  EXPECT_EQ(h.params.switchValue("Check2"), 1);
  EXPECT_TRUE(h.host.messages.empty());

  testing::writeText(h.cx.settingsFile, std::string("\0\xff\"unterminated", 14));
  Form_Load(h.cx);  // garbage: nothing stops start-up
  EXPECT_EQ(h.params.text("minUbmp"), "9");
}

TEST_F(SettingsTest, AFileSwollenWithFieldsAndLinesLoadsItsFirstFields) {
  // Megabytes of fields after the last one used, in one line and in thousands more: the
  // four lines lose their line-by-line matching, the fields are read in order as ever.
  std::string text = kDefaultFile;
  text.insert(text.find("\r\n"), std::string(4 << 20, ','));
  for (int i = 0; i < 20000; ++i) text += "\"x\",\"y\"\r\n";
  testing::writeText(h.cx.settingsFile, text);
  Form_Load(h.cx);
  EXPECT_EQ(h.params.choice("Combo26"), 2);
  EXPECT_EQ(h.params.text("Text4"), "");  // a field of the long line 1
  EXPECT_TRUE(h.host.messages.empty());

  text = kDefaultFile;
  text.replace(text.find(",\"2\",\"5\"\r\n"), 0, std::string(4 << 20, ','));  // line 3 swollen
  testing::writeText(h.cx.settingsFile, text);
  Form_Load(h.cx);
  EXPECT_EQ(h.params.text("Text25"), " 11200");  // four lines: matched line by line
  EXPECT_EQ(h.params.text("g19"), "3");
  EXPECT_EQ(h.params.text("g20"), "");
  EXPECT_EQ(h.params.text("minUbmp"), "0");
}

TEST_F(SettingsTest, TruthValuesAndSwitchesMustHaveTheirForm) {
  std::string text = kDefaultFile;
  text.replace(text.find("1,#TRUE#,#FALSE#"), 16, "7,TRUE,#TRUE#");
  testing::writeText(h.cx.settingsFile, text);
  h.params.setSwitch("InvFileOrder", 0);
  Form_Load(h.cx);
  EXPECT_EQ(h.params.switchValue("InvFileOrder"), 0);  // 7 is no switch value
  // "TRUE" is not a truth value, so only MapSize512 is set, which clears MapSize256.
  EXPECT_FALSE(h.params.option("MapSize256"));
  EXPECT_TRUE(h.params.option("MapSize512"));
}

TEST_F(SettingsTest, ReloadWithoutAFileRecomputesFromTheCurrentTop) {
  h.params.setText("Text25", "2200");
  for (int i = 0; i < 22; ++i) h.params.setText("g" + std::to_string(i), "9");
  EXPECT_EQ(ReloadConfig_Click(h.cx), Outcome::Completed);
  EXPECT_EQ(h.params.text("g0"), "5");
  EXPECT_EQ(h.params.text("Text25"), " 2200");
  EXPECT_EQ(h.params.text("Text4"), " 60");

  // A top that gives no thresholds is refused there, and Re-Load ends early with it.
  h.params.setText("Text25", "1e309");
  EXPECT_EQ(ReloadConfig_Click(h.cx), Outcome::EndedEarly);
  EXPECT_EQ(h.host.onlyMessage(),
            "The threshold of band 1 cannot be computed from the exponent 1.5 and the top threshold 1e309.\r\n"
            "The band thresholds were left unchanged.");
  EXPECT_EQ(h.params.text("Text4"), " 60");
}

TEST_F(SettingsTest, TheLayoutNamesEveryFieldOnceInLineOrderWithItsControlsKind) {
  const auto& saved = savedControls();
  ASSERT_EQ(saved.size(), 87u);
  std::map<std::string, int> seen;
  std::vector<int> perLine(4);
  for (std::size_t i = 0; i < saved.size(); ++i) {
    const SavedControl& c = saved[i];
    EXPECT_EQ(seen[c.name]++, 0) << c.name;
    ASSERT_TRUE(c.line >= 1 && c.line <= 4) << c.name;
    if (i > 0) {
      EXPECT_GE(c.line, saved[i - 1].line) << c.name;
    }
    ++perLine[static_cast<std::size_t>(c.line - 1)];
    ASSERT_TRUE(h.params.has(c.name)) << c.name;
    const ControlKind kind = h.params.kind(c.name);
    switch (c.kind) {
      case SavedKind::Choice: EXPECT_EQ(kind, ControlKind::TypeChoice) << c.name; break;
      case SavedKind::Text: EXPECT_TRUE(kind == ControlKind::Text || kind == ControlKind::Display) << c.name; break;
      case SavedKind::Switch: EXPECT_EQ(kind, ControlKind::Switch) << c.name; break;
      case SavedKind::Option: EXPECT_EQ(kind, ControlKind::Option) << c.name; break;
    }
  }
  EXPECT_EQ(perLine, (std::vector<int>{26, 22, 22, 17}));
}

TEST_F(SettingsTest, SaveThatCannotOpenTheFileSaysSoAndKeepsTheOldOne) {
  h.cx.settingsFile = tmp.path() / "missing-folder" / "quarnby.cfg";
  EXPECT_EQ(SaveConfig_Click(h.cx), Outcome::EndedEarly);
  ASSERT_EQ(h.host.messages.size(), 1u);
  EXPECT_EQ(h.host.messages[0].text,
            "Can't open the file:\r" + h.cx.settingsFile.string() + "\r" + testing::missingFolderText());
  EXPECT_EQ(h.host.messages[0].icon, Icon::Critical);
  EXPECT_EQ(h.host.messages[0].title, "");
}

TEST_F(SettingsTest, RandomEditsOfOneLineNeverStopStartUpNorTouchTheOtherLines) {
  std::mt19937 random(20261208);
  const std::string garbage = ",\"#x-. 9\t\x01\xff";
  std::map<std::string, int> lineOfSaved;
  for (const SavedControl& c : savedControls()) lineOfSaved[c.name] = c.line - 1;
  auto lineOf = [&](const std::string& name) { return lineOfSaved.count(name) ? lineOfSaved.at(name) : 3; };
  Harness fresh(h.cx.folder);
  fresh.cx.settingsFile = h.cx.settingsFile;
  Form_Load(fresh.cx);  // no file yet: the defaults
  const auto defaults = testing::parameterValues(fresh.params);
  for (int round = 0; round < 300; ++round) {
    std::vector<std::string> lines;
    std::string text = kDefaultFile;
    for (std::size_t start = 0; start < text.size();) {
      const std::size_t end = text.find("\r\n", start);
      lines.push_back(text.substr(start, end - start));
      start = end + 2;
    }
    const int edited = static_cast<int>(random() % 4);
    std::string& line = lines[static_cast<std::size_t>(edited)];
    for (int e = 0, edits = 1 + static_cast<int>(random() % 3); e < edits && !line.empty(); ++e) {
      const std::size_t at = random() % line.size();
      switch (random() % 3) {
        case 0: line.erase(at, 1 + random() % 8); break;                        // fields dropped or cut
        case 1: line.insert(at, 1, garbage[random() % garbage.size()]); break;  // garbage
        case 2: std::swap(line[at], line[random() % line.size()]); break;       // swapped
      }
    }
    text.clear();
    for (const auto& l : lines) text += l + "\r\n";
    testing::writeText(h.cx.settingsFile, text);

    Harness run(h.cx.folder);
    run.cx.settingsFile = h.cx.settingsFile;
    ASSERT_EQ(Form_Load(run.cx), Outcome::Completed);
    for (const auto& name : run.params.names()) {
      if (run.params.kind(name) == ControlKind::TypeChoice) {
        ASSERT_GE(run.params.choice(name), -1);
      }
      if (lineOf(name) != edited && name.rfind("Label", 0) != 0) {
        ASSERT_EQ(run.params.valueText(name), defaults.at(name))
            << name << " after editing line " << edited + 1 << ":\n"
            << text;
      }
    }
  }
}

TEST(FolderChange, TheSourceLabelsFollowTheFolder) {
  testing::Harness h("/");
  Dir1_Change(h.params, "/Terrains/Europe");
  EXPECT_EQ(h.params.text("LabelTer"), "Use 'Europe.ter'");
  EXPECT_EQ(h.params.text("LabelBmp"), "Use 'Europe_elv.bmp'");
  Dir1_Change(h.params, "/");
  EXPECT_EQ(h.params.text("LabelTer"), "Use '.ter'");
  EXPECT_EQ(h.params.text("LabelBmp"), "Use '_elv.bmp'");
}

TEST(ToggleChecks, InvertsTheFourSwitches) {
  Harness h("/tmp/Europe");
  auto switches = [&] {
    return std::vector<int>{h.params.switchValue("LevelTerr"), h.params.switchValue("Check1"),
                            h.params.switchValue("Check2"), h.params.switchValue("Check3")};
  };
  ToggleChecks_Click(h.cx);
  EXPECT_EQ(switches(), (std::vector<int>{0, 1, 0, 1}));
  ToggleChecks_Click(h.cx);
  EXPECT_EQ(switches(), (std::vector<int>{1, 0, 1, 0}));
  h.params.setSwitch("Check1", 2);  // grey becomes on
  ToggleChecks_Click(h.cx);
  EXPECT_EQ(h.params.switchValue("Check1"), 1);
}

TEST(ParameterSetTest, KindsGroupsAndTheListener) {
  ParameterSet p;
  std::vector<std::string> changes;
  p.setListener([&](const std::string& name) { changes.push_back(name); });
  p.setOption("MapOp2", true);
  EXPECT_FALSE(p.option("MapOp1"));
  EXPECT_EQ(changes, (std::vector<std::string>{"MapOp1", "MapOp2"}));
  p.setOption("MapOp2", false);  // the group may be left without a choice
  EXPECT_FALSE(p.option("MapOp1") || p.option("MapOp2") || p.option("MapOp3"));
  EXPECT_EQ(p.number("MaxAlt"), 1400);
  EXPECT_EQ(p.kind("maxUbmp"), ControlKind::Display);
  EXPECT_THROW(p.setChoice("Combo1", 7), std::out_of_range);
  EXPECT_THROW(p.text("Combo1"), std::invalid_argument);
  EXPECT_FALSE(p.has("Text2"));
  EXPECT_FALSE(p.setFromText("Check1", "3"));
  EXPECT_FALSE(p.setFromText("Combo1", "1x"));
  EXPECT_FALSE(p.setFromText("MapOp1", "yes"));
  EXPECT_TRUE(p.setFromText("Combo1", "-1"));
  EXPECT_EQ(p.valueText("Combo1"), "-1");
  EXPECT_EQ(p.names().size(), 26u + 23u + 22u + 27u);
}

}  // namespace
}  // namespace quarnby
