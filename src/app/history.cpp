#include "app/history.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <tuple>

#include "platform/replace_file.h"
#include "platform/user_folders.h"
#include "terrain/file_io.h"

namespace quarnby {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kStepHeader = "quarnby history step 1";
constexpr std::size_t kIdDigits = 10;
// Every kind of terrain file an operation writes is within this.
constexpr std::size_t kLargestFile = readLimit::kText;

// FNV-1a, 64 bits: enough to tell whether a file changed, not a guard against tampering.
std::uint64_t hashOf(std::span<const std::uint8_t> bytes) {
  std::uint64_t h = 14695981039346656037ull;
  for (const std::uint8_t b : bytes) {
    h ^= b;
    h *= 1099511628211ull;
  }
  return h;
}

std::string hex(std::uint64_t value) {
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
  return text;
}

std::string stateText(const FileState& s) {
  return s.exists ? std::to_string(s.size) + ' ' + hex(s.hash) : std::string("none");
}

std::optional<FileState> parseState(const std::string& text) {
  if (text == "none") return FileState{};
  std::istringstream in(text);
  FileState s{true, 0, 0};
  std::string hash;
  if (!(in >> s.size >> hash) || hash.size() != 16) return std::nullopt;
  try {
    s.hash = std::stoull(hash, nullptr, 16);
  } catch (const std::exception&) {
    return std::nullopt;
  }
  return s;
}

constexpr std::string_view kStateNames[] = {"done", "undone", "undoing", "redoing"};

// A name read back from a step must stay a plain file name of the terrain folder.
bool plainFileName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && fs::path(name).filename() == fs::path(name) &&
         name.find_first_of("/\\") == std::string::npos;
}

std::optional<Step> parseStep(const std::string& id, const std::string& text) {
  std::istringstream in(text);
  std::string line;
  if (!std::getline(in, line) || line != kStepHeader) return std::nullopt;
  Step step;
  step.id = id;
  while (std::getline(in, line)) {
    const auto space = line.find(' ');
    const std::string key = line.substr(0, space);
    const std::string value = space == std::string::npos ? std::string() : line.substr(space + 1);
    if (key == "title") {
      step.title = value;
    } else if (key == "time") {
      try {
        step.time = std::stoll(value);
      } catch (const std::exception&) {
        return std::nullopt;
      }
    } else if (key == "state") {
      const auto* found = std::find(std::begin(kStateNames), std::end(kStateNames), value);
      if (found == std::end(kStateNames)) return std::nullopt;
      step.state = static_cast<StepState>(found - std::begin(kStateNames));
    } else if (key == "file") {
      if (!plainFileName(value)) return std::nullopt;
      step.files.push_back({value, {}, {}});
    } else if (key == "before" || key == "after") {
      const auto state = parseState(value);
      if (!state || step.files.empty()) return std::nullopt;
      (key == "before" ? step.files.back().before : step.files.back().after) = *state;
    }
  }
  if (step.files.empty()) return std::nullopt;
  return step;
}

std::string stepFileText(const Step& step) {
  std::string text = std::string(kStepHeader) + "\ntitle " + step.title + "\ntime " + std::to_string(step.time) +
                     "\nstate " + std::string(kStateNames[static_cast<int>(step.state)]) + '\n';
  for (const StepFile& f : step.files)
    text += "file " + f.name + "\nbefore " + stateText(f.before) + "\nafter " + stateText(f.after) + '\n';
  return text;
}

std::string folderError(const std::string& what, const fs::path& folder, const std::error_code& ec) {
  return what + ' ' + folder.string() + " (" + ec.message() + ")";
}

// Keeps `source` as `kept`: a hard link where the file system allows it, else a copy.
// The kept file appears whole or not at all.
std::optional<std::string> keepFile(const fs::path& source, const fs::path& kept) {
  fs::path part = kept;
  part += ".part";
  std::error_code ec;
  fs::remove(part, ec);
  fs::create_hard_link(source, part, ec);
  if (ec) {
    ec.clear();
    fs::copy_file(source, part, fs::copy_options::overwrite_existing, ec);
  }
  if (!ec) fs::rename(part, kept, ec);
  if (ec) {
    std::error_code ignored;
    fs::remove(part, ignored);
    return "cannot keep " + source.filename().string() + " in " + kept.parent_path().string() + " (" + ec.message() +
           ")";
  }
  return std::nullopt;
}

