// The main window's components and where they sit. Places are those of the design, at a client
// area of 768 x 499 and a page of 740 x 376; the logs grow with the window and the command controls
// keep to the bottom.

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <iterator>
#include <string>

#include "format/progress_text.h"
#include "win32/toolkit/anchors.h"
#include "win32/toolkit/win32_text.h"
#include "win32/control_ids.h"
#include "win32/fm_main.h"

namespace trelvane {

namespace {

constexpr SIZE PageDesignSize{740, 376};
constexpr int TopStripHeight = 32;
constexpr int BottomStripHeight = 21;
constexpr int PagesBorder = 10;
// The summary's two lines at the bottom of the format log's place, and the log's bottom meanwhile.
constexpr int SummaryTop = 99;
constexpr int LogBottomBesideSummary = 95;
constexpr const char16_t* PageCaptions[] = {u"Детали устройства", u"НИЗКОУРОВНЕВОЕ ФОРМАТИРОВАНИЕ", u"S.M.A.R.T."};

int HeightOf(HWND control) {
  RECT frame{};
  GetWindowRect(control, &frame);
  return frame.bottom - frame.top;
}

}  // namespace

void TFmMain::BuildLayout() {
  BuildFrame();
  BuildDetailsPage();
  BuildFormatPage();
  BuildSmartPage();
  // The page control lies under the pages' controls, and the group box under its progress bar.
  SetWindowPos(Control(ControlId::gbCurrentTask), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  SetWindowPos(pages, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void TFmMain::BuildFrame() {
  lbDiskName = CreateControl(Handle(), L"STATIC", u"", SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, ControlId::lbDiskName,
                             RECT{15, 6, 500, 26});
  pages = CreateControl(Handle(), WC_TABCONTROLW, u"", WS_TABSTOP | WS_CLIPSIBLINGS, ControlId::pages, RECT{});
  for (int index = 0; index < 3; ++index) {
    std::wstring caption(PageCaptions[index], PageCaptions[index] + std::char_traits<char16_t>::length(PageCaptions[index]));
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = caption.data();
    TabCtrl_InsertItem(pages, index, &item);
  }
  lbMakerLink = std::make_unique<LinkLabel>(Handle(), ControlId::lbMakerLink, u"", RECT{});
  lbMakerLink->onClick = [this] { presenter_.MakerLinkClicked(); };
  lbMakerLink->onMouseEnter = [this] { lbMakerLinkMouseEnter(); };
  lbMakerLink->onMouseLeave = [this] { lbMakerLinkMouseLeave(); };
  lbMakerLink->onMouseDown = [this](MouseButton button) { lbMakerLinkMouseDown(button); };
  lbMakerLink->onMouseUp = [this](MouseButton button) { lbMakerLinkMouseUp(button); };
  StatusBar = CreateControl(Handle(), STATUSCLASSNAMEW, u"", 0, ControlId::StatusBar, RECT{});
  // Three panels of 450, 450 and 50 pixels, given by their right edges.
  int edges[] = {450, 900, 950};
  SendMessageW(StatusBar, SB_SETPARTS, 3, reinterpret_cast<LPARAM>(edges));
  statusTips_ = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, Handle(), nullptr, nullptr, nullptr);
  for (UINT_PTR panel = 0; panel < statusTexts_.size(); ++panel) {
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_SUBCLASS;
    tool.hwnd = StatusBar;
    tool.uId = panel;
    tool.lpszText = const_cast<wchar_t*>(L"");
    SendMessageW(statusTips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

// The panels keep their design edges, so the title panel runs past the window's edge at the design
// width: its text ends in "…" at a character's edge where it stops showing (before the size grip).
void TFmMain::ShowStatusTexts() {
  constexpr LONG TextMargin = 6;
  RECT client{};
  GetClientRect(StatusBar, &client);
  const LONG visibleRight = client.right - GetSystemMetrics(SM_CXVSCROLL);
  HDC dc = GetDC(StatusBar);
  auto font = reinterpret_cast<HGDIOBJ>(SendMessageW(StatusBar, WM_GETFONT, 0, 0));
  HGDIOBJ previous = SelectObject(dc, font != nullptr ? font : GetStockObject(DEFAULT_GUI_FONT));
  const auto width = [dc](const std::wstring& text) {
    SIZE extent{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    return extent.cx;
  };
  for (std::size_t panel = 0; panel < statusTexts_.size(); ++panel) {
    RECT part{};
    SendMessageW(StatusBar, SB_GETRECT, panel, reinterpret_cast<LPARAM>(&part));
    part.right = std::max(part.left, std::min(part.right, visibleRight));
    const LONG room = part.right - part.left - TextMargin;
    std::wstring whole = Wide(statusTexts_[panel]);
    std::wstring shown = whole;
    if (width(whole) > room) {
      while (!shown.empty() && width(shown + L"…") > room) shown.pop_back();
      shown += L"…";
    }
    SendMessageW(StatusBar, SB_SETTEXTW, panel, reinterpret_cast<LPARAM>(shown.c_str()));
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.hwnd = StatusBar;
    tool.uId = panel;
    tool.rect = part;
    tool.lpszText = shown == whole ? const_cast<wchar_t*>(L"") : whole.data();
    SendMessageW(statusTips_, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
    SendMessageW(statusTips_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
  }
  SelectObject(dc, previous);
  ReleaseDC(StatusBar, dc);
}

HWND TFmMain::OnPage(int page, const wchar_t* className, const std::u16string& text, DWORD style, int id, RECT design,
                     unsigned anchors, DWORD extendedStyle) {
  HWND control = CreateControl(Handle(), className, text, style, id, design, extendedStyle);
  places_.push_back({control, page, design, anchors});
  return control;
}

void TFmMain::BuildDetailsPage() {
  // Inside two nested 10-pixel borders: the health verdict in up to four lines (a long reason wraps),
  // the report below it.
  lbHealth = OnPage(0, L"STATIC", u"", SS_LEFT | SS_NOPREFIX, ControlId::lbHealth, RECT{20, 12, 720, 80},
                    Anchor::TopWide);
  Log_Details = CreateMemo(Handle(), ControlId::Log_Details);
  places_.push_back({Log_Details, 0, RECT{20, 84, 720, 356}, Anchor::All});
}

void TFmMain::BuildFormatPage() {
  Log_BenchMark = CreateMemo(Handle(), ControlId::Log_BenchMark);
  places_.push_back({Log_BenchMark, 1, RECT{5, 5, 735, 134}, Anchor::All});
  // The failed ranges of the last run: Layout gives the list the bottom of the log's place while it
  // has rows, above the summary.
  lvErrors = OnPage(1, WC_LISTVIEWW, u"",
                    WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER,
                    ControlId::lvErrors, RECT{5, 5, 735, 95}, Anchor::All, WS_EX_CLIENTEDGE);
  ListView_SetExtendedListViewStyle(lvErrors, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER | LVS_EX_LABELTIP);
  for (std::size_t index = 0; index < std::size(ErrorListCaptions); ++index) {
    std::wstring caption = Wide(ErrorListCaptions[index]);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    column.fmt = index < 3 ? LVCFMT_RIGHT : LVCFMT_LEFT;
    column.pszText = caption.data();
    column.cx = 100;
    ListView_InsertColumn(lvErrors, static_cast<int>(index), &column);
  }
  // The summary of the last run takes the bottom of the log's place while it is shown.
  lbVerdict = OnPage(1, L"STATIC", u"", SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, ControlId::lbVerdict,
                     RECT{12, SummaryTop, 330, SummaryTop + 17}, Anchor::BottomLeft);
  lbFigures = OnPage(1, L"STATIC", u"", SS_RIGHT | SS_NOPREFIX | SS_ENDELLIPSIS, ControlId::lbFigures,
                     RECT{334, SummaryTop, 586, SummaryTop + 17}, Anchor::BottomWide);
  lbReportLink = std::make_unique<LinkLabel>(Handle(), ControlId::lbReportLink, u"Открыть отчет", RECT{}, SS_RIGHT);
  lbReportLink->onClick = [this] { presenter_.ReportLinkClicked(); };
  places_.push_back({lbReportLink->Handle(), 1, RECT{596, SummaryTop, 716, SummaryTop + 17}, Anchor::BottomRight});
  lbSummary = OnPage(1, L"STATIC", u"", SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, ControlId::lbSummary,
                     RECT{12, SummaryTop + 19, 716, SummaryTop + 35}, Anchor::BottomWide);
  // The erase method list between the log and the progress, as wide as the page allows.
  lbMethod = OnPage(1, L"STATIC", u"Способ стирания", SS_LEFT | SS_NOPREFIX, ControlId::lbMethod,
                    RECT{12, 143, 130, 160}, Anchor::BottomLeft);
  cbMethod = OnPage(1, WC_COMBOBOXW, u"", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, ControlId::cbMethod,
                    RECT{134, 139, 716, 339}, Anchor::BottomWide);
  OnPage(1, L"BUTTON", u"Текущий ход выполнения задачи", BS_GROUPBOX, ControlId::gbCurrentTask,
         RECT{10, 170, 730, 237}, Anchor::BottomWide);
  pbCurrentTask = OnPage(1, PROGRESS_CLASSW, u"", 0, ControlId::pbCurrentTask, RECT{20, 188, 720, 212},
                         Anchor::BottomWide);
  // Under the bar, in the window's own face: the bytes and times run longer than the large captions
  // below could show.
  lbAmount = OnPage(1, L"STATIC", u"", SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, ControlId::lbAmount,
                    RECT{20, 215, 720, 232}, Anchor::BottomWide);
  SendMessageW(pbCurrentTask, PBM_SETRANGE32, 0, 100);
  SendMessageW(pbCurrentTask, PBM_SETSTEP, 1, 0);
  SendMessageW(pbCurrentTask, PBM_SETPOS, 0, 0);
  lbCurrentPercent = OnPage(1, L"STATIC", u"", SS_LEFT | SS_NOPREFIX, ControlId::lbCurrentPercent,
                            RECT{22, 260, 210, 286}, Anchor::BottomLeft);
  // Wide enough for the labelled read-back speed of a verification ("Скорость чтения: 1234,5 МБ/с").
  lbSpeed = OnPage(1, L"STATIC", u"", SS_LEFT | SS_NOPREFIX, ControlId::lbSpeed, RECT{214, 260, 560, 286},
                   Anchor::BottomLeft);
  // The sector caption has a row of its own as wide as the page: a 48-bit sector count in the large
  // face must show whole at the minimum window size. The buttons take the row below it.
  lbCurrentPosition = OnPage(1, L"STATIC", u"", SS_LEFT | SS_NOPREFIX, ControlId::lbCurrentPosition,
                             RECT{22, 290, 716, 316}, Anchor::BottomWide);
  // The box has the row between the group box and the captions to itself, ending where the format
  // button ends: beside the captions, the speed would run into its text.
  cbQuickWipe = OnPage(1, L"BUTTON", u"Выполнить быструю очистку (просто удалить разделы и MBR)",
                       WS_TABSTOP | BS_AUTOCHECKBOX, ControlId::cbQuickWipe,
                       RECT{322, 240, 716, 257}, Anchor::BottomRight);
  cbVerify = OnPage(1, L"BUTTON", u"Проверить после записи", WS_TABSTOP | BS_AUTOCHECKBOX, ControlId::cbVerify,
                    RECT{22, 324, 322, 341}, Anchor::BottomLeft);
  btStop = OnPage(1, L"BUTTON", u"Остановить", WS_TABSTOP | WS_DISABLED | BS_PUSHBUTTON, ControlId::btStop,
                  RECT{346, 320, 440, 346}, Anchor::BottomRight);
  btRunBenchmarks = OnPage(1, L"BUTTON", u"ФОРМАТИРОВАТЬ ЭТО УСТРОЙСТВО", WS_TABSTOP | BS_DEFPUSHBUTTON,
                           ControlId::btRunBenchmarks, RECT{491, 320, 716, 346}, Anchor::BottomRight);
  // Under the buttons, ending where they end: why Stop is disabled while the drive erases itself.
  lbStopReason = OnPage(1, L"STATIC", u"", SS_RIGHT | SS_NOPREFIX, ControlId::lbStopReason, RECT{22, 350, 716, 368},
                        Anchor::BottomWide);
}

void TFmMain::BuildSmartPage() {
  Log_Smart = CreateMemo(Handle(), ControlId::Log_Smart);
  places_.push_back({Log_Smart, 2, RECT{5, 5, 735, 313}, Anchor::All});
  btGetSmart = OnPage(2, L"BUTTON", u"&Получить данные SMART", WS_TABSTOP | BS_DEFPUSHBUTTON, ControlId::btGetSmart,
                      RECT{536, 328, 705, 354}, Anchor::BottomRight);
}

namespace {

LONG TextWidth(HWND control, HFONT font, const std::wstring& text) {
  HDC dc = GetDC(control);
  HGDIOBJ previous = SelectObject(dc, font);
  SIZE extent{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
  SelectObject(dc, previous);
  ReleaseDC(control, dc);
  return extent.cx;
}

}  // namespace

// In the desktop's faces: the percent caption holds its widest text and the speed caption starts
// clear of it, the quick-wipe box is as wide as its caption, so that it ends where the format button
// ends, and the format button grows to the left where its caption needs more than the design width to
// keep a clear margin from its borders.
void TFmMain::FitCaptions() {
  constexpr LONG ButtonCaptionMargin = 14;
  LONG percentWidth = 0;
  for (const RunPhase phase : {RunPhase::Write, RunPhase::Check, RunPhase::DriveErase})
    percentWidth = std::max(percentWidth, TextWidth(lbCurrentPercent, captionFont_.get(), Wide(PercentCaption(phase, 100))));
  const LONG boxWidth = TextWidth(cbQuickWipe, windowFont_.get(), Wide(WindowText(cbQuickWipe))) + 24;
  const LONG formatWidth =
      TextWidth(btRunBenchmarks, windowFont_.get(), Wide(WindowText(btRunBenchmarks))) + 2 * ButtonCaptionMargin;
  for (PagePlace& place : places_) {
    if (place.control == lbCurrentPercent) place.design.right = std::max<LONG>(place.design.right, 22 + percentWidth + 8);
    if (place.control == btRunBenchmarks)
      place.design.left = std::min<LONG>(place.design.left, place.design.right - formatWidth);
    if (place.control == lbSpeed) {
      const LONG width = place.design.right - place.design.left;
      place.design.left = std::max<LONG>(place.design.left, 22 + percentWidth + 16);
      place.design.right = place.design.left + width;
    }
    if (place.control == cbQuickWipe) place.design.left = place.design.right - boxWidth;
  }
}

void TFmMain::FitSummary(const std::u16string& verdict) {
  const LONG width = TextWidth(lbVerdict, boldFont_.get(), Wide(verdict));
  for (PagePlace& place : places_) {
    if (place.control == lbVerdict) place.design.right = place.design.left + width + 4;
    if (place.control == lbFigures) place.design.left = std::min<LONG>(12 + width + 16, place.design.right - 40);
  }
}

// Offsets and lengths of the largest drive, grouped, fit their columns; the text takes the rest.
void TFmMain::FitErrorColumns() {
  const HFONT font = windowFont_.get();
  ListView_SetColumnWidth(lvErrors, 0, TextWidth(lvErrors, font, L"99,999,999,999,999") + 16);
  ListView_SetColumnWidth(lvErrors, 1, TextWidth(lvErrors, font, L"9,999,999,999") + 16);
  ListView_SetColumnWidth(lvErrors, 2, TextWidth(lvErrors, font, L"99999") + 16);
  ListView_SetColumnWidth(lvErrors, 3, LVSCW_AUTOSIZE_USEHEADER);
}

// As tall as the list's captions and rows (up to five), where the log's place has the room: in a
// short window the log gives up its room first. The log keeps the rest above the list.
RECT TFmMain::SplitForErrorList(RECT& log) const {
  constexpr int Gap = 4;
  const int rows = std::clamp(ListView_GetItemCount(lvErrors), 1, 5);
  const int header = HeightOf(ListView_GetHeader(lvErrors));
  const int row = HIWORD(ListView_ApproximateViewRect(lvErrors, -1, -1, 2)) -
                  HIWORD(ListView_ApproximateViewRect(lvErrors, -1, -1, 1));
  const int wanted = 2 * GetSystemMetrics(SM_CYEDGE) + header + rows * row;
  RECT list{log.left, log.bottom - std::min<LONG>(wanted, log.bottom - log.top), log.right, log.bottom};
  log.bottom = std::max<LONG>(log.top, list.top - Gap);
  return list;
}

void TFmMain::Layout() {
  RECT client{};
  GetClientRect(Handle(), &client);
  SendMessageW(StatusBar, WM_SIZE, 0, 0);
  ShowStatusTexts();
  const int statusHeight = HeightOf(StatusBar);
  const int bottomStripTop = client.bottom - statusHeight - BottomStripHeight;
  PlaceControl(lbDiskName, RECT{15, 6, client.right - 15, TopStripHeight - 6});
  PlaceControl(lbMakerLink->Handle(), RECT{6, bottomStripTop + 4, client.right / 2, bottomStripTop + BottomStripHeight});
  RECT tab{PagesBorder, TopStripHeight + PagesBorder, client.right - PagesBorder, bottomStripTop - PagesBorder};
  PlaceControl(pages, tab);
  RECT page = tab;
  SendMessageW(pages, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&page));
  const SIZE pageSize{page.right - page.left, page.bottom - page.top};
  RECT errorList{};
  for (const PagePlace& place : places_) {
    RECT design = place.design;
    if (place.control == Log_BenchMark && summaryShown_) design.bottom = LogBottomBesideSummary;
    RECT at = Anchored(design, PageDesignSize, pageSize, place.anchors);
    OffsetRect(&at, page.left, page.top);
    // The log comes first among the places, the list after it.
    if (place.control == Log_BenchMark && errorsShown_) errorList = SplitForErrorList(at);
    if (place.control == lvErrors) at = errorList;
    PlaceControl(place.control, at);
  }
  if (errorsShown_) FitErrorColumns();
  InvalidateRect(Handle(), nullptr, TRUE);
}

void TFmMain::ShowPageControls() {
  const int current = TabCtrl_GetCurSel(pages);
  for (const PagePlace& place : places_)
    ShowWindow(place.control, place.page == current && Wanted(place.control) ? SW_SHOW : SW_HIDE);
}

bool TFmMain::Wanted(HWND control) const {
  if (control == lvErrors) return errorsShown_;
  if (control == lbVerdict || control == lbSummary || control == lbFigures) return summaryShown_;
  if (control == lbReportLink->Handle()) return summaryShown_ && reportLinkShown_;
  return true;
}

void TFmMain::SelectPage(int page) {
  TabCtrl_SetCurSel(pages, page);
  ShowPageControls();
}

void TFmMain::SwitchPage(int step) {
  const int count = TabCtrl_GetItemCount(pages);
  const HWND focus = GetFocus();
  SelectPage((TabCtrl_GetCurSel(pages) + step + count) % count);
  // A hidden control keeps the focus, or hands it to the window, where no key reaches a control.
  if (focus == nullptr || !IsWindowVisible(focus) || GetFocus() == Handle()) SetFocus(pages);
}

}  // namespace trelvane
