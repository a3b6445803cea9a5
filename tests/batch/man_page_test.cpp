// The man page quarnby-batch.1 lists what quarnby-batch --help lists: every option, every
// command and every exit status, and no command that the program does not have.
#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "app/commands.h"
#include "batch/batch.h"
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

// The terms of a list section: the first word after each ".TP" line.
std::set<std::string> listedTerms(const std::string& sectionText) {
  std::set<std::string> terms;
  const std::regex term(R"(\.TP\n\.B[IR]? +([^ \n]+))");
  for (std::sregex_iterator it(sectionText.begin(), sectionText.end(), term), end; it != end; ++it)
    terms.insert((*it)[1]);
  return terms;
}

std::string helpText() {
  std::ostringstream out, err;
  EXPECT_EQ(runBatch({"--help"}, out, err), 0);
  return out.str();
}

TEST(ManPage, ListsEveryOptionCommandAndExitStatusOfTheHelp) {
  const std::string page = manPage();
  const std::string help = helpText();
  ASSERT_FALSE(page.empty());

  const std::string optionsText = section(page, "OPTIONS");
  const std::set<std::string> options = listedTerms(optionsText);
  const std::regex optionInHelp(R"((^|[\s\[(|])(--?[a-z][a-z-]*))");
  int optionsInHelp = 0;
  for (std::sregex_iterator it(help.begin(), help.end(), optionInHelp), end; it != end; ++it, ++optionsInHelp) {
    const std::string option = (*it)[2];
    // A short name stands beside its long one: .BR --help ", " -h
    const bool listed = options.count(option) || optionsText.find("\", \" " + option + "\n") != std::string::npos;
    EXPECT_TRUE(listed) << option << " is in --help but not under OPTIONS of the man page";
  }
  EXPECT_GE(optionsInHelp, 7);

  std::set<std::string> programCommands = {"show-params"};
  for (const Command& c : commands()) programCommands.insert(std::string(c.name));
  const std::set<std::string> manCommands = listedTerms(section(page, "COMMANDS"));
  for (const std::string& name : programCommands) {
    EXPECT_NE(help.find("  " + name), std::string::npos) << name << " is missing from --help";
    EXPECT_TRUE(manCommands.count(name)) << name << " is missing from the man page's COMMANDS";
  }
  for (const std::string& name : manCommands)
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
