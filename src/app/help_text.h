#pragma once
// What `--help` and `--version` print for the two programs. The manual pages describe the same
// options, variables and exit codes; a test keeps them in step.

#include <functional>
#include <optional>
#include <string>

namespace trelvane {

enum class ProgramKind { Windowed, CommandLine };
// Only `--help` follows the user's language; everything else the programs say is Russian.
enum class HelpLanguage { Russian, English };

std::u16string HelpText(ProgramKind program, HelpLanguage language);

// The language of the user's locale as gettext finds it: the first of LC_ALL, LC_MESSAGES and LANG
// that is set and not empty; Russian for ru and ru_*, English for anything else and for none.
// `variable` answers an environment variable's value, empty when it is not set.
HelpLanguage HelpLanguageOfLocale(const std::function<std::string(const char*)>& variable);

// The text `word` asks for when it is `--help`, `-h` or `--version` (and for the command line `-V`);
// nothing for any other word.
std::optional<std::u16string> InformationRequested(ProgramKind program, const std::u16string& word,
                                                   HelpLanguage language);

}  // namespace trelvane
