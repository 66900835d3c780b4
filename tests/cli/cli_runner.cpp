#include "cli_runner.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/wait.h>

#include "test_support.h"

namespace trelvane::testing {

namespace {

std::string Quoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

}  // namespace

CliResult RunCli(const std::filesystem::path& machine, const std::string& arguments, const std::string& input,
                 const std::string& locale) {
  TempDir folder;
  const auto in = folder.path() / "in";
  const auto out = folder.path() / "out";
  const auto err = folder.path() / "err";
  WriteTextFile(in, input);
  const std::string command = locale + " TRELVANE_MACHINE=" + Quoted(machine.string()) + " " + Quoted(TRELVANE_CLI_PATH) +
                              " " + arguments + " <" + Quoted(in.string()) + " >" + Quoted(out.string()) +
                              " 2>" + Quoted(err.string());
  const int status = std::system(command.c_str());
  CliResult result;
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.out = ReadTextFile(out);
  result.err = ReadTextFile(err);
  return result;
}

std::filesystem::path Machine(const std::string& name) { return TestDataFile("machines/" + name); }

}  // namespace trelvane::testing