// Removes a step's folder: renamed out of the way first, so that a step is either whole
// or gone even when the removal is cut short.
void dropFolder(const fs::path& stepFolder) {
  std::error_code ec;
  fs::path trash = stepFolder.parent_path() / ("trash-" + stepFolder.filename().string());
  fs::remove_all(trash, ec);
  fs::rename(stepFolder, trash, ec);
  fs::remove_all(ec ? stepFolder : trash, ec);
}

std::uintmax_t bytesIn(const fs::path& folder) {
  std::uintmax_t total = 0;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(folder, ec); !ec && it != fs::recursive_directory_iterator();
       it.increment(ec))
    if (it->is_regular_file(ec)) total += it->file_size(ec);
  return total;
}

bool isStepId(const std::string& name) {
  return name.size() == kIdDigits && std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::optional<Step> readStep(const fs::path& stepFolder) {
  std::string error;
  const auto bytes = readWholeFile(stepFolder / "step.txt", readLimit::kSettings, error);
  if (!bytes) return std::nullopt;
  return parseStep(stepFolder.filename().string(), std::string(bytes->begin(), bytes->end()));
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
  std::string files;
  for (const StepFile& f : step.files) files += (files.empty() ? "" : ", ") + f.name;
  return files;
}

std::string stepText(const Step& step) {
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
  std::error_code ec;
  fs::path canonical = fs::weakly_canonical(terrainFolder, ec);
  if (ec) canonical = fs::absolute(terrainFolder, ec);
  const std::string key = canonical.generic_string();
  folder_ = root_ / hex(hashOf({reinterpret_cast<const std::uint8_t*>(key.data()), key.size()}));
  load();
}

void History::load() {
  steps_.clear();
  std::error_code ec;
  for (auto it = fs::directory_iterator(folder_, ec); !ec && it != fs::directory_iterator(); it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.starts_with("trash-")) {
      std::error_code ignored;
      fs::remove_all(it->path(), ignored);
    } else if (isStepId(name)) {
      if (auto step = readStep(it->path())) steps_.push_back(std::move(*step));
    }
  }
  std::sort(steps_.begin(), steps_.end(), [](const Step& a, const Step& b) { return a.id < b.id; });
  for (Step& step : steps_) settle(step);
  adoptInterrupted();
}

// The files kept before a run that never recorded its step: while the run goes on they
// are its own (and so is a folder without the run's number: still being kept, or being
// recorded); once its process is gone, what it had changed becomes a step.
void History::adoptInterrupted() {
  const fs::path pending = folder_ / "pending";
  std::string error;
  const auto bytes = readWholeFile(pending / "step.txt", readLimit::kSettings, error);
  if (!bytes) return;
  const std::string text(bytes->begin(), bytes->end());
  const auto at = text.find("\nprocess ");
  if (at == std::string::npos) return;
  const long long process = std::atoll(text.c_str() + at + 9);
  if (process == platform::thisProcess() || platform::processRunning(process)) return;
  auto step = parseStep({}, text);
  if (!step) {
    std::error_code ignored;
    fs::remove_all(pending, ignored);
    return;
  }
  step->title += " (interrupted)";
  pending_ = std::move(*step);
  recordAfter();
}

