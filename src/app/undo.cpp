#include "app/undo.h"

#include <cstdio>
#include <optional>

#include "app/history.h"
#include "app/history_store.h"
#include "platform/user_folders.h"
#include "steps/operation_steps.h"
#include "terrain/terrain_folder.h"

namespace quarnby {

namespace {

// Passes everything on, holding back the latest message until the next call, so that the
// operation's closing message can take one more line once the step is recorded.
class ClosingLineHost : public Host {
 public:
  explicit ClosingLineHost(Host& inner) : inner_(inner) {}

  void showMessage(const std::string& text, Icon icon, const std::string& title) override {
    release();
    held_ = Held{text, icon, title};
  }
  bool askYesNo(const std::string& text, const std::string& title, Icon icon) override {
    release();
    return inner_.askYesNo(text, title, icon);
  }
  void setProgress(ProgressBar bar, int value) override {
    release();
    inner_.setProgress(bar, value);
  }
  void setFocus(const std::string& control) override {
    release();
    inner_.setFocus(control);
  }

  // Shows the held message, with `line` added when given (alone when none is held).
  void finish(const std::optional<std::string>& line) {
    if (line) {
      if (held_) held_->text += kCrLf + *line;
      else held_ = Held{*line, Icon::Exclamation, {}};
    }
    release();
  }

 private:
  struct Held {
    std::string text;
    Icon icon;
    std::string title;
  };
  void release() {
    if (held_) inner_.showMessage(held_->text, held_->icon, held_->title);
    held_.reset();
  }
  Host& inner_;
  std::optional<Held> held_;
};

History historyOf(const Context& cx) { return History(historyRoot(cx.stateFolder), cx.folder); }

// What undo and redo say, each in its own words.
struct Words {
  const char* nothing;
  const char* anyway;
  const char* title;
  const char* cannot;
  const char* done;
  const char* state;
};
const Words& wordsOf(Direction direction) {
  static const Words words[] = {
      {"There is nothing to undo.", "Undo anyway? ", "Undo", "Can't undo ", "Undone: ", "undone"},
      {"There is nothing to redo.", "Redo anyway? ", "Redo", "Can't redo ", "Redone: ", "redone"},
  };
  return words[static_cast<int>(direction)];
}

Outcome restore(Context& cx, Direction direction) {
  const Words& words = wordsOf(direction);
  if (!checkTerrainFolder(cx)) return Outcome::EndedEarly;
  History history = historyOf(cx);
  const Step* next = history.next(direction);
  if (!next) {
    cx.host.showMessage(words.nothing, Icon::Information);
    return Outcome::EndedEarly;
  }
  const Step step = *next;
  const std::string what = stepText(step);
  if (const auto changed = history.changedSince(step); !step.damaged && !changed.empty()) {
    std::string text = "Since " + what + ", these files were changed:";
    for (const std::string& name : changed) text += kCrLf + name;
    text += kCrLf + kCrLf + words.anyway + "These changes will be lost.";
    if (!cx.host.askYesNo(text, words.title, Icon::Exclamation)) return Outcome::EndedEarly;
  }
  const auto failed = history.restore(direction);
  if (failed && !failed->filesRestored) {
    cx.host.showMessage(words.cannot + what + ":" + kCrLf + failed->reason + kCrLf + "The files were left unchanged.",
                        Icon::Critical);
    return Outcome::EndedEarly;
  }
  // The window's controls go back with the files.
  for (const StepControl& control : step.controls)
    if (cx.params.has(control.name)) cx.params.setFromText(control.name, control.*history::way(direction).arriveValue);
  if (failed) {
    cx.host.showMessage(words.done + what + kCrLf + "The history could not mark it " + words.state + " (" +
                            failed->reason + "); the next run will.",
                        Icon::Exclamation);
    return Outcome::Completed;
  }
  cx.host.showMessage(words.done + what, Icon::Information);
  return Outcome::Completed;
}

// The controls an operation changed, from the values before it.
std::vector<StepControl> changedControls(const ParameterSet& params, const std::vector<std::string>& before) {
  std::vector<StepControl> changed;
  for (std::size_t i = 0; i < params.names().size(); ++i) {
    const std::string& name = params.names()[i];
    if (params.kind(name) == ControlKind::Display) continue;
    if (std::string now = params.valueText(name); now != before[i])
      changed.push_back({name, before[i], std::move(now)});
  }
  return changed;
}

}  // namespace

Outcome Undo_Click(Context& cx) { return restore(cx, Direction::kUndo); }
Outcome Redo_Click(Context& cx) { return restore(cx, Direction::kRedo); }

void recoverHistory(const Context& cx) { historyOf(cx).recover(); }

Outcome History_Click(Context& cx) {
  if (!checkTerrainFolder(cx)) return Outcome::EndedEarly;
  const History history = historyOf(cx);
  if (history.steps().empty()) {
    cx.host.showMessage("Nothing to undo or redo.", Icon::Information);
    return Outcome::Completed;
  }
  std::string text;
  const auto& steps = history.steps();
  for (auto it = steps.rbegin(); it != steps.rend(); ++it) {
    const std::tm t = platform::localTime(it->time / 1000000);
    char when[64];
    std::snprintf(when, sizeof when, "%04d-%02d-%02d %02d:%02d:%02d", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday,
                  t.tm_hour, t.tm_min, t.tm_sec);
    if (!text.empty()) text += kCrLf;
    text += std::string(when) + "  " + (it->damaged ? stepText(*it) : it->title + " (" + stepFileList(*it) + ")");
    if (it->damaged) text += "  its record is damaged";
    if (it->state == StepState::Undone) text += "  can be redone";
  }
  cx.host.showMessage(text, Icon::Information, "History");
  return Outcome::Completed;
}

Outcome runRecorded(Context& cx, std::string title, const std::vector<std::string_view>& suffixes,
                    const std::function<Outcome(Context&)>& operation) {
  // Without a terrain folder the operation says so itself, and changes nothing.
  const std::string base = baseName(cx.folder);
  std::error_code ec;
  if (base.empty() || !std::filesystem::is_directory(cx.folder, ec)) return operation(cx);

  std::vector<std::string> names;
  for (const std::string_view suffix : suffixes) names.push_back(folderFileName(cx.folder, suffix));
  History history = historyOf(cx);
  auto failed = history.keepBefore(std::move(title), std::move(names));
  std::vector<std::string> controlsBefore;
  for (const std::string& name : cx.params.names()) controlsBefore.push_back(cx.params.valueText(name));

  // The operation sees the same context with a host that lets its closing message grow.
  ClosingLineHost host(cx.host);
  Context inner = cx.withHost(host);
  const Outcome outcome = operation(inner);
  if (!failed) failed = history.recordAfter(changedControls(cx.params, controlsBefore));

  std::optional<std::string> line;
  if (failed && outcome == Outcome::Completed) line = "This cannot be undone: " + *failed + ".";
  host.finish(line);
  return outcome;
}

}  // namespace quarnby
