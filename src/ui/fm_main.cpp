#include "ui/fm_main.h"

#include <exception>

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

#include "app/guarded_command.h"
#include "app/main_window_commands.h"
#include "app/main_window_flow.h"
#include "app/report_saving.h"
#include "common/product.h"
#include "format/format_command.h"
#include "os/win_constants.h"
#include "ui/toolkit/qt_text.h"
#include "ui/toolkit/system_font.h"
#include "text/u16.h"
#include "ui/fm_debug.h"
#include "ui/fm_choose.h"
#include "ui/link_label.h"
#include "ui/reports_folder.h"
#include "ui/status_panels.h"

namespace trelvane {

TFmMain::TFmMain(System& system, ProgramState& state, DiagnosticLog& log, ProgramEnding& ending,
                 std::u16string firstArgument, QWidget* parent)
    : QMainWindow(parent),
      system_(system),
      state_(state),
      log_(log),
      ending_(ending),
      firstArgument_(std::move(firstArgument)),
      taskDialogs_(this) {
  setObjectName(QStringLiteral("FmMain"));
  // Until start-up names it, the application is called by its program file.
  applicationTitle_ = QCoreApplication::applicationName();
  taskDialogs_.SetProgramTitle(applicationTitle_);
  setFont(TahomaFont(12));
  BuildLayout();
  detailsSink_ = std::make_unique<MemoSink>(*Log_Details);
  formatSink_ = std::make_unique<MemoSink>(*Log_BenchMark);
  smartSink_ = std::make_unique<MemoSink>(*Log_Smart);
  ConnectHandlers();
  resize(768, 499);
  setMinimumSize(750, 450);
  FormCreate();
}

TFmMain::~TFmMain() = default;

void TFmMain::SetPeers(TFmChoose& chooser, TFmDebug& debug) {
  chooser_ = &chooser;
  debug_ = &debug;
}

void TFmMain::ConnectHandlers() {
  connect(btRunBenchmarks, &QPushButton::clicked, this, [this] { btRunBenchmarksClick(); });
  connect(btStop, &QPushButton::clicked, this, [this] { btStopClick(); });
  connect(btGetSmart, &QPushButton::clicked, this, [this] { btGetSmartClick(); });
  connect(lbMakerLink, &LinkLabel::clicked, this, [this] { lbMakerLinkClick(); });
  connect(lbMakerLink, &LinkLabel::mouseEntered, this, [this] { lbMakerLinkMouseEnter(); });
  connect(lbMakerLink, &LinkLabel::mouseLeft, this, [this] { lbMakerLinkMouseLeave(); });
  connect(lbMakerLink, &LinkLabel::mousePressed, this, [this](Qt::MouseButton b) { lbMakerLinkMouseDown(b); });
  connect(lbMakerLink, &LinkLabel::mouseReleased, this, [this](Qt::MouseButton b) { lbMakerLinkMouseUp(b); });
}

void TFmMain::FormCreate() {
  pages->setCurrentIndex(0);
  SetWindowFont(system_, *this);
  QFont bold = lbDiskName->font();
  bold.setBold(true);
  lbDiskName->setFont(bold);
  lbMakerLink->SetTextColour(LinkGrey());
}

// The show handler runs once the window is on screen, from the message loop, so that every box
// and modal window of the start has the main window behind it.
void TFmMain::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!formShowPending_) return;
  formShowPending_ = false;
  QTimer::singleShot(0, this, [this] { FormShow(); });
}

void TFmMain::FormShow() {
  Guarded([this] {
    if (!MainWindowFirstShow(system_, state_, log_, boxes_, *this, *this, *detailsSink_, firstArgument_))
      ending_.EndProgram(0);
  });
  startupFinished_ = true;
}

void TFmMain::ShowDebugWindowModal() {
  debug_->close();
  debug_->exec();
}

bool TFmMain::RunDriveChooser() { return chooser_->RunDriveChooser(); }
void TFmMain::SetDiskName(const std::u16string& title) { lbDiskName->setText(ToQString(title)); }
void TFmMain::ScrollDetailsToTop() { Log_Details->moveCursor(QTextCursor::Start); }

void TFmMain::FormClose() {
  state_.DriveHandle.Close();
}

// Closing while a zero fill runs would pull DriveHandle from under it: the close asks the run to
// stop, and the window closes once the run has ended and cleaned up after itself.
void TFmMain::closeEvent(QCloseEvent* event) {
  if (commandRunning_) {
    stopRequested_ = true;
    closeAfterCommand_ = true;
    event->ignore();
    return;
  }
  FormClose();
  event->accept();
  ending_.EndProgram(0);
}

void TFmMain::keyPressEvent(QKeyEvent* event) {
  if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter) {
    QMainWindow::keyPressEvent(event);
    return;
  }
  const PageCommand command = DefaultCommandOf(static_cast<MainPage>(pages->currentIndex()));
  QPushButton* pageDefault = command == PageCommand::Format     ? btRunBenchmarks
                             : command == PageCommand::GetSmart ? btGetSmart
                                                                : nullptr;
  if (pageDefault == nullptr || !pageDefault->isEnabled()) {
    QMainWindow::keyPressEvent(event);
    return;
  }
  event->accept();
  pageDefault->click();
}

void TFmMain::btRunBenchmarksClick() {
  commandRunning_ = true;
  Guarded([this] {
    FormatCommand(system_, state_, log_, *this, *this, taskDialogs_, ReadEraseRequest(), StopToken(stopRequested_),
                  this);
  });
  commandRunning_ = false;
  if (closeAfterCommand_) close();
}

// The erase options as the boxes show them when the format button is pressed, before the
// confirmation; every run that touches the drive saves its report in the user's reports folder.
EraseRequest TFmMain::ReadEraseRequest() const {
  return {cbQuickWipe->isChecked() ? &QuickWipe() : &WholeDiskZeroFill(), cbVerify->isChecked(), ReportsFolder()};
}

void TFmMain::SaveReport(const FormatCommandOutcome& outcome, const std::filesystem::path& folder) {
  SaveReportAndSaySo(system_, state_, log_, outcome, folder);
}

// Only reachable while a zero fill runs: the button is disabled at every other time.
void TFmMain::btStopClick() { stopRequested_ = true; }

void TFmMain::btGetSmartClick() {
  Guarded([this] { GetSmartCommand(system_, state_, log_, *this, *smartSink_); });
}

void TFmMain::lbMakerLinkClick() { system_.ShellExecuteW(u"open", MakerWebAddress, ShowCommandShow); }
void TFmMain::lbMakerLinkMouseEnter() { lbMakerLink->SetTextColour(LinkBlue()); }
void TFmMain::lbMakerLinkMouseLeave() { lbMakerLink->SetTextColour(LinkGrey()); }

void TFmMain::lbMakerLinkMouseDown(Qt::MouseButton button) {
  if (button == Qt::LeftButton) lbMakerLink->SetTextColour(LinkRed());
}

void TFmMain::lbMakerLinkMouseUp(Qt::MouseButton button) {
  if (button == Qt::LeftButton) lbMakerLink->SetTextColour(LinkGrey());
}

template <typename Work>
void TFmMain::Guarded(Work work) {
  RunGuarded(work, ending_, [this](const std::u16string& message) { ShowStandardErrorBox(message); });
}

// The application's own error box: the message, the application's title, the error icon.
void TFmMain::ShowStandardErrorBox(const std::u16string& message) {
  boxes_.ShowMessageBox(message, ToU16(applicationTitle_), MessageIcon::Error);
}

}  // namespace trelvane