// A restore cut short (the program killed) left the step marked but the files either all
// restored or all as they were: the files tell which.
void History::settle(Step& step) {
  if (step.state != StepState::Undoing && step.state != StepState::Redoing) return;
  bool atBefore = true, atAfter = true;
  for (const StepFile& f : step.files) {
    std::string error;
    const auto now = fileStateOf(terrain_ / f.name, error);
    atBefore = atBefore && now && *now == f.before;
    atAfter = atAfter && now && *now == f.after;
  }
  const bool undoing = step.state == StepState::Undoing;
  const bool arrived = undoing ? atBefore : atAfter;
  step.state = arrived == undoing ? StepState::Undone : StepState::Done;
  writeStep(step, stepFolder(step));
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

std::optional<std::string> History::writeStep(const Step& step, const fs::path& folder) const {
  if (auto failed = replaceFile(folder / "step.txt", stepFileText(step)))
    return "cannot write " + (folder / "step.txt").string() + " (" + *failed + ")";
  return std::nullopt;
}

std::optional<std::string> History::keepBefore(std::string title, std::vector<std::string> fileNames) {
  pending_.reset();
  if (folder_.empty()) return std::string("there is no state folder to keep the history in");
  std::error_code ec;
  const fs::path pending = folder_ / "pending";
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
  step.time = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::system_clock::now().time_since_epoch())
                  .count();
  for (std::string& name : fileNames) {
    const fs::path file = terrain_ / name;
    std::string error;
    const auto state = fileStateOf(file, error);
    if (!state) return "cannot read " + file.string() + " (" + error + ")";
    if (state->exists)
      if (auto failed = keepFile(file, pending / "before" / name)) return failed;
    step.files.push_back({std::move(name), *state, {}});
  }
  // Written last, with this process's number: a history opened while the run goes on
  // leaves the kept files alone, and one opened after the run was killed adopts them.
  if (auto failed = replaceFile(pending / "step.txt",
                                stepFileText(step) + "process " + std::to_string(platform::thisProcess()) + '\n'))
    return "cannot write in the history folder " + folder_.string() + " (" + *failed + ")";
  pending_ = std::move(step);
  return std::nullopt;
}

std::optional<std::string> History::recordAfter() {
  if (!pending_) return std::nullopt;
  Step step = std::move(*pending_);
  pending_.reset();
  const fs::path pending = folder_ / "pending";
  const auto fail = [&](std::string why) {
    std::error_code ignored;
    fs::remove_all(pending, ignored);
    return std::optional<std::string>(std::move(why));
  };

  std::vector<StepFile> changed;
  for (StepFile& f : step.files) {
    std::string error;
    const auto now = fileStateOf(terrain_ / f.name, error);
    if (!now) return fail("cannot read " + (terrain_ / f.name).string() + " (" + error + ")");
    f.after = *now;
    if (f.after != f.before) {
      // A file written in place rather than replaced would have changed its kept link too.
      if (f.before.exists) {
        const auto kept = fileStateOf(pending / "before" / f.name, error);
        if (!kept || *kept != f.before) return fail("the kept copy of " + f.name + " was changed with it");
      }
      changed.push_back(std::move(f));
    } else {
      std::error_code ignored;
      fs::remove(pending / "before" / f.name, ignored);
    }
  }
  if (changed.empty()) {
    fail({});
    return std::nullopt;
  }
  step.files = std::move(changed);

  // A new step ends what could be redone.
  while (!steps_.empty() && steps_.back().state != StepState::Done) {
    dropFolder(stepFolder(steps_.back()));
    steps_.pop_back();
  }
  unsigned long long next = 1;
  if (!steps_.empty()) next = std::stoull(steps_.back().id) + 1;
  std::error_code ec;
  for (auto it = fs::directory_iterator(folder_, ec); !ec && it != fs::directory_iterator(); it.increment(ec))
    if (const std::string name = it->path().filename().string(); isStepId(name))
      next = std::max(next, std::stoull(name) + 1);
  char id[kIdDigits + 1];
  std::snprintf(id, sizeof id, "%0*llu", static_cast<int>(kIdDigits), next);
  step.id = id;
  step.state = StepState::Done;

  if (auto failed = writeStep(step, pending)) return fail(*failed);
  fs::rename(pending, stepFolder(step), ec);
  if (ec) return fail(folderError("cannot keep the step in", folder_, ec));
  steps_.push_back(std::move(step));
  trim();
  return std::nullopt;
}

// The oldest steps go first: beyond the count of this folder, then beyond the bytes of
// all folders together. The step just recorded always stays.
void History::trim() {
  while (steps_.size() > std::max<std::size_t>(limits_.steps, 1)) {
    dropFolder(stepFolder(steps_.front()));
    steps_.erase(steps_.begin());
  }
  struct Kept {
    fs::path folder;
    std::int64_t time;
    std::string id;
    std::uintmax_t bytes;
  };
  std::vector<Kept> all;
  std::uintmax_t total = 0;
  std::error_code ec;
  for (auto key = fs::directory_iterator(root_, ec); !ec && key != fs::directory_iterator(); key.increment(ec)) {
    std::error_code inner;
    for (auto it = fs::directory_iterator(key->path(), inner); !inner && it != fs::directory_iterator();
         it.increment(inner)) {
      if (!isStepId(it->path().filename().string())) continue;
      const auto step = readStep(it->path());
      all.push_back({it->path(), step ? step->time : 0, it->path().filename().string(), bytesIn(it->path())});
      total += all.back().bytes;
    }
  }
  std::sort(all.begin(), all.end(),
            [](const Kept& a, const Kept& b) { return std::tie(a.time, a.id) < std::tie(b.time, b.id); });
  const fs::path newest = stepFolder(steps_.back());
  for (const Kept& k : all) {
    if (total <= limits_.bytes) break;
    if (k.folder == newest) continue;
    dropFolder(k.folder);
    total -= k.bytes;
    std::erase_if(steps_, [&](const Step& s) { return stepFolder(s) == k.folder; });
  }
}

