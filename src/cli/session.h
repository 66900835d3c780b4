#pragma once
// One run of the command-line tool: the platform, the program state and the log writers, wired to
// the terminal the way the windows are wired to their memos.

#include <memory>
#include <optional>
#include <vector>
#include <string>

#include "common/diagnostic_log.h"
#include "common/program_state.h"
#include "cli/console_output.h"
#include "os/system.h"

namespace trelvane::cli {

// Exit codes of the command line.
inline constexpr int ExitSuccess = 0;
inline constexpr int ExitIncomplete = 1;  // a block failed, the run was stopped or aborted
inline constexpr int ExitRefused = 2;     // drive not usable, declined, lock failed
inline constexpr int ExitUsage = 64;      // the command line's words are wrong (EX_USAGE)
inline constexpr int ExitFatal = 3;       // a fatal message box of the program
inline constexpr int ExitReportLost = 4;  // erased, but the report asked for could not be saved

struct Session {
  explicit Session(std::unique_ptr<System> platform)
      : system(std::move(platform)), log(*system, state.DebugMode) {}

  std::unique_ptr<System> system;
  ProgramState state;
  DiagnosticLog log;
  ProgressLine progressLine;
  StreamLineSink formatLog{stdout, &progressLine};
  StreamLineSink debugLog{stderr, &progressLine};
  ConsoleMessageBoxes boxes;
  NoStartupWindows windows;
  // Where a JSON document collects the lines said to the user; nothing for the text output.
  std::vector<std::u16string>* messages = nullptr;

  void CollectMessages(std::vector<std::u16string>* record) { messages = boxes.record = record; }
};

// Runs the program's start-up. With `printFormatLog` the format log goes to standard output; with
// `debug` the debug log goes to standard error.
void RunCliStartup(Session& session, bool debug, bool printFormatLog);

// Makes drive N the selected drive and opens it as the main window does. Returns ExitSuccess, or the
// exit code after printing why it cannot be used.
int OpenDriveForCommand(Session& session, std::int64_t driveNumber);

// The number of the listed drive whose device node or path is `path` (/dev/sdb), or nothing after
// saying that no listed drive has it.
std::optional<std::int64_t> DriveNumberOfPath(Session& session, const std::string& path);

}  // namespace trelvane::cli
