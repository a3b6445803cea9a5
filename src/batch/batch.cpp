#include "batch/batch.h"

#include <ostream>
#include <utility>

#include "app/commands.h"
#include "app/settings_file.h"
#include "terrain/terrain_folder.h"
#include "tools/demo_terrain.h"

namespace quarnby {
namespace {

// Messages printed as the window would show them: information on standard output,
// warnings and errors on standard error, every CR LF or lone CR a new line.
class PrintingHost : public Host {
 public:
  PrintingHost(std::ostream& out, std::ostream& err, bool yes) : out_(out), err_(err), yes_(yes) {}

  void showMessage(const std::string& text, Icon icon, const std::string&) override {
    (icon == Icon::Critical || icon == Icon::Exclamation ? err_ : out_) << lines(text) << '\n';
  }
  bool askYesNo(const std::string& text, const std::string&, Icon) override {
    out_ << lines(text) << (yes_ ? " Yes\n" : " No (answer Yes with --yes)\n");
    return yes_;
  }
  void setProgress(ProgressBar, int) override {}
  void setFocus(const std::string&) override {}

 private:
  static std::string lines(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '\r') {
        out += '\n';
        if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
      } else {
        out += text[i];
      }
    }
    return out;
  }
  std::ostream& out_;
  std::ostream& err_;
  bool yes_;
};

void printUsage(std::ostream& os) {
  os << "Usage: quarnby-batch [--config FILE] [--set NAME=VALUE]... [--yes] FOLDER COMMAND...\n"
        "       quarnby-batch --demo DIR [--seed N]\n"
        "\n"
        "Runs the window's operations on the terrain folder FOLDER without a window.\n"
        "Start-up loads the settings file (default quarnby.cfg in the working folder), then\n"
        "each --set changes one control, then the commands run in order.\n"
        "\n"
        "Options:\n"
        "  --config FILE      settings file read at start-up and by save/reload-settings\n"
        "  --set NAME=VALUE   set a control: texts take VALUE whole, switches 0/1/2,\n"
        "                     options true/false, type choices -1..6\n"
        "  --yes              answer Yes to the export's question\n"
        "  --demo DIR         write the demo terrain folder DIR/Demo and DIR/quarnby.cfg\n"
        "  --seed N           the demo terrain's seed (default 1944)\n"
        "  --help             this text\n"
        "  --version          the program's name and version\n"
        "\n"
        "Commands:\n";
  for (const Command& c : commands()) os << "  " << c.name << '\n';
  os << "  show-params        print every control as NAME=VALUE\n"
        "\n"
        "Exit status: 0 all commands completed, 1 a command ended early, 2 usage error.\n";
}

int usageError(std::ostream& err, const std::string& reason) {
  err << "quarnby-batch: " << reason << "\n" << "Try 'quarnby-batch --help'.\n";
  return 2;
}

}  // namespace

int runBatch(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  std::string configFile = "quarnby.cfg";
  std::vector<std::pair<std::string, std::string>> sets;
  bool yes = false;
  std::vector<std::string> positional;
  std::string demoFolder;
  std::uint32_t seed = demo::kDefaultSeed;

  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--help" || a == "-h") {
      printUsage(out);
      return 0;
    }
    if (a == "--version") {
      out << kProgramTitle << '\n';
      return 0;
    }
    if (a == "--yes") {
      yes = true;
    } else if (a == "--demo" || a == "--seed") {
      if (i + 1 >= args.size()) return usageError(err, a + " needs a value");
      const std::string& value = args[++i];
      if (a == "--demo") {
        demoFolder = value;
      } else {
        try {
          std::size_t used = 0;
          const unsigned long v = std::stoul(value, &used);
          if (used != value.size() || v > 0xFFFFFFFFUL) throw std::out_of_range(value);
          seed = static_cast<std::uint32_t>(v);
        } catch (const std::exception&) {
          return usageError(err, "--seed needs a whole number, got '" + value + "'");
        }
      }
    } else if (a == "--config" || a == "--set") {
      if (i + 1 >= args.size()) return usageError(err, a + " needs a value");
      const std::string& value = args[++i];
      if (a == "--config") {
        configFile = value;
      } else {
        const auto eq = value.find('=');
        if (eq == std::string::npos) return usageError(err, "--set needs NAME=VALUE, got '" + value + "'");
        sets.emplace_back(value.substr(0, eq), value.substr(eq + 1));
      }
    } else if (a.size() > 1 && a[0] == '-' && a[1] == '-') {
      return usageError(err, "unknown option '" + a + "'");
    } else {
      positional.push_back(a);
    }
  }
  if (!demoFolder.empty()) {
    if (!positional.empty()) return usageError(err, "--demo takes no folder or command");
    if (auto error = demo::writeDemoTerrain(demoFolder, seed)) {
      err << *error << '\n';
      return 1;
    }
    out << "Demo terrain written to " << (std::filesystem::path(demoFolder) / "Demo").string() << '\n';
    return 0;
  }
  if (positional.empty()) return usageError(err, "no terrain folder given");
  if (positional.size() == 1) return usageError(err, "no command given");

  // Check everything before anything runs, so that a typo changes no file.
  ParameterSet params;
  for (const auto& [name, value] : sets)
    if (!params.has(name)) return usageError(err, "unknown control '" + name + "'");
  for (std::size_t i = 1; i < positional.size(); ++i)
    if (positional[i] != "show-params" && !findCommand(positional[i]))
      return usageError(err, "unknown command '" + positional[i] + "'");

  PrintingHost host(out, err, yes);
  RandomSource random;
  Context cx{params, normalisedFolder(positional[0]), host, random, configFile};
  Form_Load(cx);
  for (const auto& [name, value] : sets)
    if (!params.setFromText(name, value)) return usageError(err, "bad value '" + value + "' for " + name);

  for (std::size_t i = 1; i < positional.size(); ++i) {
    if (positional[i] == "show-params") {
      for (const std::string& name : params.names()) out << name << '=' << params.valueText(name) << '\n';
      continue;
    }
    if (runCommand(*findCommand(positional[i]), cx) != Outcome::Completed) return 1;
  }
  return 0;
}

}  // namespace quarnby
