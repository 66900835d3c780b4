#include "win32/toolkit/message_loop.h"

namespace trelvane {

namespace {

bool KeyHeld(int key) { return (GetKeyState(key) & 0x8000) != 0; }

// A push button that has the focus takes Enter, as it takes Space. The dialog manager gives Enter to
// the focused button only when that button is the default one, which in a window that is not a
// dialog it never becomes; the click is sent the way the dialog manager sends it.
bool PressFocusedButton(const MSG& message) {
  if (message.wParam != VK_RETURN || message.hwnd == nullptr || message.hwnd != GetFocus()) return false;
  const LRESULT code = SendMessageW(message.hwnd, WM_GETDLGCODE, 0, 0);
  if ((code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) == 0) return false;
  if (!IsWindowEnabled(message.hwnd)) return true;
  SendMessageW(GetParent(message.hwnd), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(message.hwnd), BN_CLICKED),
               reinterpret_cast<LPARAM>(message.hwnd));
  return true;
}

// Keys the program handles before the dialog manager and the focused control see them; true when
// the key was taken.
bool HandleOwnKey(const MSG& message, HWND root) {
  if (message.message != WM_KEYDOWN || root == nullptr) return false;
  if (message.wParam == VK_TAB && KeyHeld(VK_CONTROL) && !KeyHeld(VK_MENU))
    return SendMessageW(root, WM_SWITCHPAGE, KeyHeld(VK_SHIFT) ? 1 : 0, 0) != 0;
  if (message.wParam == VK_RETURN && !KeyHeld(VK_CONTROL) && !KeyHeld(VK_MENU)) return PressFocusedButton(message);
  return false;
}

}  // namespace

void DispatchOne(MSG& message) {
  HWND root = message.hwnd != nullptr ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
  if (HandleOwnKey(message, root)) return;
  if (root != nullptr && IsDialogMessageW(root, &message)) return;
  TranslateMessage(&message);
  DispatchMessageW(&message);
}

bool ProcessPendingMessages() {
  MSG message{};
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      return false;
    }
    DispatchOne(message);
  }
  return true;
}

void ProcessWindowMessages(HWND window) {
  MSG message{};
  while (PeekMessageW(&message, window, 0, 0, PM_REMOVE)) DispatchOne(message);
  // Each window validates what it paints; the bound only guards against one that does not.
  for (int round = 0; round < 64 && PeekMessageW(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE); ++round)
    DispatchMessageW(&message);
}

void RunModal(HWND window, HWND owner, const bool& finished) {
  const bool ownerWasEnabled = owner != nullptr && IsWindowEnabled(owner);
  if (ownerWasEnabled) EnableWindow(owner, FALSE);
  ShowWindow(window, SW_SHOW);
  SetForegroundWindow(window);
  MSG message{};
  while (!finished) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got <= 0) {
      if (got == 0) PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    DispatchOne(message);
  }
  // The owner is enabled before the window hides, so that the activation goes back to it.
  if (ownerWasEnabled) EnableWindow(owner, TRUE);
  ShowWindow(window, SW_HIDE);
  if (owner != nullptr && IsWindowVisible(owner)) SetActiveWindow(owner);
}

int RunMessageLoop() {
  MSG message{};
  BOOL got = 0;
  while ((got = GetMessageW(&message, nullptr, 0, 0)) > 0) DispatchOne(message);
  return got == 0 ? static_cast<int>(message.wParam) : 3;
}

}  // namespace trelvane
