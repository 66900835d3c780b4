#pragma once
// The main window. Its first showing drives the whole start (start-up, debug window, chooser, the
// exclusive open of the chosen drive, the details report); afterwards it offers the details, the
// format command with its progress display, and the SMART report, on the one drive chosen at start.

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "app/main_window_presenter.h"
#include "common/diagnostic_log.h"
#include "common/program_state.h"
#include "win32/toolkit/link_label.h"
#include "win32/toolkit/memo_sink.h"
#include "win32/toolkit/win32_message_boxes.h"
#include "win32/toolkit/win32_task_dialog.h"
#include "win32/toolkit/window_base.h"
#include "win32/toolkit/window_fonts.h"

namespace trelvane {

class TFmChoose;
class TFmDebug;

class TFmMain final : public WindowBase, public MainWindowWidgets {
 public:
  TFmMain(System& system, ProgramState& state, DiagnosticLog& log, ProgramEnding& ending,
          std::u16string firstArgument);
  ~TFmMain() override;

  void SetPeers(TFmChoose& chooser, TFmDebug& debug);
  LineSink& FormatSink() { return *formatSink_; }

  // Runs once, from the first showing (a message posted when the window appears).
  void FormShow() { presenter_.FormShow(); }
  bool StartupFinished() const { return presenter_.StartupFinished(); }
  // Closes the window for the program's end: DriveHandle is released and the window hidden.
  void CloseForEnd();
  // The page shown: 0 details, 1 format, 2 SMART.
  void SelectPage(int page);
  // The next page (`step` 1) or the previous one (-1), round the end; a focus left on the page that
  // goes goes to the page tabs.
  void SwitchPage(int step);

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
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
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
  // The verdict takes the width its text needs; the figures beside it the rest of the line.
  void FitSummary(const std::u16string& verdict);
  // Each status panel's text as it fits the part of the panel that shows, with the whole text in the
  // panel's tooltip when it was cut.
  void ShowStatusTexts();
  // The columns of the error list, in the window's face; the last takes what the list has left.
  void FitErrorColumns();
  // Takes the bottom of the format log's place `log` for the error list, and returns the list's place.
  RECT SplitForErrorList(RECT& log) const;
  void ShowPageControls();
  // False for a control of the summary while the summary (or its link) is hidden.
  bool Wanted(HWND control) const;
  LRESULT ColourStatic(HDC dc, HWND control);
  void Command(int id, int code, LPARAM from);
  int PageDefaultButton() const;
  // The components behind the program's names.
  HWND ControlOf(MainControl control) const;
  HWND MemoOf(MainLog log) const;

  void FormCreate();
  void lbMakerLinkMouseEnter();
  void lbMakerLinkMouseLeave();
  void lbMakerLinkMouseDown(MouseButton button);
  void lbMakerLinkMouseUp(MouseButton button);

  System& system_;
  TFmChoose* chooser_ = nullptr;
  TFmDebug* debug_ = nullptr;
  Win32MessageBoxes boxes_;
  Win32TaskDialogPresenter taskDialogs_;
  MainWindowPresenter presenter_;

  FontHandle windowFont_;
  FontHandle boldFont_;
  FontHandle memoFont_;
  FontHandle captionFont_;
  FontHandle linkFont_;
  std::vector<PagePlace> places_;

  HWND lbDiskName = nullptr;
  HWND pages = nullptr;
  HWND lbHealth = nullptr;
  HWND Log_Details = nullptr;
  HWND Log_BenchMark = nullptr;
  HWND pbCurrentTask = nullptr;
  HWND lbCurrentPercent = nullptr;
  HWND lbSpeed = nullptr;
  HWND lbCurrentPosition = nullptr;
  HWND cbQuickWipe = nullptr;
  HWND cbVerify = nullptr;
  HWND lbMethod = nullptr;
  HWND cbMethod = nullptr;
  HWND lbStopReason = nullptr;
  HWND lbAmount = nullptr;
  HWND lbVerdict = nullptr;
  HWND lbSummary = nullptr;
  HWND lbFigures = nullptr;
  std::unique_ptr<LinkLabel> lbReportLink;
  // The summary is shown (the format log gives it the room), with its link; the verdict's colour.
  bool summaryShown_ = false;
  bool reportLinkShown_ = false;
  COLORREF verdictColour_ = RGB(0, 0, 0);
  HWND lvErrors = nullptr;
  bool errorsShown_ = false;
  HWND btStop = nullptr;
  HWND btRunBenchmarks = nullptr;
  HWND Log_Smart = nullptr;
  HWND btGetSmart = nullptr;
  std::unique_ptr<LinkLabel> lbMakerLink;
  HWND StatusBar = nullptr;
  HWND statusTips_ = nullptr;
  std::array<std::u16string, 3> statusTexts_;  // each status panel's whole text

  std::unique_ptr<MemoSink> detailsSink_;
  std::unique_ptr<MemoSink> formatSink_;
  std::unique_ptr<MemoSink> smartSink_;
};

// Posted to the main window when it first appears; its handler runs FormShow.
inline constexpr UINT WM_FORMSHOW = WM_APP + 1;

}  // namespace trelvane
