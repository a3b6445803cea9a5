#pragma once
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/context.h"

namespace quarnby {

// "Undo": puts back the files of the terrain folder's latest step, all or nothing. A file
// that something else changed since is overwritten only after a Yes.
Outcome Undo_Click(Context& cx);
// "Redo": the reverse of the latest undo, until a new step is recorded.
Outcome Redo_Click(Context& cx);
// Only while the terrain folder is locked: settles what runs killed during an operation,
// an undo or a redo left in the folder's history (History::recover).
void recoverHistory(const Context& cx);
// The terrain folder's steps, newest first, with the time, the files and which can be redone.
Outcome History_Click(Context& cx);

// Runs `operation` as one step of the terrain folder's history named `title`: the files of
// the folder with the given suffixes (those it may replace or create) are kept before it
// runs, and the ones it changed make the step. When the step cannot be recorded the operation still runs
// and its closing message says it cannot be undone.
Outcome runRecorded(Context& cx, std::string title, const std::vector<std::string_view>& suffixes,
                    const std::function<Outcome(Context&)>& operation);

}  // namespace quarnby
