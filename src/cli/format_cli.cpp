#include "cli/format_cli.h"

#include "cli/console_format.h"
#include "cli/console_output.h"
#include "format/format_command.h"

namespace trelvane::cli {

int FormatDriveCommand(Session& session, const Arguments& arguments) {
  const int opened = OpenDriveForCommand(session, *arguments.drive);
  if (opened != ExitSuccess) return opened;
  ConsoleProgressView progress(session.state, session.progressLine);
  ConsoleCommandControls controls(arguments.quick, arguments.verify);
  ConsolePrompt prompt(arguments.yes);
  const FormatCommandOutcome outcome =
      FormatCommand(*session.system, session.state, session.log, progress, controls, prompt);
  if (!outcome.confirmed) PrintLine(stderr, u"Форматирование не подтверждено: на диск ничего не записано.");
  if (!outcome.confirmed || !outcome.locked) return ExitRefused;
  if (outcome.run.ending == ZeroFillOutcome::Ending::Refused) return ExitRefused;
  return outcome.Succeeded() ? ExitSuccess : ExitIncomplete;
}

}  // namespace trelvane::cli
