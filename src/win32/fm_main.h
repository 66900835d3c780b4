#pragma once
// The main window. Its first showing drives the whole start (start-up, debug window, chooser, the
// exclusive open of the chosen drive, the details report); afterwards it offers the details, the
// format command with its progress display, and the SMART report, on the one drive chosen at start.

#include <memory>
#include <string>
#include <vector>

#include "app/main_window_flow.h"
#include "common/diagnostic_log.h"
#include "common/program_state.h"
#include "common/views.h"
#include "format/command_controls.h"
#include "format/format_command.h"
#include "os/system.h"
#include "win32/toolkit/link_label.h"
#include "win32/toolkit/memo_sink.h"
#include "win32/toolkit/win32_message_boxes.h"
#include "win32/toolkit/win32_task_dialog.h"
#include "win32/toolkit/window_base.h"
#include "win32/toolkit/window_fonts.h"
#include "app/windowed_run.h"

namespace trelvane {

class TFmChoose;
class TFmDebug;

class TFmMain final : public WindowBase,
                      public ProgressView,
                      public CommandControls,
                      public StartupWindows,
                      public MainWindowShow,
                      public RunReporter {
 public:
  TFmMain(System& system, ProgramState& state, DiagnosticLog& log, ProgramEnding& ending,
          std::u16string firstArgument);
  ~TFmMain() override;

  void SetPeers(TFmChoose& chooser, TFmDebug& debug);
  LineSink& FormatSink() { return *formatSink_; }

  // Runs once, from the first showing (a message posted when the window appears).
  void FormShow();
  bool StartupFinished() const { return startupFinished_; }
  // Closes the window for the program's end: DriveHandle is released and the window hidden.
  void CloseForEnd();
  // The page shown: 0 details, 1 format, 2 SMART.
  void SelectPage(int page);

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
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  EraseRequest ReadEraseRequest() const;
  // A control of one page (or of none, -1), with its place at the window's design size.
  struct PagePlace {
    HWND control;
    int page;
    RECT design;
    unsigned anchors;
  };

  void BuildLayout();
  void BuildFrame();
  void BuildDetailsPage();
  void BuildFormatPage();
  void BuildSmartPage();
  HWND OnPage(int page, const wchar_t* className, const std::u16string& text, DWORD style, int id, RECT design,
              unsigned anchors, DWORD extendedStyle = 0);
  void Layout();
  void FitCaptions();
  void ShowPageControls();
  LRESULT ColourStatic(HDC dc, HWND control);
  void Command(int id, int code, LPARAM from);
  int PageDefaultButton() const;

  void FormCreate();
  void FormClose();
  void btRunBenchmarksClick();
  void btStopClick();
  void btGetSmartClick();
  void lbMakerLinkClick();
  void lbMakerLinkMouseEnter();
  void lbMakerLinkMouseLeave();
  void lbMakerLinkMouseDown(MouseButton button);
  void lbMakerLinkMouseUp(MouseButton button);

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
  Win32MessageBoxes boxes_;
  Win32TaskDialogPresenter taskDialogs_;
  std::u16string applicationTitle_;

  FontHandle windowFont_;
  FontHandle boldFont_;
  FontHandle memoFont_;
  FontHandle captionFont_;
  FontHandle linkFont_;
  std::vector<PagePlace> places_;

  HWND lbDiskName = nullptr;
  HWND pages = nullptr;
  HWND Log_Details = nullptr;
  HWND Log_BenchMark = nullptr;
  HWND pbCurrentTask = nullptr;
  HWND lbCurrentPercent = nullptr;
  HWND lbSpeed = nullptr;
  HWND lbCurrentPosition = nullptr;
  HWND cbQuickWipe = nullptr;
  HWND cbVerify = nullptr;
  HWND btStop = nullptr;
  HWND btRunBenchmarks = nullptr;
  HWND Log_Smart = nullptr;
  HWND btGetSmart = nullptr;
  std::unique_ptr<LinkLabel> lbMakerLink;
  HWND StatusBar = nullptr;

  std::unique_ptr<MemoSink> detailsSink_;
  std::unique_ptr<MemoSink> formatSink_;
  std::unique_ptr<MemoSink> smartSink_;

  bool formShowPending_ = true;
  bool startupFinished_ = false;
  // A format command is running: it handles window messages between blocks, so a close request
  // can arrive in the middle of a zero fill.
  bool commandRunning_ = false;
  bool closeAfterCommand_ = false;
  bool stopRequested_ = false;  // the Stop button's flag for the running format command
};

// Posted to the main window when it first appears; its handler runs FormShow.
inline constexpr UINT WM_FORMSHOW = WM_APP + 1;

}  // namespace trelvane
