#include "batch/arguments.h"

#include <gtest/gtest.h>

namespace quarnby::batch {
namespace {

// The program's own options, and three commands: one with options of its own, one
// without, one with an operand (an option named without dashes) right after its name.
const Grammar& testGrammar() {
  static const Grammar g = [] {
    Grammar t;
    t.options = batchGrammar().options;
    t.commands = {
        {"import",
         "reads the files",
         {{"--source", "FILE", "a file to read", keepForCommand}, {"--fast", "", "take a short cut", keepForCommand}}},
        {"plain", "does the usual", {}},
        {"find",
         "finds a point",
         {{"AT", "", "the point", keepForCommand}, {"--near", "N", "the point by number", keepForCommand}}}};
    return t;
  }();
  return g;
}

// The commands as "name[option=value,...]" in order.
std::string callsOf(const Options& o) {
  std::string out;
  for (const CommandCall& c : o.commands) {
    out += (out.empty() ? "" : " ") + c.name + "[";
    for (std::size_t i = 0; i < c.options.size(); ++i)
      out += (i ? "," : "") + c.options[i].first + "=" + c.options[i].second;
    out += "]";
  }
  return out;
}

struct Case {
  std::vector<std::string> args;
  std::string error;  // empty: parsed
  std::string calls;
};

TEST(Arguments, CommandsTakeTheirOwnOptionsUpToTheNextCommand) {
  const std::vector<Case> cases = {
      {{"F", "import", "--source", "a", "--fast", "--source", "--b", "plain", "import"},
       "",
       "import[--source=a,--fast=,--source=--b] plain[] import[]"},
      {{"--yes", "F", "plain", "--config", "c.cfg", "import", "--set", "Text3=2"}, "", "plain[] import[]"},
      {{"F", "plain", "--source", "a"}, "unknown option '--source'", ""},
      {{"F", "--source", "a", "import"}, "unknown option '--source'", ""},
      {{"F", "import", "--source"}, "--source needs a value", ""},
      {{"F", "import", "nope", "--fast"}, "unknown option '--fast'", ""},
      {{"F", "import", "nope"}, "unknown command 'nope'", ""},
      {{"--set", "Nope=1", "F", "nope"}, "unknown control 'Nope'", ""},
      {{"--set", "Check1=3", "F", "plain"}, "bad value '3' for Check1", ""},
      {{"--set", "Combo1", "F", "plain"}, "--set needs NAME=VALUE, got 'Combo1'", ""},
      {{"--seed", "12x", "--demo", "D"}, "--seed needs a whole number, got '12x'", ""},
      {{"--seed", "4294967296", "--demo", "D"}, "--seed needs a whole number, got '4294967296'", ""},
      {{"--seed", "-4294967295", "--demo", "D"}, "--seed needs a whole number, got '-4294967295'", ""},
      {{"--seed", "-1", "--demo", "D"}, "--seed needs a whole number, got '-1'", ""},
      {{"--seed", "", "--demo", "D"}, "--seed needs a whole number, got ''", ""},
      {{"--demo", "D", "F"}, "--demo takes no folder or command", ""},
      {{"F", "find", "x,y", "plain", "find", "--near", "3", "find", "plain"},
       "",
       "find[AT=x,y] plain[] find[--near=3] find[AT=plain]"},
      {{"F", "find", "--near", "3", "plain"}, "", "find[--near=3] plain[]"},
      {{"F", "find", "x", "--near", "3"}, "", "find[AT=x,--near=3]"},
      {{"F", "find"}, "find needs AT or --near N", ""},
      {{"F", "find", "--yes"}, "find needs AT or --near N", ""},
      {{"F"}, "no command given", ""},
      {{}, "no terrain folder given", ""},
  };
  for (const Case& c : cases) {
    const Parsed p = parseArguments(c.args, testGrammar());
    EXPECT_EQ(p.error, c.error) << c.args.size() << " arguments, first " << (c.args.empty() ? "" : c.args[0]);
    if (c.error.empty()) {
      EXPECT_EQ(callsOf(p.options), c.calls);
    }
  }
}

TEST(Arguments, GlobalOptionsAreReadWhereverTheyStand) {
  const Parsed p = parseArguments({"--set", "g0=0", "F", "--config", "x.cfg", "plain", "--set", "MapOp3=true", "--yes"},
                                  testGrammar());
  ASSERT_EQ(p.error, "");
  EXPECT_EQ(p.options.action, Options::Action::Run);
  EXPECT_EQ(p.options.folder, "F");
  EXPECT_EQ(p.options.settingsFile, "x.cfg");
  EXPECT_TRUE(p.options.yes);
  const std::vector<std::pair<std::string, std::string>> sets = {{"g0", "0"}, {"MapOp3", "true"}};
  EXPECT_EQ(p.options.sets, sets);

  const Parsed demo = parseArguments({"--seed", "7", "--demo", "D"}, testGrammar());
  EXPECT_EQ(demo.options.action, Options::Action::Demo);
  EXPECT_EQ(demo.options.seed, 7u);
  const std::pair<const char*, std::uint32_t> edges[] = {{"0", 0u}, {"4294967295", 4294967295u}};
  for (const auto& [text, seed] : edges) {
    const Parsed edge = parseArguments({"--seed", text, "--demo", "D"}, testGrammar());
    EXPECT_EQ(edge.error, "") << text;
    EXPECT_EQ(edge.options.seed, seed) << text;
  }
}

TEST(Arguments, HelpAndVersionEndTheReadingWhereTheyStand) {
  EXPECT_EQ(parseArguments({"F", "nope", "--help", "--bogus"}, testGrammar()).options.action, Options::Action::Help);
  EXPECT_EQ(parseArguments({"-h"}, testGrammar()).options.action, Options::Action::Help);
  EXPECT_EQ(parseArguments({"--version", "--set"}, testGrammar()).options.action, Options::Action::Version);
  EXPECT_EQ(parseArguments({"--bogus", "--help"}, testGrammar()).error, "unknown option '--bogus'");
}

TEST(Arguments, TheUsageTextListsWhatTheParserAccepts) {
  const std::string usage = usageText(testGrammar());
  EXPECT_NE(usage.find("  --set NAME=VALUE   set a control: texts take VALUE whole, switches 0/1/2,\n"
                       "                     options true/false, type choices -1..6\n"),
            std::string::npos);
  EXPECT_NE(usage.find("Commands:\n"
                       "  import           reads the files\n"
                       "    --source FILE  a file to read\n"
                       "    --fast         take a short cut\n"
                       "  plain            does the usual\n"),
            std::string::npos)
      << usage;
  EXPECT_EQ(usage.find("-h "), std::string::npos);
}

}  // namespace
}  // namespace quarnby::batch
