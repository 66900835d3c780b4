#include "ui/gui_session.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>

#include "ui/fm_debug.h"
#include "ui/fm_choose.h"
#include "ui/fm_main.h"
#include "ui/fm_scan.h"

namespace trelvane {

GuiSession::GuiSession(System& system, std::u16string firstArgument)
    : WindowedRun(system, [](int exitCode) { QCoreApplication::exit(exitCode); }) {
  fmMain_ = std::make_unique<TFmMain>(system, state_, log_, *this, std::move(firstArgument));
  fmChoose_ = std::make_unique<TFmChoose>(system, state_, boxes_, *this);
  fmScan_ = std::make_unique<TFmScan>();
  fmDebug_ = std::make_unique<TFmDebug>();
  fmMain_->SetPeers(*fmChoose_, *fmDebug_);
  log_.SetFormatSink(&fmMain_->FormatSink());
  log_.SetDebugSink(&fmDebug_->DebugSink());
}

GuiSession::~GuiSession() {
  // A session that is dropped while its main window is open still releases the drive; the program
  // is ending anyway, so nobody is told.
  endHandler_ = nullptr;
  if (!ended_) fmMain_->close();
  log_.SetFormatSink(nullptr);
  log_.SetDebugSink(nullptr);
}

void GuiSession::Show() {
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect frame = fmMain_->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    fmMain_->move(frame.topLeft());
  }
  fmMain_->show();
}

void GuiSession::CloseWindows() {
  fmDebug_->hide();
  fmScan_->hide();
  fmMain_->close();
}

}  // namespace trelvane
