#pragma once
// Runs trelvane-cli as a user would, on an emulated machine, and captures what it prints.

#include <filesystem>
#include <string>

namespace trelvane::testing {

struct CliResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};

// Runs `trelvane-cli <arguments>` with TRELVANE_MACHINE=machine, standard input from `input`, and the
// locale variables `locale` (Russian by default, whatever the locale the tests run in).
CliResult RunCli(const std::filesystem::path& machine, const std::string& arguments, const std::string& input = "",
                 const std::string& locale = "LC_ALL=ru_RU.UTF-8");

// A machine file under tests/machines/.
std::filesystem::path Machine(const std::string& name);

}  // namespace trelvane::testing
