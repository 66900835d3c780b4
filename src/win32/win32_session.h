#pragma once
// One run of the Windows program: the process-wide state, the diagnostic log and the four windows,
// created hidden in the program's order (main window, chooser, scan window, debug window) over the
// platform given. The program entry makes one; window tests make their own over an emulated machine.

#include <functional>
#include <memory>
#include <string>

#include "common/diagnostic_log.h"
#include "common/program_state.h"
#include "os/system.h"
#include "platform/win32/win32_message_boxes.h"
#include "win32/program_ending.h"

namespace trelvane {

class TFmChoose;
class TFmDebug;
class TFmMain;
class TFmScan;

class Win32Session final : public ProgramEnding {
 public:
  // `firstArgument` is the program's first command-line argument (empty when there is none).
  Win32Session(System& system, std::u16string firstArgument);
  ~Win32Session() override;
  Win32Session(const Win32Session&) = delete;
  Win32Session& operator=(const Win32Session&) = delete;

  // Centres the main window on the screen and shows it; its first showing runs the start.
  void Show();

  // Hides the windows (the main window releases the drive) and hands the exit code to the end
  // handler, which by default ends the application's message loop.
  void EndProgram(int exitCode) override;
  void SetEndHandler(std::function<void(int)> handler) { endHandler_ = std::move(handler); }
  bool Ended() const { return ended_; }
  int ExitCode() const { return exitCode_; }

  ProgramState& State() { return state_; }
  TFmMain& FmMain() { return *fmMain_; }
  TFmChoose& FmChoose() { return *fmChoose_; }
  TFmDebug& FmDebug() { return *fmDebug_; }

 private:
  ProgramState state_;
  DiagnosticLog log_;
  Win32MessageBoxes boxes_;
  std::function<void(int)> endHandler_;
  bool ended_ = false;
  int exitCode_ = 0;
  std::unique_ptr<TFmMain> fmMain_;
  std::unique_ptr<TFmChoose> fmChoose_;
  std::unique_ptr<TFmScan> fmScan_;
  std::unique_ptr<TFmDebug> fmDebug_;
};

}  // namespace trelvane
