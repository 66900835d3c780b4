#include "cli/format_cli.h"

#include <filesystem>
#include <memory>
#include <optional>

#include "cli/console_format.h"
#include "cli/console_output.h"
#include "format/firmware_erase_method.h"
#include "format/format_command.h"
#include "report/report_files.h"
#include "text/u16.h"

namespace trelvane::cli {

namespace {

// The report goes beside the format log, never into it: its path, or why it could not be written, is
// said on standard error. A report asked for and not written turns a success into ExitReportLost.
class CliReporter : public RunReporter {
 public:
  explicit CliReporter(Session& session) : session_(session) {}
  void SaveReport(const FormatCommandOutcome& outcome, const std::filesystem::path& folder) override {
    const SavedReport saved = SaveRunReport(*session_.system, session_.state, outcome, folder);
    lost_ = saved.error.has_value();
    if (saved.error) PrintLine(stderr, u"Не удалось записать отчет о стирании: " + *saved.error);
    else PrintLine(stderr, u"Отчет о стирании: " + FromUtf8(saved.json.string()));
  }
  bool Lost() const { return lost_; }

 private:
  Session& session_;
  bool lost_ = false;
};

// The erase options of the command line, as the windows' boxes would give them.
EraseRequest RequestOf(const Arguments& arguments) {
  const bool quick = arguments.quick || arguments.method == EraseMethodId::Quick;
  EraseRequest request{quick ? &QuickWipe() : &WholeDiskZeroFill(), arguments.verify, std::nullopt};
  if (arguments.reportDirectory) request.reportFolder = std::filesystem::path(*arguments.reportDirectory);
  return request;
}

bool WritesThroughInterface(EraseMethodId method) {
  return method == EraseMethodId::Zero || method == EraseMethodId::Quick;
}

// The method the arguments name, on the opened drive: the automatic choice is made and said, and a
// method the drive cannot run is refused before anything is asked. The firmware method the request
// points to lives in `firmware`. Answers an exit code when the run must not go on.
std::optional<int> ResolveMethod(Session& session, const Arguments& arguments, EraseRequest& request,
                                 std::unique_ptr<FirmwareEraseMethod>& firmware) {
  const EraseMethodId asked = arguments.method.value_or(EraseMethodId::Zero);
  if (WritesThroughInterface(asked)) return std::nullopt;
  // What the drive says of itself, read now, just before the confirmation.
  ResolvedErase resolved = ResolveErase(*session.system, session.state.DriveHandle.Get(),
                                        session.state.SelectedEntry().IdentifyData, asked, arguments.verifyWholeDisk);
  if (!resolved.choiceLine.empty()) PrintLine(stderr, resolved.choiceLine);
  if (!resolved.refusalLine.empty()) {
    PrintLine(stderr, resolved.refusalLine);
    return ExitRefused;
  }
  if (!resolved.firmware) {
    request.method = resolved.method == EraseMethodId::Quick ? &QuickWipe() : &WholeDiskZeroFill();
    return std::nullopt;
  }
  firmware = std::move(resolved.firmware);
  request.method = firmware.get();
  // A firmware erase is always read back: a drive may report completion and keep the data.
  request.verify = true;
  return std::nullopt;
}

int ExitCodeOf(const FormatCommandOutcome& outcome) {
  if (!outcome.confirmed || !outcome.locked) return ExitRefused;
  if (outcome.run.ending == EraseRunOutcome::Ending::Refused) return ExitRefused;
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
  bool stopRequested = false;
  ConsoleProgressView progress(stopRequested, session.progressLine);
  ConsoleCommandControls controls;
  ConsolePrompt prompt(arguments.yes);
  CliReporter reporter(session);
  EraseRequest request = RequestOf(arguments);
  std::unique_ptr<FirmwareEraseMethod> firmware;
  if (const std::optional<int> refused = ResolveMethod(session, arguments, request, firmware)) return *refused;
  const FormatCommandOutcome outcome = FormatCommand(*session.system, session.state, session.log, progress, controls,
                                                     prompt, request, StopToken(stopRequested), &reporter);
  if (!outcome.confirmed) PrintLine(stderr, u"Форматирование не подтверждено: на диск ничего не записано.");
  const int exitCode = ExitCodeOf(outcome);
  return exitCode == ExitSuccess && reporter.Lost() ? ExitReportLost : exitCode;
}

}  // namespace trelvane::cli
