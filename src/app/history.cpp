#include "app/history.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "app/history_store.h"
#include "platform/replace_file.h"
#include "platform/user_folders.h"
#include "terrain/file_io.h"

// The stack of steps: keeping the files before an operation, recording what it changed,
// undo and redo. Recovery from killed runs is history_recovery.cpp, the record's format
// and the kept files history_store.cpp.
namespace quarnby {

namespace fs = std::filesystem;
using namespace history;

namespace {

// Every kind of terrain file an operation writes is within this.
constexpr std::size_t kLargestFile = readLimit::kText;

std::int64_t nowMicroseconds() {
  return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::system_clock::now().time_since_epoch())
      .count();
}

}  // namespace

std::optional<FileState> fileStateOf(const fs::path& file, std::string& error) {
  std::error_code ec;
  if (!fs::exists(fs::symlink_status(file, ec))) {
    if (ec && ec != std::errc::no_such_file_or_directory) {
      error = ec.message();
      return std::nullopt;
    }
    return FileState{};
  }
  const auto bytes = readWholeFile(file, kLargestFile, error);
  if (!bytes) return std::nullopt;
  return FileState{true, bytes->size(), hashOf(*bytes)};
}

std::string stepFileList(const Step& step) {
  std::string list;
  for (const StepFile& f : step.files) list += (list.empty() ? "" : ", ") + f.name;
  for (std::size_t i = 0; i < step.controls.size(); ++i) list += (i == 0 ? "; " : ", ") + step.controls[i].name;
  return list;
}

std::string stepText(const Step& step) {
  if (step.damaged) return "step " + step.id;
  const std::tm t = platform::localTime(step.time / 1000000);
  char clock[8];
  std::snprintf(clock, sizeof clock, "%02d:%02d", t.tm_hour, t.tm_min);
  return step.title + " (" + stepFileList(step) + ") at " + clock;
}

fs::path historyRoot(const fs::path& stateFolder) {
  const fs::path base = stateFolder.empty() ? platform::userStateFolder() : stateFolder;
  return base.empty() ? fs::path() : base / "quarnby" / "history";
}

History::History(fs::path root, const fs::path& terrainFolder, HistoryLimits limits)
    : root_(std::move(root)), terrain_(terrainFolder), limits_(limits) {
  if (root_.empty()) return;
  folder_ = folderOf(root_, terrainFolder);
  load();
}

fs::path History::terrainFile(const StepFile& f) const { return terrain_ / f.name; }

void History::load() {
  steps_.clear();
  std::vector<fs::path> pendings;
  std::error_code ec;
  for (auto it = fs::directory_iterator(folder_, ec); !ec && it != fs::directory_iterator(); it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (isStepId(name)) steps_.push_back(readStep(it->path()));
    else if (name.starts_with(kPendingPrefix)) pendings.push_back(it->path());
  }
  std::sort(steps_.begin(), steps_.end(), [](const Step& a, const Step& b) { return a.id < b.id; });
  for (Step& step : steps_)
    if (const auto settled = settledState(step)) step.state = *settled;
  std::sort(pendings.begin(), pendings.end());
  for (const fs::path& pending : pendings) loadPending(pending);
}

// The kept files of a killed run show as the step recovery will make of them.
void History::loadPending(const fs::path& pending) {
  if (pendingOfLiveRun(pending.filename().string())) return;
  Step kept = readStep(pending);
  if (kept.damaged) return;
  std::string why;
  auto step = finishedStep(std::move(kept), pending, why);
  if (!step) return;
  // A new step ends what could be redone.
  while (!steps_.empty() && steps_.back().state != StepState::Done) steps_.pop_back();
  step->id = pending.filename().string();
  step->interrupted = true;
  steps_.push_back(std::move(*step));
}

const Step* History::nextUndo() const {
  for (auto it = steps_.rbegin(); it != steps_.rend(); ++it)
    if (it->state == StepState::Done) return &*it;
  return nullptr;
}

const Step* History::nextRedo() const {
  const Step* undo = nextUndo();
  for (const Step& step : steps_)
    if (step.state == StepState::Undone && (!undo || step.id > undo->id)) return &step;
  return nullptr;
}

const Step* History::next(Direction direction) const { return direction == Direction::kUndo ? nextUndo() : nextRedo(); }

