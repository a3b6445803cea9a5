#include "batch/batch.h"

#include <cstdio>
#include <iostream>
#include <ostream>

#include "app/commands.h"
#include "app/settings_file.h"
#include "batch/arguments.h"
#include "demo/demo_terrain.h"
#include "platform/program_module.h"
#include "terrain/terrain_folder.h"

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

int usageError(std::ostream& err, const std::string& reason) {
  err << "quarnby-batch: " << reason << "\n"
      << "Try 'quarnby-batch --help'.\n";
  return 2;
}

// Runs one command of the run; the operations go through the command table as the
// window's buttons do.
Outcome runCall(const batch::CommandCall& call, Context& cx, std::ostream& out, std::ostream& err) {
  if (call.name == "show-params") {
    for (const std::string& name : cx.params.names()) out << name << '=' << cx.params.valueText(name) << '\n';
    return Outcome::Completed;
  }
  CommandRequest request{call.options, nullptr};
  // A command's progress goes to standard error only when someone watches it there.
  if (&err == &std::cerr && platform::standardErrorIsTerminal())
    request.progress = [&err, name = call.name](int percent) {
      err << '\r' << name << ": " << percent << "%" << (percent == 100 ? "\n" : "") << std::flush;
      return true;
    };
  cx.request = &request;
  const Outcome outcome = runCommand(*findCommand(call.name), cx);
  cx.request = nullptr;
  return outcome;
}

}  // namespace

int runBatch(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  const batch::Parsed parsed = batch::parseArguments(args);
  if (!parsed.error.empty()) return usageError(err, parsed.error);
  const batch::Options& o = parsed.options;
  switch (o.action) {
    case batch::Options::Action::Help: out << batch::usageText(); return 0;
    case batch::Options::Action::Version: out << kProgramTitle << '\n'; return 0;
    case batch::Options::Action::Demo:
      if (auto error = demo::writeDemoTerrain(o.demoParent, o.seed)) {
        err << *error << '\n';
        return 1;
      }
      out << "Demo terrain written to " << (o.demoParent / "Demo").string() << '\n';
      return 0;
    case batch::Options::Action::Run: break;
  }

  PrintingHost host(out, err, o.yes);
  ParameterSet params;
  RandomSource random;
  Context cx{params, normalisedFolder(o.folder), host, random, o.settingsFile};
  Form_Load(cx);
  for (const auto& [name, value] : o.sets) params.setFromText(name, value);  // checked when parsed
  for (const batch::CommandCall& call : o.commands)
    if (runCall(call, cx, out, err) != Outcome::Completed) return 1;
  return 0;
}

}  // namespace quarnby
