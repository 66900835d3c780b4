// `--help` and the manual pages describe the same options, variables and exit codes.

#include <gtest/gtest.h>

#include <regex>

#include "app/help_text.h"
#include "common/product.h"
#include "test_support.h"
#include "text/u16.h"

namespace trelvane {
namespace {

// The manual page as a reader sees its words: troff's escaped hyphens and spaces made plain.
std::string ManualPageWords(const std::string& name) {
  std::string page = testing::ReadTextFile(std::filesystem::path(TRELVANE_SOURCE_DIR) / "packaging/man" / name);
  page = std::regex_replace(page, std::regex(R"(\\-)"), "-");
  return std::regex_replace(page, std::regex(R"(\\~)"), " ");
}

// Options, variables and exit-code lines ("  2  …") that the help text names.
std::vector<std::string> TermsOf(const std::string& help) {
  static const std::regex term(R"((--?[a-z]+|TRELVANE_[A-Z]+)|^  ([0-9])  )", std::regex::multiline);
  std::vector<std::string> terms;
  for (auto match = std::sregex_iterator(help.begin(), help.end(), term); match != std::sregex_iterator(); ++match)
    terms.push_back((*match)[1].matched ? (*match)[1].str() : ".B " + (*match)[2].str() + "\n");
  return terms;
}

TEST(HelpText, EveryOptionVariableAndExitCodeIsInTheManualPage) {
  const std::pair<ProgramKind, const char*> programs[] = {{ProgramKind::Windowed, "trelvane.1"},
                                                          {ProgramKind::CommandLine, "trelvane-cli.8"}};
  for (const auto& [program, page] : programs) {
    const std::string manual = ManualPageWords(page);
    const std::vector<std::string> terms = TermsOf(ToUtf8(HelpText(program)));
    EXPECT_GE(terms.size(), 7u) << page;
    for (const std::string& term : terms) EXPECT_NE(manual.find(term), std::string::npos) << page << ": " << term;
  }
}

TEST(HelpText, HelpAndVersionAnswerAndOtherWordsDoNot) {
  EXPECT_EQ(InformationRequested(ProgramKind::Windowed, u"--version"), std::u16string(ProductLine) + u"\n");
  EXPECT_EQ(InformationRequested(ProgramKind::CommandLine, u"-h"), HelpText(ProgramKind::CommandLine));
  EXPECT_EQ(InformationRequested(ProgramKind::Windowed, u"--debug"), std::nullopt);
}

}  // namespace
}  // namespace trelvane
