// Undo and redo: every operation that writes, undone and redone byte for byte; the order
// of steps; outside changes; the limits; a history that cannot be kept; a restore killed.
#include <gtest/gtest.h>

#include <csignal>
#include <map>
#include <set>
#include <sstream>

#include "app/commands.h"
#include "app/history.h"
#include "app/settings_file.h"
#include "app/undo.h"
#include "batch/batch.h"
#include "demo/demo_terrain.h"
#include "support/terrain_fixture.h"
#include "terrain/file_io.h"

namespace quarnby {
namespace {

using Files = std::map<std::string, std::vector<std::uint8_t>>;

// The names of the files that differ between two snapshots, missing from one included.
std::set<std::string> differences(const Files& a, const Files& b) {
  std::set<std::string> names;
  for (const auto& [name, bytes] : a)
    if (!b.contains(name) || b.at(name) != bytes) names.insert(name);
  for (const auto& [name, bytes] : b)
    if (!a.contains(name)) names.insert(name);
  return names;
}

// Every operation that writes, in an order in which each finds its inputs on the demo
// terrain; Set Elevation and Make Tracks create their files, the others replace them.
struct Case {
  std::string command;
  std::map<std::string, std::string> sets;
  std::set<std::string> writes;  // the files it changes on the demo terrain
};
const std::vector<Case> kWriters = {
    {"set-elevation-terragen", {}, {"Demo.elv"}},
    {"set-type", {}, {"Demo.typ"}},
    {"set-sub-types", {}, {"Demo.SYP"}},
    {"modify-terrain",
     {{"LevelTerr", "1"}, {"Check1", "1"}, {"Check2", "1"}, {"Check3", "1"}},
     {"Demo.elv", "Demo.typ", "Demo.SYP"}},
    {"make-tracks", {}, {"Demo.tra"}},
    {"make-map", {{"MapOp1", "true"}}, {"Demo_colormap.bmp"}},
    {"make-map", {{"MapOp2", "true"}}, {"Demo_roadmap.bmp"}},
    {"make-map", {{"MapOp3", "true"}}, {"Demo_objdots.bmp"}},
    {"set-elevation-greyscale", {}, {"Demo.elv"}},
    {"export-greyscale", {}, {"Demo_elv.bmp"}},
};

struct HistoryTest : testing::TerrainFixture {
  std::filesystem::path state = tmp.path() / "state";

  HistoryTest() : TerrainFixture("Demo") {
    EXPECT_FALSE(demo::writeDemoTerrain(tmp.path()));
    h.cx.settingsFile = tmp.path() / "quarnby.cfg";
    h.cx.stateFolder = state;
    Form_Load(h.cx);
    EXPECT_EQ(run("find-units-terragen"), Outcome::Completed);  // the elevation range, for every case
  }

  Outcome run(const std::string& command, const std::map<std::string, std::string>& sets = {}) {
    for (const auto& [control, value] : sets) h.params.setFromText(control, value);
    h.host.messages.clear();
    h.host.answers = {true};
    return runCommand(*findCommand(command), h.cx);
  }
  std::string lastMessage() const { return h.host.messages.empty() ? "" : h.host.messages.back().text; }
  History history() const { return History(historyRoot(state), folder); }

