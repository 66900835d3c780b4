#include "cli/format_cli.h"

#include <optional>
#include <string>
#include <utility>

#include "cli/console_format.h"
#include "cli/console_output.h"
#include "format/format_command.h"
#include "format/report_files.h"
#include "text/u16.h"

namespace trelvane::cli {

namespace {

// The report goes beside the format log, never into it: its path, or why it could not be written, is
// said on standard error. A report asked for and not written turns a success into ExitReportLost.
class CliReporter : public RunReporter {
 public:
  CliReporter(Session& session, std::string folder) : session_(session), folder_(std::move(folder)) {}
  void RunEnded(const FormatCommandOutcome& outcome) override {
    const SavedReport saved = SaveRunReport(*session_.system, session_.state, outcome, folder_);
    lost_ = saved.error.has_value();
    if (saved.error) PrintLine(stderr, u"Не удалось записать отчет о стирании: " + *saved.error);
    else PrintLine(stderr, u"Отчет о стирании: " + FromUtf8(saved.json.string()));
  }
  bool Lost() const { return lost_; }

 private:
  Session& session_;
  std::string folder_;
  bool lost_ = false;
};

int ExitCodeOf(const FormatCommandOutcome& outcome) {
  if (!outcome.confirmed || !outcome.locked) return ExitRefused;
  if (outcome.run.ending == ZeroFillOutcome::Ending::Refused) return ExitRefused;
  return outcome.Succeeded() ? ExitSuccess : ExitIncomplete;
}

}  // namespace

int FormatDriveCommand(Session& session, const Arguments& arguments) {
  // The report folder is checked before the drive is opened, locked or anything is asked.
  if (arguments.reportDirectory)
    if (const auto refusal = ReportFolderRefusal(*session.system, *arguments.reportDirectory, *arguments.drive)) {
      PrintLine(stderr, *refusal);
      return ExitRefused;
    }
  const int opened = OpenDriveForCommand(session, *arguments.drive);
  if (opened != ExitSuccess) return opened;
  ConsoleProgressView progress(session.state, session.progressLine);
  ConsoleCommandControls controls(arguments.quick, arguments.verify);
  ConsolePrompt prompt(arguments.yes);
  std::optional<CliReporter> reporter;
  if (arguments.reportDirectory) reporter.emplace(session, *arguments.reportDirectory);
  const FormatCommandOutcome outcome = FormatCommand(*session.system, session.state, session.log, progress, controls,
                                                     prompt, reporter ? &*reporter : nullptr);
  if (!outcome.confirmed) PrintLine(stderr, u"Форматирование не подтверждено: на диск ничего не записано.");
  const int exitCode = ExitCodeOf(outcome);
  return exitCode == ExitSuccess && reporter && reporter->Lost() ? ExitReportLost : exitCode;
}

}  // namespace trelvane::cli
