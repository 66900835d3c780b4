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
std::optional<Arguments> ParseArguments(const std::vector<std::string>& words);

void PrintUsage();

}  // namespace trelvane::cli
