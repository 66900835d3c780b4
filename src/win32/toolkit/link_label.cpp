#include "win32/toolkit/link_label.h"

#include <windows.h>
#include <commctrl.h>

#include "win32/toolkit/window_base.h"

namespace trelvane {

namespace {

constexpr const wchar_t* LinkProperty = L"TrelvaneLinkLabel";
constexpr UINT_PTR SubclassId = 1;

struct ButtonMessage {
  UINT down;
  UINT up;
  MouseButton button;
};
constexpr ButtonMessage ButtonMessages[] = {
    {WM_LBUTTONDOWN, WM_LBUTTONUP, MouseButton::Left},
    {WM_RBUTTONDOWN, WM_RBUTTONUP, MouseButton::Right},
    {WM_MBUTTONDOWN, WM_MBUTTONUP, MouseButton::Middle},
};

bool PointInside(HWND control, LPARAM lParam) {
  RECT client{};
  GetClientRect(control, &client);
  const POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
  return PtInRect(&client, point) != FALSE;
}

}  // namespace

LinkLabel::LinkLabel(HWND parent, int id, const std::u16string& text, const RECT& place, DWORD alignment)
    : control_(CreateControl(parent, L"STATIC", text, SS_NOTIFY | SS_NOPREFIX | alignment, id, place)) {
  SetPropW(control_, LinkProperty, this);
  SetWindowSubclass(control_, &LinkLabel::Subclass, SubclassId, reinterpret_cast<DWORD_PTR>(this));
}

LinkLabel::~LinkLabel() {
  if (!IsWindow(control_)) return;
  RemoveWindowSubclass(control_, &LinkLabel::Subclass, SubclassId);
  RemovePropW(control_, LinkProperty);
}

void LinkLabel::SetTextColour(COLORREF colour) {
  colour_ = colour;
  InvalidateRect(control_, nullptr, TRUE);
}

LinkLabel* LinkLabel::Of(HWND control) { return static_cast<LinkLabel*>(GetPropW(control, LinkProperty)); }

LRESULT CALLBACK LinkLabel::Subclass(HWND control, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                     DWORD_PTR self) {
  if (message == WM_SETCURSOR) {
    SetCursor(LoadCursorW(nullptr, IDC_HAND));
    return TRUE;
  }
  if (message == WM_MOUSEMOVE || message == WM_MOUSELEAVE || (message >= WM_LBUTTONDOWN && message <= WM_MBUTTONUP)) {
    reinterpret_cast<LinkLabel*>(self)->HandleMouse(message, wParam, lParam);
  }
  return DefSubclassProc(control, message, wParam, lParam);
}

LRESULT LinkLabel::HandleMouse(UINT message, WPARAM, LPARAM lParam) {
  if (message == WM_MOUSEMOVE && !pointerInside_) {
    pointerInside_ = true;
    TRACKMOUSEEVENT track{sizeof(TRACKMOUSEEVENT), TME_LEAVE, control_, 0};
    TrackMouseEvent(&track);
    if (onMouseEnter) onMouseEnter();
  } else if (message == WM_MOUSELEAVE) {
    pointerInside_ = false;
    if (onMouseLeave) onMouseLeave();
  }
  for (const ButtonMessage& row : ButtonMessages) {
    if (message == row.down) {
      if (row.button == MouseButton::Left) SetCapture(control_);
      if (onMouseDown) onMouseDown(row.button);
    } else if (message == row.up) {
      if (row.button == MouseButton::Left && GetCapture() == control_) ReleaseCapture();
      if (onMouseUp) onMouseUp(row.button);
      if (row.button == MouseButton::Left && PointInside(control_, lParam) && onClick) onClick();
    }
  }
  return 0;
}

}  // namespace trelvane
