#include "batch/arguments.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <system_error>

#include "app/commands.h"
#include "core/parameter_set.h"

namespace quarnby::batch {
namespace {

std::string takeSettingsFile(Options& o, std::string_view, const std::string& value) {
  o.settingsFile = value;
  return {};
}

std::string takeSet(Options& o, std::string_view, const std::string& value) {
  const auto eq = value.find('=');
  if (eq == std::string::npos) return "--set needs NAME=VALUE, got '" + value + "'";
  o.sets.emplace_back(value.substr(0, eq), value.substr(eq + 1));
  return {};
}

std::string takeYes(Options& o, std::string_view, const std::string&) {
  o.yes = true;
  return {};
}

std::string takeDemo(Options& o, std::string_view, const std::string& value) {
  o.demoParent = value;
  return {};
}

// Digits only, 0 to 4294967295: a sign or a blank is no seed (a minus would wrap round
// to a large seed, and unsigned long is 32 bits on Windows).
std::string takeSeed(Options& o, std::string_view, const std::string& value) {
  std::uint32_t seed = 0;
  const char* end = value.data() + value.size();
  const auto [stop, error] = std::from_chars(value.data(), end, seed);
  if (value.empty() || value[0] < '0' || value[0] > '9' || error != std::errc() || stop != end)
    return "--seed needs a whole number, got '" + value + "'";
  o.seed = seed;
  return {};
}

std::string takeHelp(Options& o, std::string_view, const std::string&) {
  o.action = Options::Action::Help;
  return {};
}

std::string takeVersion(Options& o, std::string_view, const std::string&) {
  o.action = Options::Action::Version;
  return {};
}

const GrammarOption* findOption(const std::vector<GrammarOption>& options, std::string_view name) {
  for (const GrammarOption& o : options)
    if (o.name == name) return &o;
  return nullptr;
}

// An operand of a command: an option of its own whose name is no option name ("FILE.gpkg").
bool isOperand(const GrammarOption& o) { return !o.name.starts_with("-"); }

const GrammarOption* operandOf(const GrammarCommand& command) {
  for (const GrammarOption& o : command.options)
    if (isOperand(o)) return &o;
  return nullptr;
}

// "FILE.gpkg", or "LAT,LON or --world X,Z" for a command with options besides its operand.
std::string operandChoices(const GrammarCommand& command) {
  std::string text;
  for (const GrammarOption& o : command.options)
    text += (text.empty() ? "" : " or ") + std::string(o.name) + (o.value.empty() ? "" : " " + std::string(o.value));
  return text;
}

// "  NAME VALUE" and the help from a fixed column, its further lines under the first.
void addItem(std::string& out, std::size_t indent, std::size_t column, const GrammarOption& o) {
  std::string label = std::string(indent, ' ') + std::string(o.name);
  if (!o.value.empty()) label += " " + std::string(o.value);
  out += label + std::string(column > label.size() ? column - label.size() : 1, ' ');
  for (const char ch : o.help) out += ch == '\n' ? "\n" + std::string(column, ' ') : std::string(1, ch);
  out += '\n';
}

}  // namespace

const GrammarCommand* Grammar::findCommand(std::string_view name) const {
  for (const GrammarCommand& c : commands)
    if (c.name == name) return &c;
  return nullptr;
}

std::string keepForCommand(Options& o, std::string_view name, const std::string& value) {
  o.commands.back().options.emplace_back(name, value);
  return {};
}

const Grammar& batchGrammar() {
  static const Grammar grammar = [] {
    Grammar g;
    g.options = {
        {"--config", "FILE", "settings file read at start-up and by save/reload-settings", takeSettingsFile},
        {"--set", "NAME=VALUE",
         "set a control: texts take VALUE whole, switches 0/1/2,\noptions true/false, type choices -1..6", takeSet},
        {"--yes", "", "answer Yes to every question (the export's, undo over an outside change)", takeYes},
        {"--demo", "DIR", "write the demo terrain folder DIR/Demo and DIR/quarnby.cfg", takeDemo},
        {"--seed", "N", "the demo terrain's seed (default 1944)", takeSeed},
        {"--help", "", "this text", takeHelp},
        {"-h", "", "", takeHelp},
        {"--version", "", "the program's name and version", takeVersion},
    };
    for (const Command& c : commands()) {
      GrammarCommand entry{c.name, c.help, {}};
      for (const CommandOption& o : c.options)
        entry.options.push_back({o.name, o.value, o.help, keepForCommand, o.check});
      g.commands.push_back(std::move(entry));
    }
    g.commands.push_back({"show-params", "print every control as NAME=VALUE", {}});
    return g;
  }();
  return grammar;
}

Parsed parseArguments(const std::vector<std::string>& args, const Grammar& grammar) {
  Parsed parsed;
  Options& o = parsed.options;
  bool haveFolder = false;
  const GrammarCommand* current = nullptr;  // the command whose own options may follow
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const GrammarOption* option = current ? findOption(current->options, a) : nullptr;
    if (!option) option = findOption(grammar.options, a);
    if (option) {
      std::string value;
      if (!option->value.empty()) {
        if (i + 1 >= args.size()) return {o, a + " needs a value"};
        value = args[++i];
      }
      if (option->check)
        if (std::string error = option->check(value); !error.empty()) return {o, error};
      if (std::string error = option->take(o, option->name, value); !error.empty()) return {o, error};
      if (o.action == Options::Action::Help || o.action == Options::Action::Version) return parsed;
    } else if (a.size() > 1 && a[0] == '-' && a[1] == '-') {
      return {o, "unknown option '" + a + "'"};
    } else if (!haveFolder) {
      o.folder = a;
      haveFolder = true;
    } else if (const GrammarOption* operand = current ? operandOf(*current) : nullptr;
               operand && o.commands.back().options.empty()) {
      // The operand comes right after its command; anything later is the next command.
      if (operand->check)
        if (std::string error = operand->check(a); !error.empty()) return {o, error};
      keepForCommand(o, operand->name, a);
    } else {
      o.commands.push_back({a, {}});
      current = grammar.findCommand(a);
    }
  }

