#include "app/main_window_presenter.h"

#include <utility>

#include "app/guarded_command.h"
#include "app/report_saving.h"
#include "common/product.h"
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
                             firstArgument_))
      ending_.EndProgram(0);
  });
  startupFinished_ = true;
}

void MainWindowPresenter::FormatClicked() {
  commandRunning_ = true;
  Guarded([this] {
    FormatCommand(system_, state_, log_, *this, *this, dialogs_, ReadEraseRequest(), StopToken(stopRequested_), this);
  });
  commandRunning_ = false;
  if (closeAfterCommand_) widgets_.Close();
}

// The erase options as the boxes show them when the format button is pressed, before the
// confirmation; every run that touches the drive saves its report in the user's reports folder.
EraseRequest MainWindowPresenter::ReadEraseRequest() const {
  return {widgets_.IsTicked(MainControl::QuickWipeBox) ? &QuickWipe() : &WholeDiskZeroFill(),
          widgets_.IsTicked(MainControl::VerifyBox), widgets_.ReportsFolder()};
}

void MainWindowPresenter::SmartClicked() {
  Guarded([this] { GetSmartCommand(system_, state_, log_, *this, widgets_.Log(MainLog::Smart)); });
}

void MainWindowPresenter::MakerLinkClicked() { system_.ShellExecuteW(u"open", MakerWebAddress, ShowCommandShow); }

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
}

void MainWindowPresenter::SaveReport(const FormatCommandOutcome& outcome, const std::filesystem::path& folder) {
  SaveReportAndSaySo(system_, state_, log_, outcome, folder);
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
