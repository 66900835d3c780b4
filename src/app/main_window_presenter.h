#pragma once
// The main window's behaviour, written once for every toolkit: the first showing that drives the
// start, the format, Stop and SMART commands, Enter on a page, a close while a run is going, the
// erasure report, and what happens to a command that does not return normally. The presenter is the
// core's view of the main window (progress, command controls, start-up texts, the show sequence,
// the report saving); each window only implements MainWindowWidgets over its own controls and hands
// its toolkit's events to the presenter.

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/main_window_commands.h"
#include "app/main_window_flow.h"
#include "app/windowed_run.h"
#include "common/diagnostic_log.h"
#include "common/program_state.h"
#include "common/views.h"
#include "format/command_controls.h"
#include "format/firmware_erase_method.h"
#include "format/format_command.h"
#include "os/system.h"
#include "report/error_list.h"
#include "report/run_summary.h"
#include "shell/task_dialog.h"

namespace trelvane {

// The texts the main window shows, and the chooser texts it sets on start-up's behalf.
enum class MainText {
  DiskName,          // the chosen drive's title above the pages
  PercentCaption,    // the format page's captions under the bar
  PositionCaption,
  SpeedCaption,
  AmountCaption,     // bytes done of the phase's total, time taken and time left
  MakerLink,
  ChooserCaption,    // the chooser's window caption
  ChooserProgramName,
  ChooserMakerNotice,
  ChooserStatus,
  StopCaption,       // beside Stop: why it cannot be pressed while the drive erases itself
  HealthSummary,     // above the details report: the health verdict, one line a "\n"
};

// The controls the commands enable, press and read.
enum class MainControl { FormatButton, StopButton, SmartButton, QuickWipeBox, VerifyBox, MethodList };

// The three logs: the drive's details, the format log, the SMART report.
enum class MainLog { Details, Format, Smart };

// What the presenter asks of a main window: its controls, in the program's words.
class MainWindowWidgets {
 public:
  virtual ~MainWindowWidgets() = default;

  virtual void SetText(MainText which, const std::u16string& text) = 0;
  virtual std::u16string Text(MainText which) const = 0;
  // The window's caption, which the window's own boxes and task dialogs also carry.
  virtual void SetTitle(const std::u16string& text) = 0;
  virtual void SetStatusPanel(int panel, const std::u16string& text) = 0;

  virtual void SetEnabled(MainControl control, bool enabled) = 0;
  // The control is enabled and shown, so that a press would reach it.
  virtual bool CanPress(MainControl control) const = 0;
  virtual bool IsTicked(MainControl box) const = 0;
  virtual void Focus(MainControl control) = 0;
  // The erase method list: replaces its entries and selects the first; the selected entry's index.
  virtual void SetMethodEntries(const std::vector<std::u16string>& titles) = 0;
  virtual int SelectedMethod() const = 0;

  virtual void SetProgressPosition(int percent) = 0;
  virtual void SetProgressPaused(bool paused) = 0;
  // The end-of-run summary under the format page's captions: the verdict in its tone's colour, the
  // figures, and the link to the saved report when `reportLink`. An empty verdict hides it all.
  virtual void ShowSummary(const RunSummary& summary, bool reportLink) = 0;
  // The failed ranges of the last run, in a list under the format log (above the summary); no rows
  // hide the list and give its room back to the log.
  virtual void ShowErrorList(const std::vector<ErrorListRow>& rows) = 0;
  // Handles the window messages waiting, so that the window stays live between blocks of a run.
  virtual void ProcessMessages() = 0;

  virtual LineSink& Log(MainLog which) = 0;
  virtual void ScrollToTop(MainLog which) = 0;
  virtual MainPage CurrentPage() const = 0;