  if (!o.demoParent.empty()) {
    o.action = Options::Action::Demo;
    if (haveFolder) return {o, "--demo takes no folder or command"};
    return parsed;
  }
  if (!haveFolder) return {o, "no terrain folder given"};
  if (o.commands.empty()) return {o, "no command given"};
  const ParameterSet controls;
  for (const auto& [name, value] : o.sets)
    if (!controls.has(name)) return {o, "unknown control '" + name + "'"};
  for (const CommandCall& call : o.commands) {
    const GrammarCommand* command = grammar.findCommand(call.name);
    if (!command) return {o, "unknown command '" + call.name + "'"};
    if (operandOf(*command) && call.options.empty()) return {o, call.name + " needs " + operandChoices(*command)};
  }
  ParameterSet scratch;  // whether a value fits its control does not depend on the others
  for (const auto& [name, value] : o.sets)
    if (!scratch.setFromText(name, value)) return {o, "bad value '" + value + "' for " + name};
  return parsed;
}

std::string usageText(const Grammar& grammar) {
  std::string out =
      "Usage: quarnby-batch [--config FILE] [--set NAME=VALUE]... [--yes] FOLDER COMMAND...\n"
      "       quarnby-batch --demo DIR [--seed N]\n"
      "\n"
      "Runs the window's operations on the terrain folder FOLDER without a window.\n"
      "Start-up loads the settings file (default quarnby.cfg in the working folder), then\n"
      "each --set changes one control, then the commands run in order.\n"
      "\n"
      "Options:\n";
  for (const GrammarOption& o : grammar.options)
    if (!o.help.empty()) addItem(out, 2, 21, o);
  out += "\nCommands:\n";
  std::size_t column = 0;  // two blanks after the longest command or command option
  for (const GrammarCommand& c : grammar.commands) {
    column = std::max(column, 2 + c.name.size() + 2);
    for (const GrammarOption& o : c.options) column = std::max(column, 4 + o.name.size() + 1 + o.value.size() + 2);
  }
  for (const GrammarCommand& c : grammar.commands) {
    addItem(out, 2, column, {c.name, "", c.help, nullptr});
    for (const GrammarOption& o : c.options) addItem(out, 4, column, o);
  }
  out += "\nExit status: 0 all commands completed, 1 a command ended early, 2 usage error.\n";
  return out;
}

}  // namespace quarnby::batch
