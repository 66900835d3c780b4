// The main window's components as the presenter names them: texts, controls, the progress bar,
// the logs, the pages and the peer windows.

#include <cstdlib>
#include <filesystem>

#include <windows.h>
#include <commctrl.h>

#include "win32/toolkit/message_loop.h"
#include "win32/toolkit/win32_text.h"
#include "win32/fm_choose.h"
#include "win32/fm_debug.h"
#include "win32/fm_main.h"

namespace trelvane {

namespace {

// A static control breaks its lines at CR LF, as the platform writes them.
std::u16string CrLf(const std::u16string& text) {
  std::u16string result;
  for (const char16_t c : text) result += c == u'\n' ? std::u16string(u"\r\n") : std::u16string(1, c);
  return result;
}

}  // namespace

HWND TFmMain::ControlOf(MainControl control) const {
  switch (control) {
    case MainControl::FormatButton: return btRunBenchmarks;
    case MainControl::StopButton: return btStop;
    case MainControl::SmartButton: return btGetSmart;
    case MainControl::QuickWipeBox: return cbQuickWipe;
    case MainControl::VerifyBox: return cbVerify;
    case MainControl::MethodList: return cbMethod;
  }
  return nullptr;
}

HWND TFmMain::MemoOf(MainLog log) const {
  switch (log) {
    case MainLog::Details: return Log_Details;
    case MainLog::Format: return Log_BenchMark;
    case MainLog::Smart: return Log_Smart;
  }
  return nullptr;
}

void TFmMain::SetText(MainText which, const std::u16string& text) {
  switch (which) {
    case MainText::DiskName: SetWindowText(lbDiskName, text); break;
    case MainText::PercentCaption: SetWindowText(lbCurrentPercent, text); break;
    case MainText::PositionCaption: SetWindowText(lbCurrentPosition, text); break;
    case MainText::SpeedCaption: SetWindowText(lbSpeed, text); break;
    case MainText::AmountCaption: SetWindowText(lbAmount, text); break;
    case MainText::MakerLink: SetWindowText(lbMakerLink->Handle(), text); break;
    case MainText::ChooserCaption: SetWindowText(chooser_->Handle(), text); break;
    case MainText::ChooserProgramName: chooser_->SetProgramName(text); break;
    case MainText::ChooserMakerNotice: chooser_->SetMakerNotice(text); break;
    case MainText::ChooserStatus: chooser_->SetStatusText(text); break;
    case MainText::StopCaption: SetWindowText(lbStopReason, text); break;
    case MainText::HealthSummary: SetWindowText(lbHealth, CrLf(text)); break;
  }
}

// Only the speed caption is read back: a run keeps the last speed when a block took no time.
std::u16string TFmMain::Text(MainText which) const {
  return which == MainText::SpeedCaption ? WindowText(lbSpeed) : std::u16string();
}

void TFmMain::SetTitle(const std::u16string& text) {
  SetWindowText(Handle(), text);
  taskDialogs_.SetProgramTitle(text);
}

void TFmMain::SetStatusPanel(int panel, const std::u16string& text) {
  statusTexts_.at(static_cast<std::size_t>(panel)) = text;
  ShowStatusTexts();
}

void TFmMain::SetEnabled(MainControl control, bool enabled) { EnableWindow(ControlOf(control), enabled); }

// A button of another page is hidden, and Enter must not reach it.
bool TFmMain::CanPress(MainControl control) const {
  return IsWindowEnabled(ControlOf(control)) && IsWindowVisible(ControlOf(control));
}

bool TFmMain::IsTicked(MainControl box) const {
  return SendMessageW(ControlOf(box), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TFmMain::Focus(MainControl control) { SetFocus(ControlOf(control)); }

void TFmMain::SetMethodEntries(const std::vector<std::u16string>& titles) {
  SendMessageW(cbMethod, CB_RESETCONTENT, 0, 0);
  for (const std::u16string& title : titles) {
    const std::wstring entry = Wide(title);
    SendMessageW(cbMethod, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
  }
  SendMessageW(cbMethod, CB_SETCURSEL, 0, 0);
}

int TFmMain::SelectedMethod() const { return static_cast<int>(SendMessageW(cbMethod, CB_GETCURSEL, 0, 0)); }

void TFmMain::SetProgressPosition(int percent) { SendMessageW(pbCurrentTask, PBM_SETPOS, static_cast<WPARAM>(percent), 0); }

// The paused state draws the bar yellow (Common Controls 6 with visual styles).
void TFmMain::SetProgressPaused(bool paused) {
  SendMessageW(pbCurrentTask, PBM_SETSTATE, paused ? PBST_PAUSED : PBST_NORMAL, 0);
}

void TFmMain::ShowSummary(const RunSummary& summary, bool reportLink) {
  summaryShown_ = !summary.verdict.empty();
  reportLinkShown_ = reportLink;
  const ToneColour colour = ColourOf(summary.tone);
  verdictColour_ = RGB(colour.red, colour.green, colour.blue);
  SetWindowText(lbVerdict, summary.verdict);
  SetWindowText(lbSummary, summary.details);
  SetWindowText(lbFigures, summary.figures);
  FitSummary(summary.verdict);
  Layout();
  ShowPageControls();
}

void TFmMain::ShowErrorList(const std::vector<ErrorListRow>& rows) {
  SendMessageW(lvErrors, WM_SETREDRAW, FALSE, 0);
  ListView_DeleteAllItems(lvErrors);
  int index = 0;
  for (const ErrorListRow& row : rows) {
    std::wstring offset = Wide(row.offset);
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = index;
    item.pszText = offset.data();
    ListView_InsertItem(lvErrors, &item);
    int column = 1;
    for (const std::u16string* text : {&row.length, &row.code, &row.text}) {
      std::wstring wide = Wide(*text);
      ListView_SetItemText(lvErrors, index, column++, wide.data());
    }
    ++index;
  }
  SendMessageW(lvErrors, WM_SETREDRAW, TRUE, 0);
  errorsShown_ = !rows.empty();
  Layout();
  ShowPageControls();
}

void TFmMain::ProcessMessages() { ProcessPendingMessages(); }

LineSink& TFmMain::Log(MainLog which) {
  switch (which) {
    case MainLog::Details: return *detailsSink_;
    case MainLog::Format: return *formatSink_;
    case MainLog::Smart: break;
  }
  return *smartSink_;
}

void TFmMain::ScrollToTop(MainLog which) { ScrollMemoToTop(MemoOf(which)); }
MainPage TFmMain::CurrentPage() const { return static_cast<MainPage>(TabCtrl_GetCurSel(pages)); }

void TFmMain::ShowDebugWindow() { debug_->ShowModeless(); }

void TFmMain::RunDebugWindowModally() {
  debug_->Hide();
  debug_->ShowModal(Handle());
}

bool TFmMain::RunDriveChooser() { return chooser_->RunDriveChooser(Handle()); }
void TFmMain::Close() { PostMessageW(Handle(), WM_CLOSE, 0, 0); }

// %LOCALAPPDATA%\Trelvane\reports (the program's folder when the variable is missing).
std::filesystem::path TFmMain::ReportsFolder() const {
  const wchar_t* localAppData = _wgetenv(L"LOCALAPPDATA");
  const std::filesystem::path base = localAppData != nullptr ? std::filesystem::path(localAppData) : std::filesystem::path(".");
  return base / L"Trelvane" / L"reports";
}

}  // namespace trelvane
