#pragma once
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quarnby {

// The undo history of the terrain folders. It lives in the user's state folder, never in
// the terrain folder (which is what gets shipped), one folder per terrain folder keyed by
// its canonical path:
//
//     <root>/<key>/folder.txt            the terrain folder's canonical path
//     <root>/<key>/0000000007/step.txt   title, time, state, every file and control before and after
//     <root>/<key>/0000000007/before/    the files as they were before the step
//     <root>/<key>/0000000007/after/     the files as they were after it (kept by undo)
//     <root>/<key>/pending-<process>-<start>/   the files kept before a run that is going on
//
// A kept file is a hard link to the replaced file where the file system allows it (an
// operation replaces a file by renaming a new one over it, so the link keeps the old
// bytes for free), else a copy; it has a short name of its own drawn from the file's.

// A file's state: missing, or its size and hash.
struct FileState {
  bool exists = false;
  std::uint64_t size = 0;
  std::uint64_t hash = 0;
  bool operator==(const FileState&) const = default;
};

// The state of a file of the terrain folder now (through a link, of the file it names);
// an error when it exists but cannot be read.
std::optional<FileState> fileStateOf(const std::filesystem::path& file, std::string& error);

struct StepFile {
  std::string name;  // in the terrain folder
  FileState before;
  FileState after;
};

// A control of the parameter set the step's operation changed, as value texts.
struct StepControl {
  std::string name;
  std::string before;
  std::string after;
  bool operator==(const StepControl&) const = default;
};

// Done: undo restores `before`. Undone: redo restores `after`. Undoing and Redoing mark a
// restore that was cut short; recovery settles them by the files' states.
enum class StepState { Done, Undone, Undoing, Redoing };

enum class Direction { kUndo, kRedo };

struct Step {
  std::string id;  // its folder's name; ids grow with every step
  std::string title;
  std::int64_t time = 0;  // microseconds since the epoch, which orders steps across folders
  StepState state = StepState::Done;
  std::vector<StepFile> files;
  std::vector<StepControl> controls;
  bool damaged = false;      // its record could not be read whole: it is never restored
  bool interrupted = false;  // a killed run's kept files, which recovery makes a step
};

// "Demo.elv, Demo.typ", then the controls: "Demo.ter; MaxUnits, MinUnits"
std::string stepFileList(const Step& step);
// "Modify Terrain (Demo.elv, Demo.typ) at 10:42"
std::string stepText(const Step& step);

struct HistoryLimits {
  std::size_t steps = 50;                       // per terrain folder
  std::uintmax_t bytes = 512ull * 1024 * 1024;  // kept files of all folders together
};

// The root of the history: `stateFolder` when given, else the user's state folder
// ($XDG_STATE_HOME/quarnby/history, ~/.local/state/quarnby/history, the local application
// data folder on Windows); empty when there is none.
std::filesystem::path historyRoot(const std::filesystem::path& stateFolder);

// What a restore that failed did: `filesRestored` when every file was put back and only
// the step's new mark could not be written (recovery sets it from the files later).
struct RestoreFailure {
  std::string reason;
  bool filesRestored = false;
};

class History {
 public:
  // The history of `terrainFolder` under `root`, read only: nothing is written until
  // recover(), a recording or a restore. A restore cut short shows as the state recovery
  // will settle it in, a killed run's kept files as the step recovery will make of them.
  History(std::filesystem::path root, const std::filesystem::path& terrainFolder, HistoryLimits limits = {});

  // Every step, oldest first. Done steps come before Undone ones.
  const std::vector<Step>& steps() const { return steps_; }
  const Step* nextUndo() const;
  const Step* nextRedo() const;
  const Step* next(Direction direction) const;

  // Only while the terrain folder is locked (no other run works in it): settles restores
  // cut short (the files all at one side and the mark agreeing), makes the kept files of
  // killed runs their steps, removes what killed runs left and drops the oldest steps
  // beyond the limits.
  void recover();

  // Recording an operation: keep the named files of the terrain folder as they are now,
  // then, once it has run, make the files that changed one step (nothing when none did),
  // with the controls it changed. Both return the reason when the step cannot be
  // recorded. A run killed in between (or a power cut) is found by recovery: the files it
  // had already replaced become a step titled "<title> (interrupted)", so undo puts them back.
  std::optional<std::string> keepBefore(std::string title, std::vector<std::string> fileNames);
  std::optional<std::string> recordAfter(std::vector<StepControl> controls = {});

  // The files of `step` that differ now from what undoing it (or redoing it) expects:
  // something else changed them since.
  std::vector<std::string> changedSince(const Step& step) const;

  // Restores the files of next(direction), all or nothing; what failed.
  std::optional<RestoreFailure> restore(Direction direction);
  std::optional<RestoreFailure> undo() { return restore(Direction::kUndo); }
  std::optional<RestoreFailure> redo() { return restore(Direction::kRedo); }

  // Called between the stages of a restore ("marked", "restored") and before a recorded
  // step moves into place ("recording"); tests stop there.
  std::function<void(std::string_view stage)> stageHook;
  // Called before the terrain file of each rename of a restore; tests stop there.
  std::function<void(std::size_t rename)> renameHook;

 private:
  void load();
  void loadPending(const std::filesystem::path& pending);
  std::optional<Step> finishedStep(Step step, const std::filesystem::path& pending, std::string& why) const;
  std::optional<std::string> placeStep(Step step, const std::filesystem::path& pending);
  std::optional<std::string> putBack(const Step& step, Direction direction) const;
  // Where the files of a step being restored in `direction` are: all where it started,
  // all where it goes, each at one of the two, or some at neither (changed from outside).
  enum class Side { Origin, Target, Mixed, Neither };
  Side sideOf(const Step& step, Direction direction) const;
  std::optional<StepState> settledState(const Step& step) const;
  void settle(Step& step);
  void removeLeftovers();
  void trim();
  std::filesystem::path stepFolder(const Step& step) const { return folder_ / step.id; }
  std::filesystem::path terrainFile(const StepFile& f) const;

  std::filesystem::path root_;
  std::filesystem::path terrain_;
  std::filesystem::path folder_;  // of this terrain folder under root_; empty without a root
  HistoryLimits limits_;
  std::vector<Step> steps_;
  std::optional<Step> pending_;
};

}  // namespace quarnby
