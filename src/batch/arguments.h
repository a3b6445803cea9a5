#pragma once
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "demo/demo_terrain.h"

namespace quarnby::batch {

// One command of a run and the options given after it, up to the next command name, in
// the order given (an option may come more than once).
struct CommandCall {
  std::string name;
  std::vector<std::pair<std::string, std::string>> options;
};

// What the command line asks for, checked but not yet done.
struct Options {
  enum class Action { Run, Demo, Help, Version };
  Action action = Action::Run;
  std::filesystem::path settingsFile = "quarnby.cfg";
  std::vector<std::pair<std::string, std::string>> sets;  // control name and value, in order
  bool yes = false;
  std::filesystem::path demoParent;
  std::uint32_t seed = demo::kDefaultSeed;
  std::filesystem::path folder;
  std::vector<CommandCall> commands;
};

// An option: its name, the placeholder of its value (empty for a switch), its help
// (lines separated by '\n'; empty keeps the option out of the usage text), and what it
// does with its value: returns the usage error, or an empty text. `check`, when there is
// one, looks at the value first and returns the usage error, or an empty text.
struct GrammarOption {
  std::string_view name;
  std::string_view value;
  std::string_view help;
  std::string (*take)(Options& options, std::string_view name, const std::string& value);
  std::string (*check)(const std::string& value) = nullptr;
};

// A command the parser accepts, with the options of its own that may follow it.
struct GrammarCommand {
  std::string_view name;
  std::string_view help;
  std::vector<GrammarOption> options;
};

// Everything the command line may hold. The parser and the usage text both read it, so a
// new option or command is one line in the table.
struct Grammar {
  std::vector<GrammarOption> options;
  std::vector<GrammarCommand> commands;
  const GrammarCommand* findCommand(std::string_view name) const;
};

// quarnby-batch's grammar: its options, every operation of the command table, and the
// commands of its own (show-params).
const Grammar& batchGrammar();

// A command's own option stored as given, for the command to read when it runs.
std::string keepForCommand(Options& options, std::string_view name, const std::string& value);

struct Parsed {
  Options options;
  std::string error;  // the usage error; empty when the arguments are sound
};

// Reads the arguments without doing anything: options may come anywhere; the first other
// argument is the terrain folder, every later one a command, and an option right after a
// command is first looked up among that command's own options. --help and --version end
// the reading where they stand. Every name and value is checked, so that a typo is
// reported before any file changes.
Parsed parseArguments(const std::vector<std::string>& args, const Grammar& grammar = batchGrammar());

std::string usageText(const Grammar& grammar = batchGrammar());

}  // namespace quarnby::batch