std::optional<std::string> History::keepBefore(std::string title, std::vector<std::string> fileNames) {
  pending_.reset();
  if (folder_.empty()) return std::string("there is no state folder to keep the history in");
  std::error_code ec;
  const fs::path pending = folder_ / pendingNameOfThisRun();
  fs::create_directories(folder_, ec);
  if (ec) return folderError("cannot make the history folder", folder_, ec);
  if (!fs::exists(folder_ / "folder.txt", ec)) {
    std::error_code canonicalError;
    const fs::path canonical = fs::weakly_canonical(terrain_, canonicalError);
    if (auto failed = replaceFile(folder_ / "folder.txt", canonical.string() + '\n'))
      return "cannot write in the history folder " + folder_.string() + " (" + *failed + ")";
  }
  fs::remove_all(pending, ec);
  fs::create_directories(pending / "before", ec);
  if (ec) return folderError("cannot make the history folder", pending, ec);

  Step step;
  step.title = std::move(title);
  step.time = nowMicroseconds();
  for (std::string& name : fileNames) {
    const fs::path file = terrain_ / name;
    std::string error;
    const auto state = fileStateOf(file, error);
    if (!state) return "cannot read " + file.string() + " (" + error + ")";
    if (state->exists)
      if (auto failed = keepFile(file, pending / "before" / keptName(name))) return failed;
    step.files.push_back({std::move(name), *state, {}});
  }
  // Written last, under the title a step made of it after a kill would have: until then
  // the folder holds no record, and recovery removes it as left over.
  Step interrupted = step;
  interrupted.title += " (interrupted)";
  if (auto failed = writeStep(interrupted, pending))
    return "cannot write in the history folder " + folder_.string() + " (" + *failed + ")";
  pending_ = std::move(step);
  return std::nullopt;
}

// The step the files kept in `pending` make now: those that changed, with their states
// after. Nothing when none changed (`why` empty) or the step cannot be kept (`why` says why).
std::optional<Step> History::finishedStep(Step step, const fs::path& pending, std::string& why) const {
  std::vector<StepFile> changed;
  for (StepFile& f : step.files) {
    std::string error;
    const auto now = fileStateOf(terrainFile(f), error);
    if (!now) {
      why = "cannot read " + terrainFile(f).string() + " (" + error + ")";
      return std::nullopt;
    }
    f.after = *now;
    if (f.after == f.before) continue;
    // A file written in place rather than replaced would have changed its kept link too.
    if (f.before.exists) {
      const auto kept = fileStateOf(pending / "before" / keptName(f.name), error);
      if (!kept || *kept != f.before) {
        why = "the kept copy of " + f.name + " was changed with it";
        return std::nullopt;
      }
    }
    changed.push_back(std::move(f));
  }
  if (changed.empty()) return std::nullopt;
  step.files = std::move(changed);
  step.state = StepState::Done;
  return step;
}

std::optional<std::string> History::recordAfter(std::vector<StepControl> controls) {
  if (!pending_) return std::nullopt;
  Step step = std::move(*pending_);
  pending_.reset();
  step.controls = std::move(controls);
  return placeStep(std::move(step), folder_ / pendingNameOfThisRun());
}

// Makes the files kept in `pending` the newest step, or removes them when nothing changed.
std::optional<std::string> History::placeStep(Step kept, const fs::path& pending) {
  const auto fail = [&](std::string why) {
    std::error_code ignored;
    fs::remove_all(pending, ignored);
    return why.empty() ? std::nullopt : std::optional<std::string>(std::move(why));
  };
  std::string why;
  auto finished = finishedStep(std::move(kept), pending, why);
  if (!finished) return fail(why);
  Step step = std::move(*finished);
  // What did not change is not kept.
  std::vector<fs::path> unchanged;
  std::error_code listed;
  for (auto it = fs::directory_iterator(pending / "before", listed); !listed && it != fs::directory_iterator();
       it.increment(listed))
    if (std::none_of(step.files.begin(), step.files.end(),
                     [&](const StepFile& f) { return keptName(f.name) == it->path().filename().string(); }))
      unchanged.push_back(it->path());
  for (const fs::path& file : unchanged) fs::remove(file, listed);

  // A new step ends what could be redone.
  while (!steps_.empty() && steps_.back().state != StepState::Done) {
    if (!steps_.back().interrupted) dropFolder(stepFolder(steps_.back()));
    steps_.pop_back();
  }
  std::erase_if(steps_, [](const Step& s) { return s.interrupted; });
  unsigned long long next = 1;
  std::error_code ec;
  for (auto it = fs::directory_iterator(folder_, ec); !ec && it != fs::directory_iterator(); it.increment(ec))
    if (const std::string name = it->path().filename().string(); isStepId(name))
      next = std::max(next, std::stoull(name) + 1);
  char id[16];
  std::snprintf(id, sizeof id, "%010llu", next);
  step.id = id;

  // The record is written whole before the folder moves into place; a run killed in
  // between leaves it pending under its own title, and recovery places it.
  if (auto failed = writeStep(step, pending)) return fail(*failed);
  if (stageHook) stageHook("recording");
  fs::rename(pending, stepFolder(step), ec);
  if (ec) return fail(folderError("cannot keep the step in", folder_, ec));
  steps_.push_back(std::move(step));
  trim();
  return std::nullopt;
}

