#include "batch/batch.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <regex>
#include <sstream>

#include "core/version.h"

#include "support/system_texts.h"
#include "support/temp_folder.h"

namespace quarnby {
namespace {

using testing::TempFolder;

struct BatchRun {
  int status;
  std::string out;
  std::string err;
};

BatchRun run(std::vector<std::string> args) {
  std::ostringstream out, err;
  const int status = runBatch(args, out, err);
  return {status, out.str(), err.str()};
}

struct BatchTest : ::testing::Test {
  TempFolder tmp;
  std::string config = (tmp.path() / "quarnby.cfg").string();
  std::string folder = (tmp.path() / "Europe").string();
};

TEST_F(BatchTest, ShowParamsPrintsTheStartUpDefaults) {
  const auto r = run({"--config", config, folder, "show-params"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_NE(r.out.find("Combo1=0\nCombo2=1\n"), std::string::npos);
  EXPECT_NE(r.out.find("Text4= 307\n"), std::string::npos);
  EXPECT_NE(r.out.find("Text25= 11200\n"), std::string::npos);
  EXPECT_NE(r.out.find("MapSize256=true\nMapSize512=false\n"), std::string::npos);
  EXPECT_NE(r.out.find("LabelTer=Use 'Europe.ter'\nLabelBmp=Use 'Europe_elv.bmp'\n"), std::string::npos);
}

TEST_F(BatchTest, SetsApplyAfterStartUpAndCommandsCarryTheParameters) {
  const auto r = run({"--config", config, "--set", "g0=0", "--set", "MapOp3=true", folder, "--set", "Text3=1",
                      "set-intervals", "save-settings", "show-params"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("Settings saved to: " + config + "\n"), std::string::npos);
  EXPECT_NE(r.out.find("Text4= 0\n"), std::string::npos);
  EXPECT_NE(r.out.find("MapOp1=false\nMapOp2=false\nMapOp3=true\n"), std::string::npos);
  // A second run loads the saved file.
  const auto again = run({"--config", config, folder, "show-params"});
  EXPECT_NE(again.out.find("g0=0\n"), std::string::npos);
  EXPECT_NE(again.out.find("MapOp1=true\n"), std::string::npos);  // not saved
}

TEST_F(BatchTest, UsageErrorsChangeNothing) {
  for (const auto& args :
       std::vector<std::vector<std::string>>{{"--config", config, folder, "save-settings", "no-such-command"},
                                             {"--config", config, "--set", "Nope=1", folder, "save-settings"},
                                             {"--config", config, "--set", "Check1=3", folder, "save-settings"},
                                             {"--config", config, "--set", "Combo1", folder, "save-settings"},
                                             {"--config", config, folder},
                                             {"--bogus"},
                                             {}}) {
    const auto r = run(args);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("--help"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(config));
  }
}

TEST_F(BatchTest, AnEarlyEndStopsTheRunWithStatusOne) {
  const std::string badConfig = (tmp.path() / "missing" / "quarnby.cfg").string();
  const auto r = run({"--config", badConfig, folder, "save-settings", "show-params"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "Can't open the file:\n" + badConfig + "\n" + testing::missingFolderText() + "\n");
  EXPECT_EQ(r.out, "");

  // Re-Load without a settings file refuses thresholds it cannot compute: an early end too.
  const auto reload = run({"--config", config, "--set", "Text25=1e309", folder, "reload-settings", "show-params"});
  EXPECT_EQ(reload.status, 1);
  EXPECT_EQ(reload.err,
            "The threshold of band 1 cannot be computed from the exponent 1.5 and the top threshold 1e309.\n"
            "The band thresholds were left unchanged.\n");
  EXPECT_EQ(reload.out, "");
}

TEST_F(BatchTest, HelpAndVersion) {
  // The version comes from project() in CMakeLists.txt through the generated header.
  EXPECT_EQ(run({"--version"}).out, std::string(kProgramTitle) + "\n");
  EXPECT_EQ(std::string(kProgramTitle), std::string(kProgramName) + " " + kProgramVersion);
  EXPECT_TRUE(std::regex_match(kProgramVersion, std::regex(R"(\d+\.\d+(\.\d+)*)"))) << kProgramVersion;
  const auto help = run({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("set-intervals"), std::string::npos);
  EXPECT_NE(help.out.find("show-params"), std::string::npos);
}

}  // namespace
}  // namespace quarnby
