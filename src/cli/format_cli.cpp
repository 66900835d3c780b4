#include "cli/format_cli.h"

#include "cli/console_format.h"
#include "cli/console_output.h"
#include "format/format_command.h"
#include "format/report_files.h"
#include "text/u16.h"

namespace trelvane::cli {

namespace {

// The report goes beside the format log, never into it: its path, or why it could not be written, is
// said on standard error, and neither changes the exit code.
void SaveReport(Session& session, const FormatCommandOutcome& outcome, const std::string& folder) {
  const ErasureReport report = CollectErasureReport(*session.system, session.state, outcome);
  const SavedReport saved = SaveErasureReport(folder, report);
  if (saved.error) PrintLine(stderr, u"Не удалось записать отчет о стирании: " + *saved.error);
  else PrintLine(stderr, u"Отчет о стирании: " + FromUtf8(saved.json.string()));
}

}  // namespace

int FormatDriveCommand(Session& session, const Arguments& arguments) {
  const int opened = OpenDriveForCommand(session, *arguments.drive);
  if (opened != ExitSuccess) return opened;
  ConsoleProgressView progress(session.state, session.progressLine);
  ConsoleCommandControls controls(arguments.quick, arguments.verify);
  ConsolePrompt prompt(arguments.yes);
  const bool report = arguments.reportDirectory.has_value();
  const FormatCommandOutcome outcome =
      FormatCommand(*session.system, session.state, session.log, progress, controls, prompt, report);
  if (report && RunNeedsReport(outcome)) SaveReport(session, outcome, *arguments.reportDirectory);
  if (!outcome.confirmed) PrintLine(stderr, u"Форматирование не подтверждено: на диск ничего не записано.");
  if (!outcome.confirmed || !outcome.locked) return ExitRefused;
  if (outcome.run.ending == ZeroFillOutcome::Ending::Refused) return ExitRefused;
  return outcome.Succeeded() ? ExitSuccess : ExitIncomplete;
}

}  // namespace trelvane::cli
