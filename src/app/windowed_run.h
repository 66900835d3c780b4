#pragma once
// One run of a windowed program, as every windowed front end has it: the process-wide state, the
// diagnostic log, and the end of the program — only the first end counts, the front end closes its
// windows, then the end handler (by default the toolkit's message loop) gets the exit code. Window
// tests replace the end handler to record the code.

#include <functional>
#include <utility>

#include "common/diagnostic_log.h"
#include "common/program_state.h"
#include "os/system.h"

namespace trelvane {

// How a window ends the program.
class ProgramEnding {
 public:
  virtual ~ProgramEnding() = default;
  // 0 for an ordinary end (the main window closed, the chooser left without a choice), 3 after a
  // fatal message box. Only the first call counts.
  virtual void EndProgram(int exitCode) = 0;
};

class WindowedRun : public ProgramEnding {
 public:
  WindowedRun(const WindowedRun&) = delete;
  WindowedRun& operator=(const WindowedRun&) = delete;

  void EndProgram(int exitCode) final {
    if (ended_) return;
    ended_ = true;
    exitCode_ = exitCode;
    CloseWindows();
    if (endHandler_) endHandler_(exitCode);
  }
  void SetEndHandler(std::function<void(int)> handler) { endHandler_ = std::move(handler); }
  bool Ended() const { return ended_; }
  int ExitCode() const { return exitCode_; }
  ProgramState& State() { return state_; }

 protected:
  WindowedRun(System& system, std::function<void(int)> defaultEnd)
      : log_(system, state_.DebugMode), endHandler_(std::move(defaultEnd)) {}
  ~WindowedRun() override = default;

  // Closes the windows; the main window's close releases the drive.
  virtual void CloseWindows() = 0;

  ProgramState state_;
  DiagnosticLog log_;
  std::function<void(int)> endHandler_;
  bool ended_ = false;

 private:
  int exitCode_ = 0;
};

}  // namespace trelvane
