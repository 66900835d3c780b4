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
#include "cli/json_reports.h"
#include "cli/session.h"
#include "text/u16.h"

using namespace trelvane;
using namespace trelvane::cli;

namespace {

// The fatal line for a failure that carries no text of its own.
constexpr const char16_t* UnknownFailureText = u"Внутренняя ошибка.";

// Runs the command; with `document` its JSON members go there and the start-up's format log is not
// printed.
int RunCommand(Session& session, Arguments arguments, JsonValue* document) {
  for (const CommandEntry& entry : CommandTable()) {
    if (arguments.command != entry.name) continue;
    RunCliStartup(session, arguments.debug, entry.printsFormatLog && document == nullptr);
    if (const auto denied = ReportDrivesDeniedAccess(session)) return *denied;
    if (arguments.drivePath) {
      arguments.drive = DriveNumberOfPath(session, *arguments.drivePath);
      if (!arguments.drive) return ExitRefused;
    }
    if (document != nullptr && entry.runJson != nullptr) return entry.runJson(session, arguments, *document);
    return entry.run(session, arguments);
  }
  return ExitRefused;
}

}  // namespace

int main(int argc, char** argv) {
  PrepareConsoleForUtf8();
  IgnoreBrokenPipe();
  ListenForProgressRequests();
  const std::vector<std::string> words(argv + (argc > 0 ? 1 : 0), argv + argc);
  if (const auto word = InformationWord(words))
    if (const auto text = InformationRequested(ProgramKind::CommandLine, FromUtf8(*word), HelpLanguageOfUser())) {
      std::fputs(ToUtf8(*text).c_str(), stdout);
      return ExitSuccess;
    }
  const auto arguments = ParseArguments(words);
  if (!arguments) return ExitUsage;
  // With --json the lines said to the user are also kept for the document's messages.
  std::vector<std::u16string> messages;
  std::vector<std::u16string>* record = arguments->json ? &messages : nullptr;
  JsonValue document = JsonDocumentHead(arguments->command);
  int exitCode = ExitFatal;
  try {
    Session session(MakeSystem(argc, argv));
    session.CollectMessages(record);
    exitCode = RunCommand(session, *arguments, record != nullptr ? &document : nullptr);
  } catch (const ProgramTermination& termination) {
    // The fatal box that ended the program has printed its text already.
    exitCode = termination.exitCode;
  } catch (const StartupError& error) {
    PrintMessage(record, error.message);
  } catch (const std::exception& error) {
    // A backend that cannot start, or a failure nothing below handled: fatal like any fatal box.
    PrintMessage(record, FromUtf8(error.what()));
  } catch (...) {
    PrintMessage(record, UnknownFailureText);
  }
  if (record != nullptr) PrintJsonDocument(std::move(document), messages);
  return exitCode;
}
