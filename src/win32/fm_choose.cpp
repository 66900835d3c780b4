#include "win32/fm_choose.h"

#include <array>

#include <windows.h>
#include <commctrl.h>

#include "app/chooser_model.h"
#include "common/product.h"
#include "os/win_constants.h"
#include "win32/toolkit/message_loop.h"
#include "win32/toolkit/win32_text.h"
#include "win32/control_ids.h"

namespace trelvane {

namespace {

constexpr int ClientWidth = 881;
constexpr int ClientHeight = 368;
constexpr int HeaderHeight = 44;
constexpr int SeparatorHeight = 2;
constexpr int BottomBandHeight = 69;
constexpr int StatusHeight = 20;
constexpr int ListMargin = 20;
constexpr int BottomTop = ClientHeight - StatusHeight - BottomBandHeight;
constexpr int RightEdge = ClientWidth - ListMargin;

// The columns' widths in pixels, in the order of ChooserColumnCaptions; 0: the remaining width.
constexpr std::array<int, ChooserColumnCount> ColumnWidths{78, 220, 90, 160, 117, 0};

}  // namespace

TFmChoose::TFmChoose(System& system, ProgramState& state, MessageBoxes& boxes, ProgramEnding& ending)
    : system_(system), state_(state), boxes_(boxes), ending_(ending) {
  Create(FmChooseClass, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN, ClientWidth, ClientHeight);
  BuildLayout();
  FormCreate();
}

void TFmChoose::BuildLayout() {
  lbProgramName = CreateControl(Handle(), L"STATIC", u"", SS_LEFT | SS_NOPREFIX | SS_CENTERIMAGE,
                                ControlId::lbProgramName, RECT{15, 0, 480, HeaderHeight});
  Label1 = std::make_unique<LinkLabel>(Handle(), ControlId::Label1, MakerWebAddress,
                                       RECT{RightEdge - 300, 0, RightEdge, HeaderHeight}, SS_RIGHT | SS_CENTERIMAGE);
  CreateControl(Handle(), L"STATIC", u"", SS_ETCHEDHORZ, ControlId::Separator,
                RECT{0, HeaderHeight, ClientWidth, HeaderHeight + SeparatorHeight});
  BuildDriveList();
  lbMakerNotice = CreateControl(Handle(), L"STATIC", u"", SS_LEFT | SS_NOPREFIX, ControlId::lbMakerNotice,
                                RECT{ListMargin, BottomTop, 430, BottomTop + BottomBandHeight - 10});
  lbDiskManagement = std::make_unique<LinkLabel>(Handle(), ControlId::lbDiskManagement,
                                                 u"Открыть консоль управления дисками",
                                                 RECT{RightEdge - 300, BottomTop, RightEdge, BottomTop + 18}, SS_RIGHT);
  const int buttonTop = BottomTop + BottomBandHeight - 10 - 26;
  btContinue = CreateControl(Handle(), L"BUTTON", u"Продолжить >>>", WS_TABSTOP | BS_DEFPUSHBUTTON | WS_DISABLED,
                             ControlId::btContinue, RECT{RightEdge - 135, buttonTop, RightEdge, buttonTop + 26});
  Label2 = CreateControl(Handle(), L"STATIC", u"Пожалуйста, выберите устройство", SS_RIGHT | SS_CENTERIMAGE,
                         ControlId::Label2, RECT{RightEdge - 135 - 10 - 300, buttonTop, RightEdge - 135 - 10, buttonTop + 26});
  StatusBar = CreateControl(Handle(), STATUSCLASSNAMEW, u"", 0, ControlId::ChooserStatusBar, RECT{0, 0, 0, 0});
  SendMessageW(StatusBar, SB_SIMPLE, TRUE, 0);
  lbDiskManagement->onClick = [this] { lbDiskManagementClick(); };
  Label1->onClick = [this] { Label1Click(); };
  Label1->onMouseDown = [this](MouseButton button) { Label1MouseDown(button); };
  Label1->onMouseUp = [this](MouseButton button) { Label1MouseUp(button); };
}

void TFmChoose::BuildDriveList() {
  const int top = HeaderHeight + SeparatorHeight + ListMargin;
  DriveList = CreateControl(Handle(), WC_LISTVIEWW, u"",
                            WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER,
                            ControlId::DriveList, RECT{ListMargin, top, RightEdge, BottomTop - ListMargin},
                            WS_EX_CLIENTEDGE);
  // INFOTIP: the pointer over a cell asks for its tooltip, which names the cell's whole text (a long
  // serial is cut by its column).
  ListView_SetExtendedListViewStyle(DriveList, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER | LVS_EX_INFOTIP);
  int usedWidth = 0;
  for (std::size_t index = 0; index < ChooserColumnCount; ++index) {
    std::wstring caption = Wide(ChooserColumnCaptions()[index]);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = caption.data();
    column.cx = ColumnWidths[index] > 0 ? ColumnWidths[index] : 100;
    usedWidth += ColumnWidths[index];
    ListView_InsertColumn(DriveList, static_cast<int>(index), &column);
  }
  RECT inside{};
  GetClientRect(DriveList, &inside);
  ListView_SetColumnWidth(DriveList, ChooserColumnCount - 1, inside.right - usedWidth);
}

void TFmChoose::FormCreate() {
  LOGFONTW face = FaceOfPoints(L"Tahoma", 9);
  SetSystemFont(face);
  SetCalibriFont(system_, face);
  windowFont_ = MakeFont(face);
  ApplyFont(Handle(), windowFont_.get());
  LOGFONTW name = face;
  name.lfWeight = FW_BOLD;
  name.lfHeight = name.lfHeight * 7 / 5;
  nameFont_ = MakeFont(name);
  SetOwnFont(lbProgramName, nameFont_.get());
  SetExplorerTheme(system_, DriveList);
  Label1->SetTextColour(LinkBlue);
  lbDiskManagement->SetTextColour(LinkBlue);
  LOGFONTW underlined = face;
  underlined.lfUnderline = TRUE;
  underlinedFont_ = MakeFont(underlined);
  SetOwnFont(lbDiskManagement->Handle(), underlinedFont_.get());
}

void TFmChoose::SetProgramName(const std::u16string& text) { SetWindowText(lbProgramName, text); }
void TFmChoose::SetMakerNotice(const std::u16string& text) { SetWindowText(lbMakerNotice, text); }

void TFmChoose::SetStatusText(const std::u16string& text) {
  SendMessageW(StatusBar, SB_SETTEXTW, SB_SIMPLEID, reinterpret_cast<LPARAM>(Wide(text).c_str()));
}

bool TFmChoose::RunDriveChooser(HWND owner) {
  FillDriveList();
  SetWindowLongPtrW(Handle(), GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
  CentreOnScreen(Handle());
  finished_ = false;
  ShowWindow(Handle(), SW_SHOW);
  FormShow();
  RunModal(Handle(), owner, finished_);
  return state_.DriveChosen;
}

void TFmChoose::FillDriveList() {
  ListView_DeleteAllItems(DriveList);
  const char16_t separator = system_.GetRegionalSettings().decimalSeparator;
  int row = 0;
  for (const ChooserRowTexts& texts : ChooserRows(state_, separator)) {
    std::wstring caption = Wide(texts[0]);
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.pszText = caption.data();
    ListView_InsertItem(DriveList, &item);
    for (std::size_t column = 1; column < texts.size(); ++column) {
      std::wstring text = Wide(texts[column]);
      ListView_SetItemText(DriveList, row, static_cast<int>(column), text.data());
    }
    ++row;
  }
}

void TFmChoose::FormShow() {
  SetFocus(DriveList);
  const int preselected = PreselectedRow(ListView_GetItemCount(DriveList));
  if (preselected < 0) return;
  EnableWindow(btContinue, TRUE);
  ListView_SetItemState(DriveList, preselected, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  ListView_EnsureVisible(DriveList, preselected, FALSE);
}

void TFmChoose::FormClose() {
  finished_ = true;
  if (!state_.DriveChosen) ending_.EndProgram(0);
}

int TFmChoose::SelectedRow() const { return ListView_GetNextItem(DriveList, -1, LVNI_SELECTED); }

void TFmChoose::DriveListClick(int clickedRow) {
  if (clickedRow < 0) ListView_SetItemState(DriveList, -1, 0, LVIS_SELECTED);
  EnableWindow(btContinue, SelectedRow() >= 0);
}

void TFmChoose::DriveListDblClick() {
  if (SelectedRow() >= 0) btContinueClick();
}

// Esc in the list leaves the chooser without a choice, which ends the program.
void TFmChoose::DriveListKeyDown() { FormClose(); }

void TFmChoose::btContinueClick() {
  const int row = SelectedRow();
  if (row < 0) return;
  if (ChooseDrive(state_, row + 1, boxes_)) {
    FormClose();
    return;
  }
  // The refusal's box has no owner; the chooser takes the keyboard back when it closes.
  SetActiveWindow(Handle());
  SetFocus(DriveList);
}

void TFmChoose::Label1Click() { system_.ShellExecuteW(u"open", MakerWebAddress, ShowCommandShow); }

void TFmChoose::Label1MouseDown(MouseButton button) {
  if (button == MouseButton::Left) Label1->SetTextColour(LinkRed);
}

void TFmChoose::Label1MouseUp(MouseButton button) {
  if (button == MouseButton::Left) Label1->SetTextColour(LinkBlue);
}

void TFmChoose::lbDiskManagementClick() {
  system_.ShellExecuteW(u"open", u"diskmgmt.msc", ShowCommandShowNormal);
}

void TFmChoose::Command(int id, LPARAM from) {
  // Enter and Esc reach the window as IDOK and IDCANCEL without a control behind them.
  if (from == 0 && id == IDCANCEL) {
    if (GetFocus() == DriveList) DriveListKeyDown();
  } else if ((id == ControlId::btContinue || (from == 0 && id == IDOK)) && IsWindowEnabled(btContinue)) {
    btContinueClick();
  }
}

LRESULT TFmChoose::DriveListNotify(const NMHDR& header) {
  if (header.code == NM_CLICK) DriveListClick(reinterpret_cast<const NMITEMACTIVATE&>(header).iItem);
  if (header.code == NM_DBLCLK) DriveListDblClick();
  // The selection follows the keyboard too (arrows after a click on empty space): Continue follows it.
  if (header.code == LVN_ITEMCHANGED) EnableWindow(btContinue, SelectedRow() >= 0);
  if (header.code == LVN_GETINFOTIPW) {
    auto& tip = const_cast<NMLVGETINFOTIPW&>(reinterpret_cast<const NMLVGETINFOTIPW&>(header));
    if (tip.pszText != nullptr && tip.cchTextMax > 0)
      ListView_GetItemText(DriveList, tip.iItem, tip.iSubItem, tip.pszText, tip.cchTextMax);
  }
  return 0;
}

LRESULT TFmChoose::ColourStatic(HDC dc, HWND control) {
  const bool inHeader = control == lbProgramName || control == Label1->Handle();
  if (const LinkLabel* link = LinkLabel::Of(control)) SetTextColor(dc, link->TextColour());
  SetBkMode(dc, TRANSPARENT);
  return reinterpret_cast<LRESULT>(inHeader ? SolidBrush(RGB(255, 255, 255)) : GetSysColorBrush(COLOR_BTNFACE));
}

LRESULT TFmChoose::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND: {
      RECT client{};
      GetClientRect(Handle(), &client);
      const auto dc = reinterpret_cast<HDC>(wParam);
      FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
      RECT header{0, 0, client.right, HeaderHeight};
      FillRect(dc, &header, SolidBrush(RGB(255, 255, 255)));
      return 1;
    }
    case WM_CTLCOLORSTATIC:
      return ColourStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_COMMAND:
      Command(LOWORD(wParam), lParam);
      return 0;
    case WM_NOTIFY: {
      const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
      return header.hwndFrom == DriveList ? DriveListNotify(header) : 0;
    }
    case DM_GETDEFID:
      return MAKELRESULT(ControlId::btContinue, DC_HASDEFID);
    case WM_CLOSE:
      FormClose();
      return 0;
    default:
      return Default(message, wParam, lParam);
  }
}

}  // namespace trelvane
