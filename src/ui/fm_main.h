#pragma once
// The main window. Its first showing drives the whole start (start-up, debug window, chooser, the
// exclusive open of the chosen drive, the details report); afterwards it offers the details, the
// format command with its progress display, and the SMART report, on the one drive chosen at start.

#include <QMainWindow>
#include <memory>
#include <string>

#include "app/main_window_flow.h"
#include "common/diagnostic_log.h"
#include "common/program_state.h"
#include "common/views.h"
#include "format/command_controls.h"
#include "format/format_command.h"
#include "ui/toolkit/memo_sink.h"
#include "ui/toolkit/qt_message_boxes.h"
#include "ui/toolkit/qt_task_dialog.h"
#include "os/system.h"
#include "app/windowed_run.h"

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTabWidget;

namespace trelvane {

class LinkLabel;
class StatusPanels;
class TFmChoose;
class TFmDebug;

class TFmMain final : public QMainWindow,
                      public ProgressView,
                      public CommandControls,
                      public StartupWindows,
                      public MainWindowShow,
                      public RunReporter {
  Q_OBJECT

 public:
  TFmMain(System& system, ProgramState& state, DiagnosticLog& log, ProgramEnding& ending,
          std::u16string firstArgument, QWidget* parent = nullptr);
  ~TFmMain() override;

  // The windows created after this one, which the start-up and the show handler use.
  void SetPeers(TFmChoose& chooser, TFmDebug& debug);
  // The sink of AddFormatLogLine: the format log memo.
  LineSink& FormatSink() { return *formatSink_; }

  // Runs once, from the first showing; public so that the start can be driven step by step.
  void FormShow();
  // True once FormShow has returned (whatever its outcome).
  bool StartupFinished() const { return startupFinished_; }

  // ProgressView
  void SetProgressPosition(int percent) override;
  void SetProgressState(ProgressState state) override;
  void SetPercentCaption(const std::u16string& text) override;
  void SetPositionCaption(const std::u16string& text) override;
  void SetSpeedCaption(const std::u16string& text) override;
  std::u16string SpeedCaption() const override;
  void ProcessMessages() override;

  // CommandControls
  void SetFormatButtonEnabled(bool enabled) override;
  void SetSmartButtonEnabled(bool enabled) override;
  void SetEraseOptionsEnabled(bool enabled) override;
  void SetStopEnabled(bool enabled) override;
  void FocusStop() override;

  // RunReporter: saves the report of a run and says in the format log where it went.
  void SaveReport(const FormatCommandOutcome& outcome, const std::filesystem::path& folder) override;

  // The Stop button's flag for the running format command (also set by a close during the run).
  bool StopRequested() const { return stopRequested_; }

  // StartupWindows
  void ShowDebugWindowModeless() override;
  void SetChooserCaption(const std::u16string& text) override;
  void SetProgramNameLabel(const std::u16string& text) override;
  void SetMainCaption(const std::u16string& text) override;
  void SetMainStatusPanel(int panel, const std::u16string& text) override;
  void SetChooserMakerNotice(const std::u16string& text) override;
  void SetMakerLink(const std::u16string& text) override;
  void SetChooserStatusText(const std::u16string& text) override;

  // MainWindowShow
  void ShowDebugWindowModal() override;
  bool RunDriveChooser() override;
  void SetDiskName(const std::u16string& title) override;
  void ScrollDetailsToTop() override;

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  // Enter that no focused button took presses the current page's default button.
  void keyPressEvent(QKeyEvent* event) override;

 private:
  EraseRequest ReadEraseRequest() const;
  void BuildLayout();
  QWidget* BuildTopStrip();
  QWidget* BuildPages();
  QWidget* BuildDetailsPage();
  QWidget* BuildFormatPage();
  QWidget* BuildFormatControls();
  QWidget* BuildSmartPage();
  QWidget* BuildBottomStrip();
  void ConnectHandlers();

  void FormCreate();
  void FormClose();
  void btRunBenchmarksClick();
  void btStopClick();
  void btGetSmartClick();
  void lbMakerLinkClick();
  void lbMakerLinkMouseEnter();
  void lbMakerLinkMouseLeave();
  void lbMakerLinkMouseDown(Qt::MouseButton button);
  void lbMakerLinkMouseUp(Qt::MouseButton button);

  // Runs a handler's work so that no exception reaches Qt's event loop: a fatal condition ends the
  // program here, after its box has been shown.
  template <typename Work>
  void Guarded(Work work);
  void ShowStandardErrorBox(const std::u16string& message);

  System& system_;
  ProgramState& state_;
  DiagnosticLog& log_;
  ProgramEnding& ending_;
  const std::u16string firstArgument_;
  TFmChoose* chooser_ = nullptr;
  TFmDebug* debug_ = nullptr;
  QtMessageBoxes boxes_;
  QtTaskDialogPresenter taskDialogs_;
  QString applicationTitle_;

  QLabel* lbDiskName = nullptr;
  QTabWidget* pages = nullptr;
  QPlainTextEdit* Log_Details = nullptr;
  QPlainTextEdit* Log_BenchMark = nullptr;
  QProgressBar* pbCurrentTask = nullptr;
  QLabel* lbCurrentPercent = nullptr;
  QLabel* lbSpeed = nullptr;
  QLabel* lbCurrentPosition = nullptr;
  QCheckBox* cbQuickWipe = nullptr;
  QCheckBox* cbVerify = nullptr;
  QPushButton* btStop = nullptr;
  QPushButton* btRunBenchmarks = nullptr;
  QPlainTextEdit* Log_Smart = nullptr;
  QPushButton* btGetSmart = nullptr;
  LinkLabel* lbMakerLink = nullptr;
  StatusPanels* StatusBar = nullptr;

  std::unique_ptr<MemoSink> detailsSink_;
  std::unique_ptr<MemoSink> formatSink_;
  std::unique_ptr<MemoSink> smartSink_;

  bool formShowPending_ = true;
  bool startupFinished_ = false;
  // A format command is running: it handles window messages between blocks, so a close request
  // can arrive in the middle of a zero fill.
  bool commandRunning_ = false;
  bool closeAfterCommand_ = false;
  bool stopRequested_ = false;
};

}  // namespace trelvane