  virtual void ShowDebugWindow() = 0;
  // Hides the debug window, then shows it modally until the user closes it.
  virtual void RunDebugWindowModally() = 0;
  // Shows the chooser modally; true when a drive was chosen.
  virtual bool RunDriveChooser() = 0;
  // Asks the window to close, through the toolkit's own close, once the current handler returns.
  virtual void Close() = 0;
  // The user's folder for erasure reports, as this toolkit's platform places it.
  virtual std::filesystem::path ReportsFolder() const = 0;
};

class MainWindowPresenter final : public ProgressView,
                                  public CommandControls,
                                  public StartupWindows,
                                  public MainWindowShow,
                                  public RunReporter {
 public:
  // `title` names the application in its error boxes until start-up sets the main caption.
  MainWindowPresenter(System& system, ProgramState& state, DiagnosticLog& log, ProgramEnding& ending,
                      MessageBoxes& boxes, TaskDialogPresenter& dialogs, MainWindowWidgets& widgets,
                      std::u16string firstArgument, std::u16string title);

  // True the first time the window has been shown: the window then runs FormShow from its message
  // loop, so that every box and modal window of the start has the main window behind it.
  bool TakeFirstShow();
  // The whole start (MainWindowFirstShow), guarded; the chooser left without a choice ends the program.
  void FormShow();
  bool StartupFinished() const { return startupFinished_; }

  void FormatClicked();
  // Only reachable while a zero fill runs: the button is disabled at every other time.
  void StopClicked() { stopRequested_ = true; }
  void SmartClicked();
  void MakerLinkClicked();
  // Opens the text erasure report of the last run, which the summary's link offers.
  void ReportLinkClicked();
  // Enter that no focused button took: the current page's default command, when its button can be
  // pressed. False when nothing was started, so the window passes the key on.
  bool EnterPressed();
  // The window is asked to close. While a format command runs the close asks the run to stop and
  // is put off until the run has cleaned up (closing would pull DriveHandle from under it); false
  // then. Otherwise the drive is released, the program ends, and true lets the window close.
  bool CloseRequested();
  // Releases the drive (the window closes for the program's end).
  void ReleaseDrive() { state_.DriveHandle.Close(); }
  // The Stop button's flag for the running format command (also set by a close during the run).
  bool StopRequested() const { return stopRequested_; }

  // ProgressView
  void SetProgressPosition(int percent) override { widgets_.SetProgressPosition(percent); }
  // A run that starts takes the previous run's summary and error list away.
  void SetProgressState(ProgressState state) override;
  void SetPercentCaption(const std::u16string& text) override { widgets_.SetText(MainText::PercentCaption, text); }
  void SetPositionCaption(const std::u16string& text) override { widgets_.SetText(MainText::PositionCaption, text); }
  void SetSpeedCaption(const std::u16string& text) override { widgets_.SetText(MainText::SpeedCaption, text); }
  std::u16string SpeedCaption() const override { return widgets_.Text(MainText::SpeedCaption); }
  void SetAmountCaption(const std::u16string& text) override { widgets_.SetText(MainText::AmountCaption, text); }
  void ProcessMessages() override { widgets_.ProcessMessages(); }

  // CommandControls. The verification box goes with the quick-wipe box: both are read when a run starts.
  void SetFormatButtonEnabled(bool enabled) override { widgets_.SetEnabled(MainControl::FormatButton, enabled); }
  void SetSmartButtonEnabled(bool enabled) override { widgets_.SetEnabled(MainControl::SmartButton, enabled); }
  void SetEraseOptionsEnabled(bool enabled) override;
  void SetStopEnabled(bool enabled) override { widgets_.SetEnabled(MainControl::StopButton, enabled); }
  void FocusStop() override { widgets_.Focus(MainControl::StopButton); }
  void SetUninterruptible(bool on) override;

  // The methods the list offers for the open drive, in its order.
  const std::vector<EraseMethodId>& ListedMethods() const { return methods_; }

  // RunReporter: saves the report of a run, says in the format log where it went and shows the
  // run's summary and its failed ranges.
  void SaveReport(const FormatCommandOutcome& outcome, const std::filesystem::path& folder) override;

  // StartupWindows
  void ShowDebugWindowModeless() override { widgets_.ShowDebugWindow(); }
  void SetChooserCaption(const std::u16string& text) override { widgets_.SetText(MainText::ChooserCaption, text); }
  void SetProgramNameLabel(const std::u16string& text) override { widgets_.SetText(MainText::ChooserProgramName, text); }
  void SetMainCaption(const std::u16string& text) override;
  void SetMainStatusPanel(int panel, const std::u16string& text) override { widgets_.SetStatusPanel(panel, text); }
  void SetChooserMakerNotice(const std::u16string& text) override { widgets_.SetText(MainText::ChooserMakerNotice, text); }
  void SetMakerLink(const std::u16string& text) override { widgets_.SetText(MainText::MakerLink, text); }
  void SetChooserStatusText(const std::u16string& text) override { widgets_.SetText(MainText::ChooserStatus, text); }

  // MainWindowShow
  void ShowDebugWindowModal() override { widgets_.RunDebugWindowModally(); }
  bool RunDriveChooser() override { return widgets_.RunDriveChooser(); }
  void SetDiskName(const std::u16string& title) override { widgets_.SetText(MainText::DiskName, title); }
  void ScrollDetailsToTop() override { widgets_.ScrollToTop(MainLog::Details); }
  void SetHealthSummary(const std::vector<std::u16string>& lines) override;

 private:
  // Reads what the open drive says about erasing itself and fills the method list: the automatic
  // choice, the zero fill, then each firmware method the drive accepts.
  void ListMethods();
  // The erase options as the controls show them when the format button is pressed; nothing when
  // the chosen firmware method is refused now (the format log says why).
  std::optional<EraseRequest> ReadEraseRequest();
  // Runs a handler's work so that no exception reaches the toolkit's event loop: a fatal condition
  // ends the program here, after its box has been shown.
  void Guarded(const std::function<void()>& work);

  System& system_;
  ProgramState& state_;
  DiagnosticLog& log_;
  ProgramEnding& ending_;
  MessageBoxes& boxes_;
  TaskDialogPresenter& dialogs_;
  MainWindowWidgets& widgets_;
  const std::u16string firstArgument_;
  std::u16string title_;

  bool firstShowPending_ = true;
  bool startupFinished_ = false;
  // A format command is running: it handles window messages between blocks, so a close request
  // can arrive in the middle of a zero fill.
  bool commandRunning_ = false;
  bool closeAfterCommand_ = false;
  bool stopRequested_ = false;
  // A run that Stop and a close cannot cut short is going on.
  bool uninterruptible_ = false;

  std::vector<EraseMethodId> methods_;
  // The text report of the last run, which the summary's link opens; empty when none was saved.
  std::filesystem::path reportText_;
  // The firmware method of the current run, which the request points to.
  std::unique_ptr<FirmwareEraseMethod> firmware_;
};

}  // namespace trelvane
