#pragma once
#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/context.h"

namespace quarnby {

// What an operation may replace or create in the terrain folder (by suffix), recorded
// for undo as one step named `title`.
struct FileChanges {
  std::string title;
  std::vector<std::string_view> suffixes;
};

// One button of the window: the batch program's command name, the button's control
// name (empty: the batch program only), the operation it starts, one line saying what it
// does (the batch program's help), and the terrain files it changes (none: nothing of the
// terrain folder, so nothing to undo).
struct Command {
  std::string_view name;
  std::string_view button;
  Outcome (*run)(Context&);
  std::string_view help;
  FileChanges (*changes)(const ParameterSet&) = nullptr;
};

// Every operation that can be started, in the window's order.
const std::vector<Command>& commands();
const Command* findCommand(std::string_view name);
const Command* findCommandByButton(std::string_view button);

// Runs one operation as both faces do. An operation that changes terrain files is recorded
// as a step of the folder's undo history. It holds the terrain folder's lock throughout, so
// that two runs never work in one folder at once: when another run holds it for longer
// than kFolderPatience, the operation ends early with a message. With the lock held it
// first removes the temporary files that killed runs left in the folder. An unexpected
// error (an exception that no step of the operation answered, memory running out) ends
// the operation with a message instead of ending the program: its outcome is then
// EndedEarly.
inline constexpr std::chrono::milliseconds kFolderPatience{2000};
Outcome runCommand(const Command& command, Context& cx);

// The same for an operation that takes more than the context (an import asked for in a
// dialog or with options of its own): recorded for undo when `changes` names files.
Outcome runOperation(Context& cx, const FileChanges& changes, const std::function<Outcome(Context&)>& operation);

}  // namespace quarnby
