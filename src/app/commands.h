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

// An option of a command's own: its name with its dashes, the placeholder of its value,
// one line of help, and the check of a value (the reason it is refused, or an empty text).
// The batch program reads it after the command name; in the window the command's dialog
// fills it. The operation finds the values in Context::request.
struct CommandOption {
  std::string_view name;
  std::string_view value;
  std::string_view help;
  std::string (*check)(const std::string& value) = nullptr;
};

// One button of the window: the batch program's command name, the button's control
// name (empty: the batch program only), the operation it starts, one line saying what it
// does (the batch program's help), the terrain files it changes (none: nothing of the
// terrain folder, so nothing to undo), and its own options (the window asks for them in
// a dialog before it runs the operation).
struct Command {
  std::string_view name;
  std::string_view button;
  Outcome (*run)(Context&);
  std::string_view help;
  FileChanges (*changes)(const ParameterSet&) = nullptr;
  std::vector<CommandOption> options = {};
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

// The same for an operation outside the table: recorded for undo when `changes` names files.
Outcome runOperation(Context& cx, const FileChanges& changes, const std::function<Outcome(Context&)>& operation);

}  // namespace quarnby
