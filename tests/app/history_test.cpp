// Undo and redo: every operation that writes, undone and redone byte for byte; the order
// of steps; outside changes; the limits; a history that cannot be kept; a restore killed.
#include <gtest/gtest.h>

#include <csignal>
#ifndef _WIN32
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif
#include <map>
#include <set>
#include <sstream>

#include "app/commands.h"
#include "app/history.h"
#include "app/history_store.h"
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
  std::filesystem::path historyFolder() const { return history::folderOf(historyRoot(state), folder); }
  // The folders of runs that kept files and have not recorded their step.
  std::vector<std::filesystem::path> pendings() const {
    std::vector<std::filesystem::path> found;
    for (const auto& entry : std::filesystem::directory_iterator(historyFolder()))
      if (entry.path().filename().string().starts_with(history::kPendingPrefix)) found.push_back(entry.path());
    return found;
  }

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

#ifndef _WIN32
// A restore killed at any rename of its three files: recovery puts the folder byte for
// byte on one side of the step, and the mark agrees (as the read-only view said before).
TEST_F(HistoryTest, ARestoreKilledAtAnyRenameIsSettledOnOneSide) {
  runWritersBefore("modify-terrain");
  const Files start = snapshot();
  ASSERT_EQ(run(kWriters[3].command, kWriters[3].sets), Outcome::Completed);
  const Files modified = snapshot();
  for (const Direction direction : {Direction::kUndo, Direction::kRedo}) {
    if (direction == Direction::kRedo) {
      ASSERT_EQ(run("undo"), Outcome::Completed);
    }
    for (std::size_t at = 0; at < 3; ++at) {
      SCOPED_TRACE(::testing::Message() << (direction == Direction::kUndo ? "undo" : "redo") << " killed at rename "
                                        << at);
      EXPECT_EXIT(
          {
            History history = this->history();
            history.renameHook = [&](std::size_t rename) {
              if (rename == at) std::raise(SIGKILL);
            };
            history.restore(direction);
            std::exit(0);
          },
          ::testing::KilledBySignal(SIGKILL), "");
      const StepState seen = history().steps().back().state;
      removeLeftoverTemps(folder);  // as the next operation does
      History after = history();
      after.recover();
      const bool atStart = differences(snapshot(), start).empty();
      EXPECT_TRUE(atStart || differences(snapshot(), modified).empty());
      EXPECT_EQ(after.steps().back().state, atStart ? StepState::Undone : StepState::Done);
      EXPECT_EQ(seen, after.steps().back().state);
    }
  }
}

// The files were put back but the last mark could not be written: that is a success, and
// the next recovery sets the mark from the files.
TEST_F(HistoryTest, ARestoreWhoseLastMarkFailedIsDoneAndMarkedNextTime) {
  runWritersBefore("set-type");
  const Files start = snapshot();
  ASSERT_EQ(run("set-type"), Outcome::Completed);
  History history = this->history();
  rlimit old{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
  const auto previous = std::signal(SIGXFSZ, SIG_IGN);
  history.stageHook = [&](std::string_view at) {
    const rlimit tiny{1, old.rlim_max};  // every write from here on fails
    if (at == "restored") ::setrlimit(RLIMIT_FSIZE, &tiny);
  };
  const auto failed = history.undo();
  ::setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, previous);
  ASSERT_TRUE(failed);
  EXPECT_TRUE(failed->filesRestored) << failed->reason;
  EXPECT_EQ(differences(snapshot(), start), std::set<std::string>{});
  ASSERT_NE(this->history().nextRedo(), nullptr);
  History later = this->history();
  later.recover();
  const std::string record = testing::readText(historyFolder() / later.nextRedo()->id / "step.txt");
  EXPECT_NE(record.find("\nstate undone\n"), std::string::npos) << record;
}

