#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "format/firmware_erase_choice.h"

namespace trelvane::cli {

struct Arguments {
  std::string command;                // list, details, smart, format
  std::optional<std::int64_t> drive;  // N of \\.\PhysicalDriveN
  // The drive named by its device node (/dev/sdb) or path instead of its number; the command resolves
  // it against the listed drives.
  std::optional<std::string> drivePath;
  bool json = false;  // list, details, smart: one JSON document on standard output instead of the text
  bool debug = false;
  bool quick = false;
  bool yes = false;
  bool verify = false;
  // --verify=full: a firmware erase is read back whole instead of the sample (the zero fill and the
  // quick wipe always read back all they wrote).
  bool verifyWholeDisk = false;
  std::optional<EraseMethodId> method;  // --method NAME; --quick is --method quick
  std::optional<std::string> reportDirectory;  // --report DIR
};

// Parses the words after the program name; returns nothing (and prints why) when they are wrong.
// Options may come before or after the command, "--" ends them, and an option's value may follow it
// as the next word or after "=" (--report=DIR); single-letter aliases may be grouped (-qy).
std::optional<Arguments> ParseArguments(const std::vector<std::string>& words);

// The word that asks for the help or the version text (--help, -h, --version, -V) among the options,
// if any: it wins over everything else on the line.
std::optional<std::string> InformationWord(const std::vector<std::string>& words);

void PrintUsage();

}  // namespace trelvane::cli
