#include "ui/fm_main.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

#include "ui/toolkit/qt_text.h"
#include "ui/toolkit/system_font.h"
#include "ui/link_label.h"

namespace trelvane {

// Until start-up names it, the application is called by its program file.
TFmMain::TFmMain(System& system, ProgramState& state, DiagnosticLog& log, ProgramEnding& ending,
                 std::u16string firstArgument, QWidget* parent)
    : QMainWindow(parent),
      system_(system),
      taskDialogs_(this),
      presenter_(system, state, log, ending, boxes_, taskDialogs_, *this, std::move(firstArgument),
                 ToU16(QCoreApplication::applicationName())) {
  setObjectName(QStringLiteral("FmMain"));
  taskDialogs_.SetProgramTitle(QCoreApplication::applicationName());
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
  connect(btRunBenchmarks, &QPushButton::clicked, this, [this] { presenter_.FormatClicked(); });
  connect(btStop, &QPushButton::clicked, this, [this] { presenter_.StopClicked(); });
  connect(btGetSmart, &QPushButton::clicked, this, [this] { presenter_.SmartClicked(); });
  connect(lbMakerLink, &LinkLabel::clicked, this, [this] { presenter_.MakerLinkClicked(); });
  connect(lbReportLink, &LinkLabel::clicked, this, [this] { presenter_.ReportLinkClicked(); });
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
  FitButtons();
}

// The show handler runs once the window is on screen, from the message loop.
void TFmMain::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (presenter_.TakeFirstShow()) QTimer::singleShot(0, this, [this] { presenter_.FormShow(); });
}

void TFmMain::closeEvent(QCloseEvent* event) {
  if (presenter_.CloseRequested()) event->accept();
  else event->ignore();
}

void TFmMain::keyPressEvent(QKeyEvent* event) {
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  if (enter && presenter_.EnterPressed()) event->accept();
  else QMainWindow::keyPressEvent(event);
}

void TFmMain::lbMakerLinkMouseEnter() { lbMakerLink->SetTextColour(LinkBlue()); }
void TFmMain::lbMakerLinkMouseLeave() { lbMakerLink->SetTextColour(LinkGrey()); }

void TFmMain::lbMakerLinkMouseDown(Qt::MouseButton button) {
  if (button == Qt::LeftButton) lbMakerLink->SetTextColour(LinkRed());
}

void TFmMain::lbMakerLinkMouseUp(Qt::MouseButton button) {
  if (button == Qt::LeftButton) lbMakerLink->SetTextColour(LinkGrey());
}

}  // namespace trelvane