// Killed after the step's record was written, before it moved into place: the step stays.
TEST_F(HistoryTest, ARunKilledWhileItsStepIsRecordedKeepsItsStep) {
  runWritersBefore("set-type");
  const Files start = snapshot();
  EXPECT_EXIT(
      {
        History history = this->history();
        history.keepBefore("Write", {"Demo.tra"});
        replaceFile(folder / "Demo.tra", "roads");
        history.stageHook = [](std::string_view at) {
          if (at == "recording") std::raise(SIGKILL);
        };
        history.recordAfter();
        std::exit(0);
      },
      ::testing::KilledBySignal(SIGKILL), "");
  ASSERT_NE(history().nextUndo(), nullptr);
  EXPECT_EQ(history().nextUndo()->title, "Write");
  History after = history();
  after.recover();
  EXPECT_TRUE(pendings().empty());
  ASSERT_NE(after.nextUndo(), nullptr);
  EXPECT_EQ(after.nextUndo()->title, "Write");
  EXPECT_FALSE(after.undo());
  EXPECT_EQ(differences(snapshot(), start), std::set<std::string>{});
}

// The kept files of a run that is still going (in another process) are its own; once it
// is gone they become its step, also when its number now belongs to a later process.
TEST_F(HistoryTest, KeptFilesAreAdoptedOnlyOnceTheirRunIsGone) {
  runWritersBefore("set-type");
  int ready[2], hold[2];
  ASSERT_EQ(::pipe(ready), 0);
  ASSERT_EQ(::pipe(hold), 0);
  const pid_t child = ::fork();
  if (child == 0) {
    History history = this->history();
    history.keepBefore("Write", {"Demo.tra"});
    replaceFile(folder / "Demo.tra", "roads");
    char c = 1;
    (void)!::write(ready[1], &c, 1);
    (void)!::read(hold[0], &c, 1);  // until the parent lets go
    ::_exit(0);
  }
  char c = 0;
  ASSERT_EQ(::read(ready[0], &c, 1), 1);
  History live = history();
  live.recover();
  EXPECT_EQ(live.nextUndo()->title, "Set Elevation (Terragen)");
  EXPECT_EQ(pendings().size(), 1u);
  ::kill(child, SIGKILL);
  ::waitpid(child, nullptr, 0);
  for (int fd : {ready[0], ready[1], hold[0], hold[1]}) ::close(fd);

  // The number of a process that is running, with another start: not the run that kept them.
  ASSERT_EQ(pendings().size(), 1u);
  std::filesystem::rename(pendings()[0], historyFolder() / ("pending-" + std::to_string(::getppid()) + "-1"));
  EXPECT_EQ(history().nextUndo()->title, "Write (interrupted)");
  History gone = history();
  gone.recover();
  EXPECT_TRUE(pendings().empty());
  ASSERT_NE(gone.nextUndo(), nullptr);
  EXPECT_EQ(gone.nextUndo()->title, "Write (interrupted)");
}

// A link in the terrain folder stays a link through undo and redo; the file it names is
// what is kept and put back. A name of 250 bytes is kept under a short name.
TEST_F(HistoryTest, LinkedFilesAndLongNamesAreUndone) {
  runWritersBefore("set-type");
  const std::filesystem::path real = tmp.path() / "elsewhere.typ";
  testing::writeBytes(real, {1, 2, 3});
  std::filesystem::create_symlink(real, folder / "Demo.typ");
  ASSERT_EQ(run("set-type"), Outcome::Completed);
  EXPECT_EQ(lastMessage(), "Done");
  const auto typed = testing::readBytes(real);
  ASSERT_EQ(run("undo"), Outcome::Completed) << lastMessage();
  EXPECT_EQ(testing::readBytes(real), (std::vector<std::uint8_t>{1, 2, 3}));
  EXPECT_TRUE(std::filesystem::is_symlink(folder / "Demo.typ"));
  ASSERT_EQ(run("redo"), Outcome::Completed) << lastMessage();
  EXPECT_EQ(testing::readBytes(real), typed);
  EXPECT_TRUE(std::filesystem::is_symlink(folder / "Demo.typ"));

  const std::string name = std::string(246, 'n') + ".tra";
  testing::writeText(folder / name, "old");
  History history = this->history();
  ASSERT_FALSE(history.keepBefore("Write", {name}));
  ASSERT_FALSE(replaceFile(folder / name, "new"));
  ASSERT_FALSE(history.recordAfter());
  EXPECT_FALSE(history.undo());
  EXPECT_EQ(testing::readText(folder / name), "old");
}
#endif

