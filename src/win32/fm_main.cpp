#include "win32/fm_main.h"

#include <algorithm>

#include <windows.h>
#include <commctrl.h>
#include <uxtheme.h>

#include "win32/toolkit/message_loop.h"
#include "win32/toolkit/win32_text.h"
#include "win32/control_ids.h"
#include "win32/fm_choose.h"
#include "win32/fm_debug.h"

namespace trelvane {

namespace {

constexpr int DesignClientWidth = 768;
constexpr int DesignClientHeight = 499;
constexpr int MinimumWidth = 750;
constexpr int MinimumHeight = 450;
constexpr int TopStripHeight = 32;
constexpr COLORREF White = RGB(255, 255, 255);

// The colour the themed page control fills its pages with; the classic one uses the dialog colour.
HBRUSH PageBrush() {
  return IsAppThemed() && IsThemeActive() ? SolidBrush(White) : GetSysColorBrush(COLOR_BTNFACE);
}

}  // namespace

// Until start-up names it, the application is called by its program file.
TFmMain::TFmMain(System& system, ProgramState& state, DiagnosticLog& log, ProgramEnding& ending,
                 std::u16string firstArgument)
    : system_(system),
      presenter_(system, state, log, ending, boxes_, taskDialogs_, *this, std::move(firstArgument), u"trelvane") {
  Create(FmMainClass, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, DesignClientWidth, DesignClientHeight);
  taskDialogs_.SetOwner(Handle());
  taskDialogs_.SetProgramTitle(u"trelvane");
  BuildLayout();
  detailsSink_ = std::make_unique<MemoSink>(Log_Details);
  formatSink_ = std::make_unique<MemoSink>(Log_BenchMark);
  smartSink_ = std::make_unique<MemoSink>(Log_Smart);
  FormCreate();
  Layout();
  ShowPageControls();
}

TFmMain::~TFmMain() = default;

void TFmMain::SetPeers(TFmChoose& chooser, TFmDebug& debug) {
  chooser_ = &chooser;
  debug_ = &debug;
}

void TFmMain::FormCreate() {
  SelectPage(0);
  LOGFONTW face = FaceOfPixels(L"Tahoma", 12);
  SetSystemFont(face);
  SetCalibriFont(system_, face);
  windowFont_ = MakeFont(face);
  ApplyFont(Handle(), windowFont_.get());
  LOGFONTW bold = face;
  bold.lfWeight = FW_BOLD;
  boldFont_ = MakeFont(bold);
  SetOwnFont(lbDiskName, boldFont_.get());
  SetOwnFont(lbVerdict, boldFont_.get());
  memoFont_ = MakeFont(MonospacedFace(12));
  SetOwnFont(Log_Details, memoFont_.get());
  SetOwnFont(Log_Smart, memoFont_.get());
  captionFont_ = MakeFont(FaceOfPixels(L"Tahoma", 21));
  for (HWND caption : {lbCurrentPercent, lbSpeed, lbCurrentPosition}) SetOwnFont(caption, captionFont_.get());
  FitCaptions();
  linkFont_ = MakeFont(FaceOfPixels(L"Tahoma", 11, true));
  SetOwnFont(lbMakerLink->Handle(), linkFont_.get());
  lbMakerLink->SetTextColour(LinkGrey);
  lbReportLink->SetTextColour(LinkBlue);
  SetExplorerTheme(system_, lvErrors);
}

void TFmMain::CloseForEnd() {
  presenter_.ReleaseDrive();
  ShowWindow(Handle(), SW_HIDE);
}

int TFmMain::PageDefaultButton() const {
  const PageCommand command = DefaultCommandOf(CurrentPage());
  return command == PageCommand::Format     ? ControlId::btRunBenchmarks
         : command == PageCommand::GetSmart ? ControlId::btGetSmart
                                            : 0;
}

void TFmMain::lbMakerLinkMouseEnter() { lbMakerLink->SetTextColour(LinkBlue); }
void TFmMain::lbMakerLinkMouseLeave() { lbMakerLink->SetTextColour(LinkGrey); }

void TFmMain::lbMakerLinkMouseDown(MouseButton button) {
  if (button == MouseButton::Left) lbMakerLink->SetTextColour(LinkRed);
}

void TFmMain::lbMakerLinkMouseUp(MouseButton button) {
  if (button == MouseButton::Left) lbMakerLink->SetTextColour(LinkGrey);
}

void TFmMain::Command(int id, int code, LPARAM from) {
  if (code != BN_CLICKED) return;
  // Enter where no focused button takes it arrives as IDOK (or the default identifier) without
  // a control behind it: the current page's default button, when it is enabled.
  if (from == 0 && (id == IDOK || id == PageDefaultButton())) {
    presenter_.EnterPressed();
    return;
  }
  if (id == 0 || !IsWindowEnabled(Control(id)) || !IsWindowVisible(Control(id))) return;
  if (id == ControlId::btRunBenchmarks) presenter_.FormatClicked();
  if (id == ControlId::btStop) presenter_.StopClicked();
  if (id == ControlId::btGetSmart) presenter_.SmartClicked();
}

LRESULT TFmMain::ColourStatic(HDC dc, HWND control) {
  if (control == Log_Details || control == Log_BenchMark || control == Log_Smart) {
    SetBkColor(dc, White);
    return reinterpret_cast<LRESULT>(SolidBrush(White));
  }
  if (const LinkLabel* link = LinkLabel::Of(control)) SetTextColor(dc, link->TextColour());
  if (control == lbVerdict) SetTextColor(dc, verdictColour_);
  SetBkMode(dc, TRANSPARENT);
  if (control == lbDiskName) return reinterpret_cast<LRESULT>(SolidBrush(White));
  // Every control placed on a page (the boxes and captions added later too) takes the page's colour.
  const bool onPage = std::any_of(places_.begin(), places_.end(), [control](const PagePlace& place) {
    return place.control == control;
  });
  return reinterpret_cast<LRESULT>(onPage ? PageBrush() : GetSysColorBrush(COLOR_BTNFACE));
}

LRESULT TFmMain::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      Layout();
      return 0;
    case WM_GETMINMAXINFO:
      reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = POINT{MinimumWidth, MinimumHeight};
      return 0;
    case WM_ERASEBKGND: {
      RECT client{};
      GetClientRect(Handle(), &client);
      const auto dc = reinterpret_cast<HDC>(wParam);
      FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
      RECT strip{0, 0, client.right, TopStripHeight};
      FillRect(dc, &strip, SolidBrush(White));
      return 1;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      return ColourStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_SHOWWINDOW:
      // The show handler runs once the window is on screen, from the message loop.
      if (wParam != 0 && presenter_.TakeFirstShow()) PostMessageW(Handle(), WM_FORMSHOW, 0, 0);
      return Default(message, wParam, lParam);
    case WM_FORMSHOW:
      presenter_.FormShow();
      return 0;
    case WM_NOTIFY:
      if (reinterpret_cast<const NMHDR*>(lParam)->hwndFrom == pages &&
          reinterpret_cast<const NMHDR*>(lParam)->code == TCN_SELCHANGE)
        ShowPageControls();
      return 0;
    case WM_COMMAND:
      Command(LOWORD(wParam), HIWORD(wParam), lParam);
      return 0;
    case WM_SWITCHPAGE:
      SwitchPage(wParam != 0 ? -1 : 1);
      return 1;
    case DM_GETDEFID:
      return PageDefaultButton() != 0 ? MAKELRESULT(PageDefaultButton(), DC_HASDEFID) : 0;
    case WM_CLOSE:
      presenter_.CloseRequested();
      return 0;
    default:
      return Default(message, wParam, lParam);
  }
}

}  // namespace trelvane
