#pragma once
// The main window. Its first showing drives the whole start (start-up, debug window, chooser, the
// exclusive open of the chosen drive, the details report); afterwards it offers the details, the
// format command with its progress display, and the SMART report, on the one drive chosen at start.

#include <QMainWindow>
#include <memory>
#include <string>

#include "app/main_window_presenter.h"
#include "common/diagnostic_log.h"
#include "common/program_state.h"
#include "ui/toolkit/memo_sink.h"
#include "ui/toolkit/qt_message_boxes.h"
#include "ui/toolkit/qt_task_dialog.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QTreeWidget;

namespace trelvane {

class LinkLabel;
class StatusPanels;
class TFmChoose;
class TFmDebug;

class TFmMain final : public QMainWindow, public MainWindowWidgets {
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
  void FormShow() { presenter_.FormShow(); }
  // True once FormShow has returned (whatever its outcome).
  bool StartupFinished() const { return presenter_.StartupFinished(); }
  // The Stop button's flag for the running format command (also set by a close during the run).
  bool StopRequested() const { return presenter_.StopRequested(); }

  // MainWindowWidgets
  void SetText(MainText which, const std::u16string& text) override;
  std::u16string Text(MainText which) const override;
  void SetTitle(const std::u16string& text) override;
  void SetStatusPanel(int panel, const std::u16string& text) override;
  void SetEnabled(MainControl control, bool enabled) override;
  bool CanPress(MainControl control) const override;
  bool IsTicked(MainControl box) const override;
  void Focus(MainControl control) override;
  void SetMethodEntries(const std::vector<std::u16string>& titles) override;
  int SelectedMethod() const override;
  void SetProgressPosition(int percent) override;
  void SetProgressPaused(bool paused) override;
  void ShowSummary(const RunSummary& summary, bool reportLink) override;
  void ShowErrorList(const std::vector<ErrorListRow>& rows) override;
  void ProcessMessages() override;
  LineSink& Log(MainLog which) override;
  void ScrollToTop(MainLog which) override;
  MainPage CurrentPage() const override;
  void ShowDebugWindow() override;
  void RunDebugWindowModally() override;
  bool RunDriveChooser() override;
  void Close() override;
  std::filesystem::path ReportsFolder() const override;

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  // Enter that no focused button took presses the current page's default button.
  void keyPressEvent(QKeyEvent* event) override;

 private:
  // The format log's least height: none while the summary or the error list needs its room.
  void FitLogRoom();
  void BuildLayout();
  // Widens the command buttons to their captions in the window's current face.
  void FitButtons();
  QWidget* BuildTopStrip();
  QWidget* BuildPages();
  QWidget* BuildDetailsPage();
  QWidget* BuildFormatPage();
  QWidget* BuildFormatControls();
  QWidget* BuildMethodRow();
  QWidget* BuildSummary();
  QWidget* BuildErrorList();
  QWidget* BuildSmartPage();
  QWidget* BuildBottomStrip();
  void ConnectHandlers();
  void FormCreate();

  // The components behind the program's names.
  QWidget* ControlOf(MainControl control) const;
  QPlainTextEdit* MemoOf(MainLog log) const;

  void lbMakerLinkMouseEnter();
  void lbMakerLinkMouseLeave();
  void lbMakerLinkMouseDown(Qt::MouseButton button);
  void lbMakerLinkMouseUp(Qt::MouseButton button);

  System& system_;
  TFmChoose* chooser_ = nullptr;
  TFmDebug* debug_ = nullptr;
  QtMessageBoxes boxes_;
  QtTaskDialogPresenter taskDialogs_;
  MainWindowPresenter presenter_;

  QLabel* lbDiskName = nullptr;
  QTabWidget* pages = nullptr;
  QLabel* lbHealth = nullptr;
  QPlainTextEdit* Log_Details = nullptr;
  QPlainTextEdit* Log_BenchMark = nullptr;
  QProgressBar* pbCurrentTask = nullptr;
  QLabel* lbCurrentPercent = nullptr;
  QLabel* lbSpeed = nullptr;
  QLabel* lbCurrentPosition = nullptr;
  QCheckBox* cbQuickWipe = nullptr;
  QCheckBox* cbVerify = nullptr;
  QComboBox* cbMethod = nullptr;
  QLabel* lbStopReason = nullptr;
  QLabel* lbAmount = nullptr;
  QTreeWidget* lvErrors = nullptr;
  QWidget* pnSummary = nullptr;
  QLabel* lbVerdict = nullptr;
  QLabel* lbSummary = nullptr;
  QLabel* lbFigures = nullptr;
  LinkLabel* lbReportLink = nullptr;
  QPushButton* btStop = nullptr;
  QPushButton* btRunBenchmarks = nullptr;
  QPlainTextEdit* Log_Smart = nullptr;
  QPushButton* btGetSmart = nullptr;
  LinkLabel* lbMakerLink = nullptr;
  StatusPanels* StatusBar = nullptr;

  std::unique_ptr<MemoSink> detailsSink_;
  std::unique_ptr<MemoSink> formatSink_;
  std::unique_ptr<MemoSink> smartSink_;
};

}  // namespace trelvane
