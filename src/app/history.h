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
//     <root>/<key>/0000000007/step.txt   title, time, state, and every file before and after
//     <root>/<key>/0000000007/before/    the files as they were before the step
//     <root>/<key>/0000000007/after/     the files as they were after it (kept by undo)
//
// A kept file is a hard link to the replaced file where the file system allows it (an
// operation replaces a file by renaming a new one over it, so the link keeps the old
// bytes for free), else a copy.

// A file's state: missing, or its size and hash.
struct FileState {
  bool exists = false;
  std::uint64_t size = 0;
  std::uint64_t hash = 0;
  bool operator==(const FileState&) const = default;
};

// The state of a file of the terrain folder now; an error when it exists but cannot be read.
std::optional<FileState> fileStateOf(const std::filesystem::path& file, std::string& error);

struct StepFile {
  std::string name;  // in the terrain folder
  FileState before;
  FileState after;
};

// Done: undo restores `before`. Undone: redo restores `after`. Undoing and Redoing mark a
// restore that was cut short; opening the history settles them by the files' states.
enum class StepState { Done, Undone, Undoing, Redoing };

struct Step {
  std::string id;  // its folder's name; ids grow with every step
  std::string title;
  std::int64_t time = 0;  // microseconds since the epoch, which orders steps across folders
  StepState state = StepState::Done;
  std::vector<StepFile> files;
};

// "Demo.elv, Demo.typ"
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

class History {
 public:
  // The history of `terrainFolder` under `root`; nothing is written until a step is recorded.
  History(std::filesystem::path root, const std::filesystem::path& terrainFolder, HistoryLimits limits = {});

  // Every step, oldest first. Done steps come before Undone ones.
  const std::vector<Step>& steps() const { return steps_; }
  const Step* nextUndo() const;
  const Step* nextRedo() const;

  // Recording an operation: keep the named files of the terrain folder as they are now,
  // then, once it has run, make the files that changed one step (nothing when none did).
  // Both return the reason when the step cannot be recorded. A run killed in between
  // (or a power cut) is found when the history is next opened: the files it had already
  // replaced become a step titled "<title> (interrupted)", so undo puts them back.
  std::optional<std::string> keepBefore(std::string title, std::vector<std::string> fileNames);
  std::optional<std::string> recordAfter();

  // The files of `step` that differ now from what undoing it (or redoing it) expects:
  // something else changed them since.
  std::vector<std::string> changedSince(const Step& step) const;

  // Restores the files of nextUndo() / nextRedo(), all or nothing; the reason on failure.
  std::optional<std::string> undo();
  std::optional<std::string> redo();

  // Called between the stages of a restore ("marked", "restored"); tests stop there.
  std::function<void(std::string_view stage)> stageHook;

 private:
  std::optional<std::string> move(std::size_t index, bool undo);
  std::optional<std::string> writeStep(const Step& step, const std::filesystem::path& folder) const;
  void load();
  void adoptInterrupted();
  void settle(Step& step);
  void trim();
  std::filesystem::path stepFolder(const Step& step) const { return folder_ / step.id; }

  std::filesystem::path root_;
  std::filesystem::path terrain_;
  std::filesystem::path folder_;  // of this terrain folder under root_; empty without a root
  HistoryLimits limits_;
  std::vector<Step> steps_;
  std::optional<Step> pending_;
};

}  // namespace quarnby
