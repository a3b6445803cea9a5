#pragma once
#include <string_view>
#include <vector>

#include "core/context.h"

namespace quarnby {

// One button of the window: the batch program's command name, the button's control
// name, the operation it starts, and one line saying what it does (the batch program's help).
struct Command {
  std::string_view name;
  std::string_view button;
  Outcome (*run)(Context&);
  std::string_view help;
};

// Every operation that can be started, in the window's order.
const std::vector<Command>& commands();
const Command* findCommand(std::string_view name);
const Command* findCommandByButton(std::string_view button);

// Runs one operation as both faces do. An unexpected error (an exception that no step of
// the operation answered, memory running out) ends the operation with a message instead of
// ending the program: its outcome is then EndedEarly.
Outcome runCommand(const Command& command, Context& cx);

}  // namespace quarnby