std::vector<std::string> History::changedSince(const Step& step) const {
  std::vector<std::string> changed;
  const Way& w = way(step.state == StepState::Done ? Direction::kUndo : Direction::kRedo);
  for (const StepFile& f : step.files) {
    std::string error;
    const auto now = fileStateOf(terrainFile(f), error);
    if (!now || *now != f.*w.leave) changed.push_back(f.name);
  }
  return changed;
}

// Puts the files of `step` where a restore in `direction` takes them, from the kept
// copies, all or nothing; files already there are left alone.
std::optional<std::string> History::putBack(const Step& step, Direction direction) const {
  const Way& w = way(direction);
  const fs::path arriving = stepFolder(step) / w.arriving;
  std::vector<std::vector<std::uint8_t>> contents;
  std::vector<Replacement> replacements;
  for (const StepFile& f : step.files) {
    std::string error;
    const auto now = fileStateOf(terrainFile(f), error);
    if (!now) return "cannot read " + terrainFile(f).string() + " (" + error + ")";
    const FileState& wanted = f.*w.arrive;
    if (*now == wanted) continue;
    if (!wanted.exists) {
      replacements.push_back({terrainFile(f), {}, true});
      continue;
    }
    auto bytes = readWholeFile(arriving / keptName(f.name), kLargestFile, error);
    if (!bytes) return "cannot read the kept copy of " + f.name + " (" + error + ")";
    if (bytes->size() != wanted.size || hashOf(*bytes) != wanted.hash)
      return "the kept copy of " + f.name + " was changed since";
    contents.push_back(std::move(*bytes));
    replacements.push_back({terrainFile(f), {}});
  }
  // The byte buffers stay put from here on, so the spans can point into them.
  for (std::size_t i = 0, c = 0; i < replacements.size(); ++i)
    if (!replacements[i].remove) replacements[i].bytes = contents[c++];
  if (auto failed = replaceFiles(replacements, renameHook)) {
    const Replacement& at = replacements[failed->index];
    return (at.remove ? "cannot remove " : "cannot write ") + at.target.string() + " (" + failed->error + ")";
  }
  return std::nullopt;
}

// Undo keeps the files as they are now in after/ and puts back before/; redo the reverse.
// The step is marked before the first file is touched, with both sides kept whole, so
// recovery can finish a restore cut short either way; it puts the files back where they
// were when some of them were replaced.
std::optional<RestoreFailure> History::restore(Direction direction) {
  const Way& w = way(direction);
  const Step* found = next(direction);
  if (!found)
    return RestoreFailure{direction == Direction::kUndo ? "there is nothing to undo" : "there is nothing to redo"};
  Step& step = steps_[static_cast<std::size_t>(found - steps_.data())];
  if (step.damaged) return RestoreFailure{"its record is damaged"};
  if (step.interrupted) return RestoreFailure{"its run was cut short and is not yet recovered"};
  const fs::path folder = stepFolder(step);
  const fs::path leaving = folder / w.leaving;
  std::error_code ec;
  fs::create_directories(leaving, ec);
  if (ec) return RestoreFailure{folderError("cannot make the history folder", leaving, ec)};

  Step marked = step;
  for (StepFile& f : marked.files) {
    std::string error;
    const auto now = fileStateOf(terrainFile(f), error);
    if (!now) return RestoreFailure{"cannot read " + terrainFile(f).string() + " (" + error + ")"};
    if (now->exists) {
      if (auto failed = keepFile(terrainFile(f), leaving / keptName(f.name))) return RestoreFailure{*failed};
    } else {
      fs::remove(leaving / keptName(f.name), ec);
    }
    f.*w.leave = *now;
  }
  marked.state = w.during;
  if (auto failed = writeStep(marked, folder)) return RestoreFailure{*failed};
  step = marked;
  if (stageHook) stageHook("marked");

  if (auto failed = putBack(step, direction)) {
    // The files are as they were (replaceFiles puts back what it had replaced); should
    // that have failed too, the mark stays and recovery finishes the job.
    if (sideOf(step, direction) == Side::Origin) {
      step.state = w.from;
      writeStep(step, folder);
    }
    return RestoreFailure{*failed};
  }
  if (stageHook) stageHook("restored");
  step.state = w.to;
  if (auto failed = writeStep(step, folder)) return RestoreFailure{*failed, true};
  return std::nullopt;
}

}  // namespace quarnby
