#pragma once
// One run of the Windows program: the process-wide state, the diagnostic log and the four windows,
// created hidden in the program's order (main window, chooser, scan window, debug window) over the
// platform given. The program entry makes one; window tests make their own over an emulated machine.

#include <memory>
#include <string>

#include "os/system.h"
#include "win32/toolkit/win32_message_boxes.h"
#include "app/windowed_run.h"

namespace trelvane {

class TFmChoose;
class TFmDebug;
class TFmMain;
class TFmScan;

class Win32Session final : public WindowedRun {
 public:
  // `firstArgument` is the program's first command-line argument (empty when there is none).
  Win32Session(System& system, std::u16string firstArgument);
  ~Win32Session() override;

  // Centres the main window on the screen and shows it; its first showing runs the start.
  void Show();

  TFmMain& FmMain() { return *fmMain_; }
  TFmChoose& FmChoose() { return *fmChoose_; }
  TFmDebug& FmDebug() { return *fmDebug_; }

 private:
  void CloseWindows() override;

  Win32MessageBoxes boxes_;
  std::unique_ptr<TFmMain> fmMain_;
  std::unique_ptr<TFmChoose> fmChoose_;
  std::unique_ptr<TFmScan> fmScan_;
  std::unique_ptr<TFmDebug> fmDebug_;
};

}  // namespace trelvane