  // Runs the writers up to (not including) `command`, to give it its inputs.
  void runWritersBefore(const std::string& command) {
    for (const Case& c : kWriters) {
      if (c.command == command) return;
      ASSERT_EQ(run(c.command, c.sets), Outcome::Completed) << c.command << ": " << lastMessage();
    }
  }
};

TEST_F(HistoryTest, EveryOperationThatWritesIsUndoneAndRedoneByteForByte) {
  for (const Command& command : commands()) {
    // A command with options of its own needs them (Import DEM: its sources); its undo is
    // checked where those are made (tests/dem).
    if (!command.changes || !command.options.empty()) continue;
    EXPECT_TRUE(std::any_of(kWriters.begin(), kWriters.end(), [&](const Case& c) { return c.command == command.name; }))
        << command.name << " writes files but has no case here";
  }
  for (const Case& c : kWriters) {
    SCOPED_TRACE(c.command);
    const Files before = snapshot();
    ASSERT_EQ(run(c.command, c.sets), Outcome::Completed) << lastMessage();
    const Files after = snapshot();

    // Only what the operation writes changed or appeared: nothing of the history.
    EXPECT_EQ(differences(before, after), c.writes);

    ASSERT_EQ(run("undo"), Outcome::Completed) << lastMessage();
    EXPECT_EQ(differences(snapshot(), before), std::set<std::string>{});
    ASSERT_EQ(run("redo"), Outcome::Completed) << lastMessage();
    EXPECT_EQ(differences(snapshot(), after), std::set<std::string>{});
  }
}

TEST_F(HistoryTest, UndoStepsBackOverOperationsAndANewOperationEndsRedo) {
  runWritersBefore("set-type");
  const Files start = snapshot();
  ASSERT_EQ(run("set-type"), Outcome::Completed);
  const Files typed = snapshot();
  ASSERT_EQ(run("set-sub-types"), Outcome::Completed);
  EXPECT_EQ(history().nextUndo()->title, "Set Sub-Types");

  ASSERT_EQ(run("undo"), Outcome::Completed);
  EXPECT_EQ(lastMessage().rfind("Undone: Set Sub-Types (Demo.SYP) at ", 0), 0u) << lastMessage();
  ASSERT_EQ(run("undo"), Outcome::Completed);
  EXPECT_EQ(differences(snapshot(), start), std::set<std::string>{});
  ASSERT_EQ(run("redo"), Outcome::Completed);
  EXPECT_EQ(differences(snapshot(), typed), std::set<std::string>{});
  ASSERT_NE(history().nextRedo(), nullptr);

  // Make Map records a step: the Sub-Types step that could be redone is gone.
  ASSERT_EQ(run("make-map", {{"MapOp1", "true"}}), Outcome::Completed);
  EXPECT_EQ(history().nextRedo(), nullptr);
  EXPECT_EQ(run("redo"), Outcome::EndedEarly);
  EXPECT_EQ(lastMessage(), "There is nothing to redo.");
  EXPECT_EQ(history().steps().size(), 3u);  // Set Elevation, Set Type, Make Map

  // An operation that changes nothing (the same map drawn again) adds no step.
  ASSERT_EQ(run("make-map"), Outcome::Completed);
  EXPECT_EQ(history().steps().size(), 3u);
}

TEST_F(HistoryTest, TheBatchProgramRefusesToUndoOverAnOutsideChangeWithoutYes) {
  runWritersBefore("set-type");
  const Files start = snapshot();
  const auto batch = [&](std::vector<std::string> args) {
    std::ostringstream out, err;
    std::vector<std::string> all = {"--config", h.cx.settingsFile.string()};
    all.insert(all.end(), args.begin(), args.end());
    const int status = runBatch(all, out, err);
    return std::make_pair(status, out.str() + err.str());
  };
  // The batch program keeps its history in the state folder set for every test program.
  ASSERT_EQ(batch({folder.string(), "set-type", "set-sub-types"}).first, 0);
  testing::writeBytes(folder / "Demo.SYP", {1, 2, 3});

  const auto refused = batch({folder.string(), "undo"});
  EXPECT_EQ(refused.first, 1);
  EXPECT_NE(refused.second.find("these files were changed:\nDemo.SYP\n"), std::string::npos) << refused.second;
  EXPECT_EQ(testing::readBytes(folder / "Demo.SYP"), (std::vector<std::uint8_t>{1, 2, 3}));

  EXPECT_EQ(batch({"--yes", folder.string(), "undo", "undo"}).first, 0);
  EXPECT_EQ(differences(snapshot(), start), std::set<std::string>{});

  const auto listed = batch({folder.string(), "history"});
  EXPECT_EQ(listed.first, 0);
  const auto sub = listed.second.find("Set Sub-Types (Demo.SYP)  can be redone");
  const auto type = listed.second.find("Set Type (Demo.typ)  can be redone");
  const auto elevation = listed.second.find("Set Elevation (Terragen) (Demo.elv)\n");
  EXPECT_TRUE(sub < type && type < elevation) << listed.second;

  // Redone with --yes, the outside bytes come back: redo is the reverse of that undo.
  EXPECT_EQ(batch({folder.string(), "redo", "redo"}).first, 0);
  EXPECT_EQ(testing::readBytes(folder / "Demo.SYP"), (std::vector<std::uint8_t>{1, 2, 3}));
  EXPECT_EQ(batch({folder.string(), "redo"}).first, 1);
}

TEST_F(HistoryTest, LimitsDropTheOldestSteps) {
  std::uint8_t fill = 0;
  const auto step = [&](History& history, const std::filesystem::path& file, std::size_t size) {
    ASSERT_FALSE(history.keepBefore("Write", {file.filename().string()}));
    // Replaced as an operation replaces a file: a new file renamed over the old.
    const std::vector<std::uint8_t> bytes(size, ++fill);
    ASSERT_FALSE(replaceFile(file, bytes));
    ASSERT_FALSE(history.recordAfter());
  };
  History counted(historyRoot(state), folder, {3, 1 << 30});
  for (int i = 0; i < 5; ++i) step(counted, folder / "Demo.tra", 10);
  ASSERT_EQ(counted.steps().size(), 3u);
  EXPECT_EQ(counted.steps().front().id, "0000000003");
  EXPECT_EQ(History(historyRoot(state), folder).steps().size(), 3u);

  // Across folders, oldest first: this folder's three small steps and the other folder's
  // first two go before its fourth step fits.
  const auto other = tmp.terrain("Other");
  History sized(historyRoot(state), other, {50, 250000});
  for (int i = 0; i < 3; ++i) step(sized, other / "Other.tra", 100000);
  EXPECT_EQ(History(historyRoot(state), folder).steps().size(), 3u);
  step(sized, other / "Other.tra", 100000);
  EXPECT_EQ(History(historyRoot(state), folder).steps().size(), 0u);
  ASSERT_EQ(sized.steps().size(), 2u);
  EXPECT_EQ(sized.steps().front().id, "0000000003");
}

TEST_F(HistoryTest, AnOperationWhoseStepCannotBeKeptStillRunsAndSaysSo) {
  runWritersBefore("set-type");
  testing::writeText(tmp.path() / "not-a-folder", "");
  h.cx.stateFolder = tmp.path() / "not-a-folder";
  ASSERT_EQ(run("set-type"), Outcome::Completed);
  ASSERT_EQ(h.host.messages.size(), 1u);
  const std::string text = h.host.messages[0].text;
  EXPECT_EQ(text.rfind("Done\r\nThis cannot be undone: cannot make the history folder ", 0), 0u) << text;
  EXPECT_TRUE(std::filesystem::exists(folder / "Demo.typ"));
  EXPECT_EQ(run("undo"), Outcome::EndedEarly);
  EXPECT_EQ(lastMessage(), "There is nothing to undo.");

  // A file written in place rather than replaced writes through its kept link as well:
  // that step is refused rather than kept with the wrong bytes.
  History history = this->history();
  ASSERT_FALSE(history.keepBefore("Write", {"Demo.typ"}));
  testing::writeBytes(folder / "Demo.typ", {7, 7, 7});
  EXPECT_EQ(history.recordAfter(), "the kept copy of Demo.typ was changed with it");
  ASSERT_NE(history.nextUndo(), nullptr);
  EXPECT_EQ(history.nextUndo()->title, "Set Elevation (Terragen)");
}

// A restore killed after its step was marked, or after the files were replaced, leaves
// the files before or after it, and the history settles on the side they are on.
TEST_F(HistoryTest, ARestoreKilledHalfwayLeavesTheFilesBeforeOrAfterIt) {
#ifdef _WIN32
  GTEST_SKIP() << "a Windows death test reruns the test in a new process, which makes a terrain folder of its own";
#else
  runWritersBefore("set-type");
  const Files start = snapshot();
  ASSERT_EQ(run("set-type"), Outcome::Completed);
  const Files typed = snapshot();
  for (const std::string stage : {"marked", "restored"}) {
    SCOPED_TRACE(stage);
    EXPECT_EXIT(
        {
          History history = this->history();
          history.stageHook = [&](std::string_view at) {
            if (at == stage) std::raise(SIGKILL);
          };
          history.undo();
          std::exit(0);
        },
        ::testing::KilledBySignal(SIGKILL), "");
    const History after = history();
    if (stage == "marked") {
      EXPECT_EQ(differences(snapshot(), typed), std::set<std::string>{});
      ASSERT_NE(after.nextUndo(), nullptr);
      EXPECT_EQ(after.nextUndo()->title, "Set Type");
    } else {
      EXPECT_EQ(differences(snapshot(), start), std::set<std::string>{});
      ASSERT_NE(after.nextRedo(), nullptr);
      EXPECT_EQ(after.nextRedo()->title, "Set Type");
    }
  }
#endif
}

// An operation killed after it replaced some of its files (or before it replaced any)
// leaves a step that puts back what it had replaced, found when the history is opened next.
TEST_F(HistoryTest, AnOperationKilledBetweenItsFilesLeavesAStepThatPutsThemBack) {
#ifdef _WIN32
  GTEST_SKIP() << "a Windows death test reruns the test in a new process, which makes a terrain folder of its own";
#else
  runWritersBefore("modify-terrain");
  const Files start = snapshot();
  const std::string previous = history().nextUndo()->title;
  for (const bool replacedOne : {false, true}) {
    SCOPED_TRACE(replacedOne);
    EXPECT_EXIT(
        {
          runRecorded(h.cx, "Modify Terrain", {suffix::kElevation, suffix::kType, suffix::kSubType}, [&](Context&) {
            if (replacedOne) replaceFile(file(suffix::kElevation), std::vector<std::uint8_t>(2097152, 7));
            std::raise(SIGKILL);
            return Outcome::Completed;
          });
          std::exit(0);
        },
        ::testing::KilledBySignal(SIGKILL), "");
    History after = history();
    ASSERT_NE(after.nextUndo(), nullptr);
    if (!replacedOne) {
      EXPECT_EQ(after.nextUndo()->title, previous);
      continue;
    }
    EXPECT_EQ(stepText(*after.nextUndo()).substr(0, 40), "Modify Terrain (interrupted) (Demo.elv) ");
    after.recover();  // as the next operation does, under the folder lock
    EXPECT_EQ(stepText(*after.nextUndo()).substr(0, 40), "Modify Terrain (interrupted) (Demo.elv) ");
    EXPECT_FALSE(after.undo());
    EXPECT_EQ(differences(snapshot(), start), std::set<std::string>{});
  }
#endif
}

}  // namespace
}  // namespace quarnby
