#pragma once
// The format command on a terminal: the progress line, the confirmation question and Ctrl+C as Stop.

#include <string>

#include "common/views.h"
#include "cli/console_output.h"
#include "format/command_controls.h"
#include "shell/task_dialog.h"

namespace trelvane::cli {

// SIGUSR1 asks a running wipe for its progress, as dd and other wipers taught: the handler only notes
// the request, and the next block prints the progress line once on standard error, terminal or not.
// Installed at start, so that the signal never ends the program; nothing where the signal does not exist.
void ListenForProgressRequests();

// Progress as one updating line on standard error, only when standard error is a terminal; a
// progress request prints every caption.
// Ctrl+C, noticed where the window would handle its messages, presses Stop; a progress request
// (SIGUSR1) is answered there too.
class ConsoleProgressView : public ProgressView {
 public:
  // Ctrl+C sets `stopRequested`, the flag the run's Stop watches.
  ConsoleProgressView(bool& stopRequested, ProgressLine& line);
  ~ConsoleProgressView() override;
  void SetProgressPosition(int) override {}
  void SetProgressState(ProgressState) override {}
  void SetPercentCaption(const std::u16string& text) override;
  void SetPositionCaption(const std::u16string& text) override;
  void SetSpeedCaption(const std::u16string& text) override;
  std::u16string SpeedCaption() const override { return speed_; }
  void SetAmountCaption(const std::u16string& text) override { amount_ = text; }
  void ProcessMessages() override;

 private:
  std::string Line() const;
  void Redraw();
  void AnswerProgressRequest();

  bool& stopRequested_;
  ProgressLine& line_;
  std::u16string percent_;
  std::u16string position_;
  std::u16string speed_;
  std::u16string amount_;
};

// The command buttons as the terminal knows them: Stop is Ctrl+C, armed only while Stop is enabled.
// The erase options are arguments, read before the command starts.
class ConsoleCommandControls : public CommandControls {
 public:
  void SetFormatButtonEnabled(bool) override {}
  void SetSmartButtonEnabled(bool) override {}
  void SetEraseOptionsEnabled(bool) override {}
  void SetStopEnabled(bool enabled) override;
  void FocusStop() override {}
  // Ctrl+C, SIGTERM and SIGHUP are caught and answered with a line saying the erase cannot be stopped.
  void SetUninterruptible(bool on) override;
};

// Asks the confirmation on the terminal; only "да" or "yes" confirm. With `assumeYes` it answers Yes
// without asking.
class ConsolePrompt : public TaskDialogPresenter {
 public:
  explicit ConsolePrompt(bool assumeYes) : assumeYes_(assumeYes) {}
  int ShowTaskDialogWindow(EntryAddress entry, const std::u16string& title, const std::u16string& instruction,
                           const std::u16string& content, int buttons, int icon) override;
  int ShowMessageDialog(MessageDialogType type, const std::u16string& content, int buttons) override;

 private:
  bool Ask(const std::u16string& question);
  bool assumeYes_;
};

}  // namespace trelvane::cli
