// The man page quarnby-batch.1 lists what quarnby-batch --help lists, both made from the
// command line's grammar: every option, every command and its own options, every exit
// status; and no command that the program does not have.
#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>

#include "batch/arguments.h"
#include "support/temp_folder.h"

namespace quarnby {
namespace {

// The man page's text with groff's escaped hyphens plain, as a reader sees them.
std::string manPage() {
  std::string text = testing::readText(std::filesystem::path(QUARNBY_SOURCE_DIR) / "packaging" / "quarnby-batch.1.in");
  return std::regex_replace(text, std::regex(R"(\\-)"), "-");
}

// The lines of one section, from ".SH NAME" to the next ".SH".
std::string section(const std::string& page, const std::string& name) {
  const auto start = page.find(".SH " + name + "\n");
  if (start == std::string::npos) return {};
  const auto end = page.find("\n.SH ", start + 1);
  return page.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

// The terms of a list section: the first word after each ".TP" line, and a second name
// beside it (.BR --help ", " -h).
std::set<std::string> listedTerms(const std::string& sectionText) {
  std::set<std::string> terms;
  const std::regex term(R"(\.TP\n\.B[IR]? +([^ \n]+)(?: ", " ([^ \n]+))?)");
  for (std::sregex_iterator it(sectionText.begin(), sectionText.end(), term), end; it != end; ++it) {
    terms.insert((*it)[1]);
    if ((*it)[2].matched) terms.insert((*it)[2]);
  }
  return terms;
}

TEST(ManPage, ListsEveryOptionCommandAndExitStatusOfTheHelp) {
  const std::string page = manPage();
  ASSERT_FALSE(page.empty());
  const batch::Grammar& grammar = batch::batchGrammar();
  const std::string help = batch::usageText(grammar);

  const std::set<std::string> manOptions = listedTerms(section(page, "OPTIONS"));
  for (const batch::GrammarOption& o : grammar.options)
    EXPECT_TRUE(manOptions.count(std::string(o.name))) << o.name << " is missing from the man page's OPTIONS";

  const std::string commandsText = section(page, "COMMANDS");
  const std::set<std::string> manCommands = listedTerms(commandsText);
  std::set<std::string> programCommands;
  for (const batch::GrammarCommand& c : grammar.commands) {
    programCommands.insert(std::string(c.name));
    EXPECT_NE(help.find("  " + std::string(c.name) + " "), std::string::npos) << c.name << " is missing from --help";
    EXPECT_TRUE(manCommands.count(std::string(c.name))) << c.name << " is missing from the man page's COMMANDS";
    for (const batch::GrammarOption& o : c.options)
      EXPECT_NE(commandsText.find(std::string(o.name)), std::string::npos)
          << c.name << " " << o.name << " is missing from the man page's COMMANDS";
  }
  for (const std::string& name : manCommands)
    if (name.rfind("--", 0) != 0)
      EXPECT_TRUE(programCommands.count(name)) << "the man page lists " << name << ", which is no command";

  const std::set<std::string> manStatuses = listedTerms(section(page, "EXIT STATUS"));
  const auto exitLine = help.substr(help.find("Exit status:"));
  std::set<std::string> helpStatuses;
  const std::regex status(R"([:,] (\d) )");
  for (std::sregex_iterator it(exitLine.begin(), exitLine.end(), status), end; it != end; ++it)
    helpStatuses.insert((*it)[1]);
  EXPECT_EQ(manStatuses, helpStatuses);
  EXPECT_EQ(helpStatuses, (std::set<std::string>{"0", "1", "2"}));
}

}  // namespace
}  // namespace quarnby
