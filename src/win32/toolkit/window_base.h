#pragma once
// A top-level window of the program: one object per window, its messages handled by a member
// function. The object outlives its window handle; the handle is destroyed with the object.

#include <string>

#include <windows.h>

namespace trelvane {

class WindowBase {
 public:
  virtual ~WindowBase();
  WindowBase() = default;
  WindowBase(const WindowBase&) = delete;
  WindowBase& operator=(const WindowBase&) = delete;

  HWND Handle() const { return window_; }
  // A child control by its identifier.
  HWND Control(int id) const { return GetDlgItem(window_, id); }

 protected:
  // Creates the window hidden, with a client area of `clientWidth` x `clientHeight` pixels.
  void Create(const wchar_t* className, DWORD style, int clientWidth, int clientHeight);
  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  HWND window_ = nullptr;
};

// A child control of `parent` with the identifier `id` at a place in client pixels.
HWND CreateControl(HWND parent, const wchar_t* className, const std::u16string& text, DWORD style, int id,
                   const RECT& place, DWORD extendedStyle = 0);
void PlaceControl(HWND control, const RECT& place);

// Centres a top-level window on the work area of its screen.
void CentreOnScreen(HWND window);
// Centres a top-level window on the window `over`, kept on that window's screen; on the screen when
// `over` is missing, hidden or minimised.
void CentreOnWindow(HWND window, HWND over);

// A brush of one colour, made once per colour and kept for the life of the process (the windows'
// backgrounds and memos use two or three).
HBRUSH SolidBrush(COLORREF colour);

}  // namespace trelvane
