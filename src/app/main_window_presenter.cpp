#include "app/main_window_presenter.h"

#include <utility>

#include "app/guarded_command.h"
#include "app/report_saving.h"
#include "common/product.h"
#include "format/firmware_erase_run.h"
#include "os/win_constants.h"

namespace trelvane {

MainWindowPresenter::MainWindowPresenter(System& system, ProgramState& state, DiagnosticLog& log,
                                         ProgramEnding& ending, MessageBoxes& boxes, TaskDialogPresenter& dialogs,
                                         MainWindowWidgets& widgets, std::u16string firstArgument,
                                         std::u16string title)
    : system_(system),
      state_(state),
      log_(log),
      ending_(ending),
      boxes_(boxes),
      dialogs_(dialogs),
      widgets_(widgets),
      firstArgument_(std::move(firstArgument)),
      title_(std::move(title)) {}

bool MainWindowPresenter::TakeFirstShow() { return std::exchange(firstShowPending_, false); }

void MainWindowPresenter::FormShow() {
  Guarded([this] {
    if (!MainWindowFirstShow(system_, state_, log_, boxes_, *this, *this, widgets_.Log(MainLog::Details),
                             firstArgument_)) {
      ending_.EndProgram(0);
      return;
    }
    ListMethods();
  });
  startupFinished_ = true;
}

void MainWindowPresenter::FormatClicked() {
  commandRunning_ = true;
  Guarded([this] {
    if (const std::optional<EraseRequest> request = ReadEraseRequest())
      FormatCommand(system_, state_, log_, *this, *this, dialogs_, *request, StopToken(stopRequested_), this);
  });
  commandRunning_ = false;
  firmware_.reset();
  if (closeAfterCommand_) widgets_.Close();
}

void MainWindowPresenter::ListMethods() {
  const DriveEraseFacts facts =
      ReadDriveEraseFacts(system_, state_.DriveHandle.Get(), state_.SelectedEntry().IdentifyData);
  methods_ = {EraseMethodId::Auto, EraseMethodId::Zero};
  std::vector<std::u16string> titles = {u"Автоматически (рекомендуется)", MethodTitle(EraseMethodId::Zero, facts)};
  for (const EraseMethodId method :
       {EraseMethodId::SanitizeCrypto, EraseMethodId::SanitizeBlock, EraseMethodId::SanitizeOverwrite,
        EraseMethodId::FormatCrypto, EraseMethodId::FormatUser, EraseMethodId::SecureErase,
        EraseMethodId::SecureEraseEnhanced}) {
    if (RefusalOf(method, facts)) continue;
    methods_.push_back(method);
    titles.push_back(MethodTitle(method, facts));
  }
  widgets_.SetMethodEntries(titles);
}

// The erase options as the controls show them when the format button is pressed, before the
// confirmation; every run that touches the drive saves its report in the user's reports folder. The
// ticked quick-wipe box wins over the list. A firmware method is read back always (a drive may report
// completion and keep the data): the whole drive when the verification box is ticked, else a sample.
std::optional<EraseRequest> MainWindowPresenter::ReadEraseRequest() {
  const bool verify = widgets_.IsTicked(MainControl::VerifyBox);
  EraseRequest request{&WholeDiskZeroFill(), verify, widgets_.ReportsFolder()};
  if (widgets_.IsTicked(MainControl::QuickWipeBox)) {
    request.method = &QuickWipe();
    return request;
  }
  const int selected = widgets_.SelectedMethod();
  if (selected < 0 || static_cast<std::size_t>(selected) >= methods_.size()) return request;
  EraseMethodId method = methods_[static_cast<std::size_t>(selected)];
  if (method == EraseMethodId::Zero) return request;
  // What the drive says now, just before the confirmation: its state may have changed since it was opened.
  ResolvedErase resolved =
      ResolveErase(system_, state_.DriveHandle.Get(), state_.SelectedEntry().IdentifyData, method, verify);
  if (!resolved.choiceLine.empty()) log_.AddFormatLogLine(resolved.choiceLine);
  if (!resolved.refusalLine.empty()) {
    log_.AddFormatLogLine(resolved.refusalLine);
    return std::nullopt;
  }
  if (!resolved.firmware) return request;
  firmware_ = std::move(resolved.firmware);
  request.method = firmware_.get();
  request.verify = true;
  return request;
}

void MainWindowPresenter::SmartClicked() {
  Guarded([this] { GetSmartCommand(system_, state_, log_, *this, widgets_.Log(MainLog::Smart)); });
}

void MainWindowPresenter::MakerLinkClicked() { system_.ShellExecuteW(u"open", MakerWebAddress, ShowCommandShow); }

void MainWindowPresenter::ReportLinkClicked() {
  if (!reportText_.empty()) system_.ShellExecuteW(u"open", reportText_.u16string(), ShowCommandShow);
}

void MainWindowPresenter::SetProgressState(ProgressState state) {
  widgets_.SetProgressPaused(state == ProgressState::Paused);
  if (state == ProgressState::Normal) {
    reportText_.clear();
    widgets_.ShowSummary({}, false);
    widgets_.ShowErrorList({});
  }
}

bool MainWindowPresenter::EnterPressed() {
  switch (DefaultCommandOf(widgets_.CurrentPage())) {
    case PageCommand::Format:
      if (!widgets_.CanPress(MainControl::FormatButton)) return false;
      FormatClicked();
      return true;
    case PageCommand::GetSmart:
      if (!widgets_.CanPress(MainControl::SmartButton)) return false;
      SmartClicked();
      return true;
    case PageCommand::None:
      break;
  }
  return false;
}

bool MainWindowPresenter::CloseRequested() {
  if (commandRunning_) {
    if (uninterruptible_ && !closeAfterCommand_)
      log_.AddFormatLogLine(u"Окно закроется, когда накопитель закончит встроенное стирание: прервать его нельзя");
    stopRequested_ = true;
    closeAfterCommand_ = true;
    return false;
  }
  ReleaseDrive();
  ending_.EndProgram(0);
  return true;
}

void MainWindowPresenter::SetEraseOptionsEnabled(bool enabled) {
  widgets_.SetEnabled(MainControl::QuickWipeBox, enabled);
  widgets_.SetEnabled(MainControl::VerifyBox, enabled);
  widgets_.SetEnabled(MainControl::MethodList, enabled);
}

// Stop stays disabled through a firmware erase; the caption beside it says why.
void MainWindowPresenter::SetUninterruptible(bool on) {
  uninterruptible_ = on;
  widgets_.SetText(MainText::StopCaption, on ? FirmwareEraseStopText() : std::u16string());
}

void MainWindowPresenter::SetHealthSummary(const std::vector<std::u16string>& lines) {
  std::u16string text;
  for (const std::u16string& line : lines) text += (text.empty() ? u"" : u"\n") + line;
  widgets_.SetText(MainText::HealthSummary, text);
}

void MainWindowPresenter::SaveReport(const FormatCommandOutcome& outcome, const std::filesystem::path& folder) {
  const ErasureReport report = CollectErasureReport(system_, state_, outcome);
  const SavedReport saved = SaveErasureReport(folder, report);
  SayReportSaved(log_, saved);
  reportText_.clear();
  if (!saved.error) reportText_ = std::filesystem::path(saved.json).replace_extension(".txt");
  widgets_.ShowErrorList(ErrorListRows(system_, report));
  widgets_.ShowSummary(SummarizeRun(report), !reportText_.empty());
}

void MainWindowPresenter::SetMainCaption(const std::u16string& text) {
  title_ = text;
  widgets_.SetTitle(text);
}

// The application's own error box: the message, the application's title, the error icon.
void MainWindowPresenter::Guarded(const std::function<void()>& work) {
  RunGuarded(work, ending_, [this](const std::u16string& message) {
    boxes_.ShowMessageBox(message, title_, MessageIcon::Error);
  });
}

}  // namespace trelvane
