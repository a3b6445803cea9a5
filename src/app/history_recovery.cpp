#include <algorithm>
#include <tuple>

#include "app/history.h"
#include "app/history_store.h"

// Recovery, run only while the terrain folder is locked: what killed runs and cut-short
// restores left in the history is settled, adopted or removed, and the oldest steps
// beyond the limits dropped.
namespace quarnby {

namespace fs = std::filesystem;
using namespace history;

namespace {

// The direction of a restore that was cut short.
std::optional<Direction> inProgress(const Step& step) {
  if (step.state == StepState::Undoing) return Direction::kUndo;
  if (step.state == StepState::Redoing) return Direction::kRedo;
  return std::nullopt;
}

}  // namespace

History::Side History::sideOf(const Step& step, Direction direction) const {
  const Way& w = way(direction);
  bool atOrigin = true, atTarget = true, eachAtOne = true;
  for (const StepFile& f : step.files) {
    std::string error;
    const auto now = fileStateOf(terrainFile(f), error);
    const bool origin = now && *now == f.*w.leave, target = now && *now == f.*w.arrive;
    atOrigin = atOrigin && origin;
    atTarget = atTarget && target;
    eachAtOne = eachAtOne && (origin || target);
  }
  if (atTarget) return Side::Target;
  if (atOrigin) return Side::Origin;
  return eachAtOne ? Side::Mixed : Side::Neither;
}

// What recovery will make of a restore cut short: done when every file arrived, else
// put back where it started.
std::optional<StepState> History::settledState(const Step& step) const {
  const auto direction = inProgress(step);
  if (!direction) return std::nullopt;
  const Way& w = way(*direction);
  return sideOf(step, *direction) == Side::Target ? w.to : w.from;
}

// A restore cut short between two renames put some files back and not others; both sides
// are kept whole in the step, so the files go back where the restore started. A file that
// is at neither side was changed from outside: it is left alone, and the next restore asks.
void History::settle(Step& step) {
  const auto direction = inProgress(step);
  if (!direction || step.damaged) return;
  const Way& w = way(*direction);
  const Side side = sideOf(step, *direction);
  if (side == Side::Mixed && putBack(step, opposite(*direction))) return;  // the mark stays: the next run tries again
  step.state = side == Side::Target ? w.to : w.from;
  writeStep(step, stepFolder(step));
}

void History::recover() {
  if (folder_.empty()) return;
  std::error_code ec;
  std::vector<fs::path> steps, pendings;
  for (auto it = fs::directory_iterator(folder_, ec); !ec && it != fs::directory_iterator(); it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (isStepId(name)) steps.push_back(it->path());
    else if (name.starts_with(kPendingPrefix)) pendings.push_back(it->path());
  }
  std::sort(steps.begin(), steps.end());
  std::sort(pendings.begin(), pendings.end());
  for (const fs::path& folder : steps) {
    Step step = readStep(folder);
    settle(step);
  }
  load();
  std::erase_if(steps_, [](const Step& s) { return s.interrupted; });

  // A killed run's kept files: what it had replaced becomes its step; without a whole
  // record it had not yet started the operation, and nothing of it is kept.
  for (const fs::path& pending : pendings) {
    if (pendingOfLiveRun(pending.filename().string())) continue;
    Step kept = readStep(pending);
    if (kept.damaged) {
      fs::remove_all(pending, ec);
      continue;
    }
    placeStep(std::move(kept), pending);
  }
  removeLeftovers();
  if (!steps_.empty()) trim();
  load();
}

// Folders half removed, kept files half made.
void History::removeLeftovers() {
  std::error_code ec;
  std::vector<fs::path> leftovers;
  for (auto it = fs::recursive_directory_iterator(folder_, ec); !ec && it != fs::recursive_directory_iterator();
       it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if ((it.depth() == 0 && name.starts_with(kTrashPrefix)) || name.ends_with(".part")) {
      leftovers.push_back(it->path());
      if (it->is_directory()) it.disable_recursion_pending();
    }
  }
  for (const fs::path& path : leftovers) fs::remove_all(path, ec);
}

// The oldest steps go first: beyond the count of this folder, then beyond the bytes of
// all folders together. The newest step always stays.
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
      const Step step = readStep(it->path());
      all.push_back({it->path(), step.time, it->path().filename().string(), bytesIn(it->path())});
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

}  // namespace quarnby
