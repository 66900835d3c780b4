#pragma once
// One run of the windowed program: the process-wide state, the diagnostic log and the four windows,
// created hidden in the program's order (main window, chooser, scan window, debug window) over the
// platform given. The program entry makes one; window tests make their own over an emulated machine.

#include <memory>
#include <string>

#include "ui/toolkit/qt_message_boxes.h"
#include "os/system.h"
#include "app/windowed_run.h"

namespace trelvane {

class TFmChoose;
class TFmDebug;
class TFmMain;
class TFmScan;

class GuiSession final : public WindowedRun {
 public:
  // `firstArgument` is the program's first command-line argument (empty when there is none).
  GuiSession(System& system, std::u16string firstArgument);
  ~GuiSession() override;

  // Centres the main window on the screen and shows it; its first showing runs the start.
  void Show();

  TFmMain& FmMain() { return *fmMain_; }
  TFmChoose& FmChoose() { return *fmChoose_; }
  TFmScan& FmScan() { return *fmScan_; }
  TFmDebug& FmDebug() { return *fmDebug_; }

 private:
  void CloseWindows() override;

  QtMessageBoxes boxes_;
  std::unique_ptr<TFmMain> fmMain_;
  std::unique_ptr<TFmChoose> fmChoose_;
  std::unique_ptr<TFmScan> fmScan_;
  std::unique_ptr<TFmDebug> fmDebug_;
};

}  // namespace trelvane
