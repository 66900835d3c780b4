#pragma once
// One run of the windowed program: the process-wide state, the diagnostic log and the four windows,
// created hidden in the program's order (main window, chooser, scan window, debug window) over the
// platform given. The program entry makes one; window tests make their own over an emulated machine.

#include <functional>
#include <memory>
#include <string>

#include "common/diagnostic_log.h"
#include "common/program_state.h"
#include "platform/qt/qt_message_boxes.h"
#include "os/system.h"
#include "ui/program_ending.h"

namespace trelvane {

class TFmChoose;
class TFmDebug;
class TFmMain;
class TFmScan;

class GuiSession final : public ProgramEnding {
 public:
  // `firstArgument` is the program's first command-line argument (empty when there is none).
  GuiSession(System& system, std::u16string firstArgument);
  ~GuiSession() override;
  GuiSession(const GuiSession&) = delete;
  GuiSession& operator=(const GuiSession&) = delete;

  // Centres the main window on the screen and shows it; its first showing runs the start.
  void Show();

  // Closes the windows (the main window's close handler releases the drive) and hands the exit
  // code to the end handler, which by default ends the application's message loop.
  void EndProgram(int exitCode) override;
  void SetEndHandler(std::function<void(int)> handler) { endHandler_ = std::move(handler); }
  bool Ended() const { return ended_; }
  int ExitCode() const { return exitCode_; }

  ProgramState& State() { return state_; }
  TFmMain& FmMain() { return *fmMain_; }
  TFmChoose& FmChoose() { return *fmChoose_; }
  TFmScan& FmScan() { return *fmScan_; }
  TFmDebug& FmDebug() { return *fmDebug_; }

 private:
  ProgramState state_;
  DiagnosticLog log_;
  QtMessageBoxes boxes_;
  std::function<void(int)> endHandler_;
  bool ended_ = false;
  int exitCode_ = 0;
  std::unique_ptr<TFmMain> fmMain_;
  std::unique_ptr<TFmChoose> fmChoose_;
  std::unique_ptr<TFmScan> fmScan_;
  std::unique_ptr<TFmDebug> fmDebug_;
};

}  // namespace trelvane