std::vector<std::string> History::changedSince(const Step& step) const {
  std::vector<std::string> changed;
  const bool undo = step.state == StepState::Done;
  for (const StepFile& f : step.files) {
    std::string error;
    const auto now = fileStateOf(terrain_ / f.name, error);
    if (!now || *now != (undo ? f.after : f.before)) changed.push_back(f.name);
  }
  return changed;
}

std::optional<std::string> History::undo() {
  const Step* step = nextUndo();
  if (!step) return std::string("there is nothing to undo");
  return move(static_cast<std::size_t>(step - steps_.data()), true);
}

std::optional<std::string> History::redo() {
  const Step* step = nextRedo();
  if (!step) return std::string("there is nothing to redo");
  return move(static_cast<std::size_t>(step - steps_.data()), false);
}

// Undo keeps the files as they are now in after/ and puts back before/; redo the reverse.
// The step is marked before the first file is touched, and the files are replaced all or
// nothing, so a restore cut short leaves the files before or after it and the mark says
// which to check.
std::optional<std::string> History::move(std::size_t index, bool undo) {
  Step& step = steps_[index];
  const fs::path folder = stepFolder(step);
  const fs::path leaving = folder / (undo ? "after" : "before");
  const fs::path arriving = folder / (undo ? "before" : "after");
  std::error_code ec;
  fs::create_directories(leaving, ec);
  if (ec) return folderError("cannot make the history folder", leaving, ec);

  Step marked = step;
  std::vector<std::vector<std::uint8_t>> contents;
  std::vector<fs::path> targets, removals;
  for (StepFile& f : marked.files) {
    const fs::path file = terrain_ / f.name;
    std::string error;
    const auto now = fileStateOf(file, error);
    if (!now) return "cannot read " + file.string() + " (" + error + ")";
    if (now->exists) {
      if (auto failed = keepFile(file, leaving / f.name)) return failed;
    } else {
      fs::remove(leaving / f.name, ec);
    }
    (undo ? f.after : f.before) = *now;

    const FileState& wanted = undo ? f.before : f.after;
    if (!wanted.exists) {
      if (now->exists) removals.push_back(file);
      continue;
    }
    auto bytes = readWholeFile(arriving / f.name, kLargestFile, error);
    if (!bytes) return "cannot read the kept copy of " + f.name + " (" + error + ")";
    if (bytes->size() != wanted.size || hashOf(*bytes) != wanted.hash)
      return "the kept copy of " + f.name + " was changed since";
    contents.push_back(std::move(*bytes));
    targets.push_back(file);
  }

  marked.state = undo ? StepState::Undoing : StepState::Redoing;
  if (auto failed = writeStep(marked, folder)) return failed;
  step = marked;
  if (stageHook) stageHook("marked");

  // Files the step created (or removed) go in the same all or nothing as the others.
  std::vector<Replacement> replacements;
  for (std::size_t i = 0; i < targets.size(); ++i) replacements.push_back({targets[i], contents[i]});
  for (const fs::path& file : removals) replacements.push_back({file, {}, true});
  if (auto failed = replaceFiles(replacements)) {
    step.state = undo ? StepState::Done : StepState::Undone;
    writeStep(step, folder);
    const Replacement& at = replacements[failed->index];
    return (at.remove ? "cannot remove " : "cannot write ") + at.target.string() + " (" + failed->error + ")";
  }
  if (stageHook) stageHook("restored");
  step.state = undo ? StepState::Undone : StepState::Done;
  return writeStep(step, folder);
}

}  // namespace quarnby