// A step record cut short or tampered with is never half applied.
TEST_F(HistoryTest, ADamagedStepRecordIsRefusedAndNothingChanges) {
  runWritersBefore("set-type");
  ASSERT_EQ(run("set-type"), Outcome::Completed);
  const std::string id = history().nextUndo()->id;
  const std::filesystem::path record = historyFolder() / id / "step.txt";
  const std::string whole = testing::readText(record);
  const auto replaced = [&](const std::string& from, const std::string& to) {
    std::string text = whole;
    text.replace(text.find(from), from.size(), to);
    return text;
  };
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"cut before its end", whole.substr(0, whole.size() - 4)},
      {"cut inside its file", whole.substr(0, whole.find("\nafter ") + 1)},
      {"cut inside a line", whole.substr(0, whole.find("\nafter ") + 9)},
      {"a file outside the folder", replaced("file Demo.typ", "file ../Demo.typ")},
      {"out of the GIS subfolder", replaced("file Demo.typ", "file gis/../../Demo.typ")},
      {"deeper than the GIS subfolder", replaced("file Demo.typ", "file gis/a/Demo.typ")},
      {"in another subfolder", replaced("file Demo.typ", "file maps/Demo.typ")},
      {"an unknown state", replaced("state done", "state sideways")},
      {"a hash that is no number", replaced("\nafter 262144 ", "\nafter 262144 zz")},
      {"more after its end", whole + "file Demo.elv\n"},
  };
  const Files before = snapshot();
  for (const auto& [what, text] : cases) {
    SCOPED_TRACE(what);
    testing::writeText(record, text);
    EXPECT_EQ(run("undo"), Outcome::EndedEarly);
    EXPECT_EQ(lastMessage(), "Can't undo step " + id + ":\r\nits record is damaged\r\nThe files were left unchanged.");
    EXPECT_EQ(differences(snapshot(), before), std::set<std::string>{});
    EXPECT_EQ(testing::readText(record), text);
  }
  testing::writeText(record, whole);
  EXPECT_EQ(run("undo"), Outcome::Completed) << lastMessage();
}

// The controls the operation changed go back with its files, and the step names them.
TEST_F(HistoryTest, UndoAndRedoPutBackTheControlsTheStepChanged) {
  const std::string before = h.params.text("MaxUnits");
  const auto import = [](Context& cx) {
    if (replaceFile(terrainFile(cx.folder, suffix::kTerragen), "field")) return Outcome::EndedEarly;
    cx.params.setText("MaxUnits", "5280");
    cx.params.setSwitch("InvFileOrder", 0);
    cx.params.setText("maxUbmp", "99");  // a display, not a control
    return Outcome::Completed;
  };
  ASSERT_EQ(runOperation(h.cx, FileChanges{"Import DEM", {suffix::kTerragen}}, import), Outcome::Completed);
  ASSERT_NE(history().nextUndo(), nullptr);
  EXPECT_EQ(stepText(*history().nextUndo()).rfind("Import DEM (Demo.ter; MaxUnits, InvFileOrder) at ", 0), 0u)
      << stepText(*history().nextUndo());

  ASSERT_EQ(run("undo"), Outcome::Completed) << lastMessage();
  EXPECT_EQ(h.params.text("MaxUnits"), before);
  EXPECT_EQ(h.params.switchValue("InvFileOrder"), 1);
  EXPECT_EQ(lastMessage().rfind("Undone: Import DEM (Demo.ter; MaxUnits, InvFileOrder) at ", 0), 0u);
  ASSERT_EQ(run("history"), Outcome::Completed);
  EXPECT_NE(lastMessage().find("  Import DEM (Demo.ter; MaxUnits, InvFileOrder)  can be redone"), std::string::npos)
      << lastMessage();
  ASSERT_EQ(run("redo"), Outcome::Completed) << lastMessage();
  EXPECT_EQ(h.params.text("MaxUnits"), "5280");
  EXPECT_EQ(h.params.switchValue("InvFileOrder"), 0);
}

}  // namespace
}  // namespace quarnby
