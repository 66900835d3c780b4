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
    : MainWindowSession(system, std::move(firstArgument), [](int exitCode) { QCoreApplication::exit(exitCode); }) {}

GuiSession::~GuiSession() {
  // A session that is dropped while its main window is open still releases the drive; the program
  // is ending anyway, so nobody is told.
  endHandler_ = nullptr;
  if (!ended_) fmMain_->close();
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
