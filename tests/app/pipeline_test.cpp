// Every button in the window's order on the demo terrain, then every button again in a
// folder that cannot be written.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/resource.h>
#endif

#include <cmath>
#include <csignal>

#include <map>
#include <sstream>

#include "app/commands.h"
#include "app/settings_file.h"
#include "demo/demo_terrain.h"
#include "support/terrain_fixture.h"
#include "support/without_write_access.h"
#include "terrain/terrain_folder.h"
#include "terrain/track_file.h"

namespace quarnby {
namespace {

// The buttons a new user presses on the demo terrain, in the window's order, with the
// controls set first and the command that makes their input; a command not built into
// this program, or whose input nothing makes, is passed over.
struct Step {
  std::string command;
  std::map<std::string, std::string> sets;
  std::string needs;
};
const std::vector<Step> kPipeline = {
    {"find-units-terragen", {}, ""},
    {"set-elevation-terragen", {}, ""},
    {"set-type", {}, ""},
    {"set-sub-types", {}, ""},
    {"modify-terrain", {{"Check1", "1"}, {"Check3", "1"}}, ""},
    {"make-tracks", {}, ""},
    {"make-map", {{"MapOp1", "true"}}, ""},
    {"make-map", {{"MapOp2", "true"}}, "make-tracks"},
    {"make-map", {{"MapOp3", "true"}}, ""},
    {"export-greyscale", {}, ""},
    {"save-settings", {}, ""},
};

struct PipelineTest : testing::TerrainFixture {
  PipelineTest() : TerrainFixture("Demo") {
    EXPECT_FALSE(demo::writeDemoTerrain(tmp.path()));
    h.cx.settingsFile = tmp.path() / "quarnby.cfg";
    Form_Load(h.cx);
  }

  // Runs the pipeline; returns one line per command run: name, outcome, first message.
  std::string runPipeline() {
    std::ostringstream log;
    for (const auto& [name, sets, needs] : kPipeline) {
      const Command* command = findCommand(name);
      if (!command || (!needs.empty() && !findCommand(needs))) continue;
      for (const auto& [control, value] : sets) h.params.setFromText(control, value);
      h.host.messages.clear();
      h.host.answers = {true};
      const Outcome outcome = command->run(h.cx);
      std::string first = h.host.messages.empty() ? "" : h.host.messages.front().text;
      first = first.substr(0, first.find_first_of("\r\n"));
      log << name << '|' << (outcome == Outcome::Completed ? "done" : "early") << '|' << first << '\n';
    }
    return log.str();
  }
};

TEST_F(PipelineTest, EveryButtonInOrderWorksOnTheDemoTerrain) {
  const std::string log = runPipeline();
  EXPECT_EQ(log.find("|early|"), std::string::npos) << log;
  const std::map<std::string, std::uintmax_t> sizes = {{"Demo.elv", 2097152},         {"Demo.typ", 262144},
                                                       {"Demo.SYP", 262144},          {"Demo_colormap.bmp", 1048676},
                                                       {"Demo_roadmap.bmp", 1048676}, {"Demo_objdots.bmp", 1048676},
                                                       {"Demo_elv.bmp", 1049656}};
  for (const auto& [name, size] : sizes) {
    const auto file = folder / name;
    ASSERT_TRUE(std::filesystem::exists(file)) << name;
    EXPECT_EQ(std::filesystem::file_size(file), size) << name;
  }
  EXPECT_GT(std::filesystem::file_size(folder / "Demo.tra"), 1000u);

  // Every side's port gets a barge route as long as its railways, long enough to be seen.
  std::string error;
  const auto records = readTrackRecords(folder / "Demo.tra", error);
  ASSERT_TRUE(records) << error;
  int rivers = 0;
  for (const auto& record : *records) {
    if (record.kind != kRiver) continue;
    ++rivers;
    double samples = 0;
    for (std::size_t i = 1; i < record.points.size(); ++i)
      samples += (std::fabs(record.points[i].x - record.points[i - 1].x) +
                  std::fabs(record.points[i].z - record.points[i - 1].z)) /
                 kSampleSpacing;
    EXPECT_GE(samples, 20) << "river " << rivers;
  }
  EXPECT_EQ(rivers, 3);
}

TEST_F(PipelineTest, AFolderThatCannotBeWrittenKeepsEveryFile) {
#ifdef _WIN32
  GTEST_SKIP() << "no read-only folders or user switch on Windows";
#else
  runPipeline();
  h.cx.settingsFile = folder / "quarnby.cfg";
  testing::writeText(h.cx.settingsFile, "kept");
  const auto before = snapshot();
  const std::string log = testing::withoutWriteAccess(folder, [&] { return runPipeline(); });
  EXPECT_EQ(snapshot(), before);

  std::istringstream lines(log);
  int runs = 0;
  for (std::string line; std::getline(lines, line); ++runs) {
    const bool onlyReads = line.rfind("find-units", 0) == 0;
    if (onlyReads) {
      EXPECT_NE(line.find("|done|"), std::string::npos) << line;
    } else {
      EXPECT_NE(line.find("|early|Can't open the"), std::string::npos) << line;
    }
  }
  EXPECT_GT(runs, 3);
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    EXPECT_NE(entry.path().filename().string()[0], '.') << "temporary file left: " << entry.path();
#endif
}

TEST_F(PipelineTest, AFullDiskKeepsEveryPreviousFileWhole) {
#ifdef _WIN32
  GTEST_SKIP() << "no file-size limit (rlimit) on Windows";
#else
  runPipeline();
  const auto before = snapshot();
  // A file-size limit refuses every write past 64 KiB, as a disk that fills up does.
  struct rlimit saved {};
  ::getrlimit(RLIMIT_FSIZE, &saved);
  auto* previous = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = saved;
  small.rlim_cur = 65536;
  ::setrlimit(RLIMIT_FSIZE, &small);
  const std::string log = runPipeline();
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous);

  EXPECT_EQ(snapshot(), before);
  std::istringstream lines(log);
  for (std::string line; std::getline(lines, line);) {
    const bool small = line.rfind("find-units", 0) == 0 || line.rfind("make-tracks", 0) == 0 ||
                       line.rfind("save-settings", 0) == 0;  // nothing or little to write
    if (!small) {
      EXPECT_NE(line.find("|early|Can't write the"), std::string::npos) << line;
    }
  }
#endif
}

}  // namespace
}  // namespace quarnby
