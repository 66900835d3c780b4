#pragma once
// How a window ends the program: the windows close and the application's message loop ends with an
// exit code. The session implements it; tests record the code instead.

namespace trelvane {

class ProgramEnding {
 public:
  virtual ~ProgramEnding() = default;
  // 0 for an ordinary end (the main window closed, the chooser left without a choice), 3 after a
  // fatal message box. Only the first call counts.
  virtual void EndProgram(int exitCode) = 0;
};

}  // namespace trelvane
