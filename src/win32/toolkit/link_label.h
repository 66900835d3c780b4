#pragma once
// A label that acts as a link: a static control with the hand cursor, a text colour of its own and
// the mouse events its window reacts to (enter, leave, button down and up, click).

#include <functional>
#include <string>

#include <windows.h>

namespace trelvane {

enum class MouseButton { Left, Right, Middle };

class LinkLabel {
 public:
  LinkLabel(HWND parent, int id, const std::u16string& text, const RECT& place, DWORD alignment = SS_LEFT);
  ~LinkLabel();
  LinkLabel(const LinkLabel&) = delete;
  LinkLabel& operator=(const LinkLabel&) = delete;

  HWND Handle() const { return control_; }
  COLORREF TextColour() const { return colour_; }
  void SetTextColour(COLORREF colour);

  std::function<void()> onClick;
  std::function<void()> onMouseEnter;
  std::function<void()> onMouseLeave;
  std::function<void(MouseButton)> onMouseDown;
  std::function<void(MouseButton)> onMouseUp;

  // The link label a control is, or null; the parent window asks when it colours its statics.
  static LinkLabel* Of(HWND control);

 private:
  static LRESULT CALLBACK Subclass(HWND control, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                   DWORD_PTR self);
  LRESULT HandleMouse(UINT message, WPARAM wParam, LPARAM lParam);

  HWND control_ = nullptr;
  COLORREF colour_ = RGB(0, 0, 0);
  bool pointerInside_ = false;
};

// The colours of the link labels.
inline constexpr COLORREF LinkBlue = RGB(0, 0, 255);
inline constexpr COLORREF LinkGrey = RGB(128, 128, 128);
inline constexpr COLORREF LinkRed = RGB(255, 0, 0);

}  // namespace trelvane
