#include "win32/win32_session.h"

#include "win32/toolkit/window_base.h"
#include "win32/fm_choose.h"
#include "win32/fm_debug.h"
#include "win32/fm_main.h"
#include "win32/fm_scan.h"

namespace trelvane {

Win32Session::Win32Session(System& system, std::u16string firstArgument)
    : MainWindowSession(system, std::move(firstArgument), [](int exitCode) { PostQuitMessage(exitCode); }) {}

Win32Session::~Win32Session() {
  // A session that is dropped while its main window is open still releases the drive.
  if (!ended_) fmMain_->CloseForEnd();
}

void Win32Session::Show() {
  CentreOnScreen(fmMain_->Handle());
  ShowWindow(fmMain_->Handle(), SW_SHOW);
  UpdateWindow(fmMain_->Handle());
}

void Win32Session::CloseWindows() {
  fmDebug_->Hide();
  ShowWindow(fmChoose_->Handle(), SW_HIDE);
  fmMain_->CloseForEnd();
}

}  // namespace trelvane
