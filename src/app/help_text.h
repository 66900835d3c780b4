#pragma once
// What `--help` and `--version` print for the two programs. The manual pages describe the same
// options, variables and exit codes; a test keeps them in step.

#include <optional>
#include <string>

namespace trelvane {

enum class ProgramKind { Windowed, CommandLine };

std::u16string HelpText(ProgramKind program);

// The text `word` asks for when it is `--help`, `-h` or `--version` (and for the command line `-V`);
// nothing for any other word.
std::optional<std::u16string> InformationRequested(ProgramKind program, const std::u16string& word);

}  // namespace trelvane
