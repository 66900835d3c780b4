// trelvane-cli: the program's core without windows, for servers and scripts.

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "app/help_text.h"
#include "launch/console.h"
#include "launch/make_system.h"
#include "cli/access_notice.h"
#include "cli/arguments.h"
#include "cli/commands.h"
#include "cli/console_format.h"
#include "cli/console_output.h"
#include "cli/session.h"
#include "text/u16.h"

using namespace trelvane;
using namespace trelvane::cli;

namespace {

// The fatal line for a failure that carries no text of its own.
constexpr const char16_t* UnknownFailureText = u"Внутренняя ошибка.";

int RunCommand(Session& session, const Arguments& arguments) {
  for (const CommandEntry& entry : CommandTable()) {
    if (arguments.command != entry.name) continue;
    RunCliStartup(session, arguments.debug, entry.printsFormatLog);
    if (const auto denied = ReportDrivesDeniedAccess(session.state)) return *denied;
    return entry.run(session, arguments);
  }
  return ExitRefused;
}

}  // namespace

int main(int argc, char** argv) {
  PrepareConsoleForUtf8();
  IgnoreBrokenPipe();
  ListenForProgressRequests();
  if (argc > 1)
    if (const auto text = InformationRequested(ProgramKind::CommandLine, FromUtf8(argv[1]))) {
      std::fputs(ToUtf8(*text).c_str(), stdout);
      return ExitSuccess;
    }
  const auto arguments = ParseArguments(std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc));
  if (!arguments) return ExitRefused;
  try {
    Session session(MakeSystem(argc, argv));
    return RunCommand(session, *arguments);
  } catch (const ProgramTermination& termination) {
    // The fatal box that ended the program has printed its text already.
    return termination.exitCode;
  } catch (const StartupError& error) {
    PrintLine(stderr, error.message);
  } catch (const std::exception& error) {
    // A backend that cannot start, or a failure nothing below handled: fatal like any fatal box.
    PrintLine(stderr, FromUtf8(error.what()));
  } catch (...) {
    PrintLine(stderr, UnknownFailureText);
  }
  return ExitFatal;
}
