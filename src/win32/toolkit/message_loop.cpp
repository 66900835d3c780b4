#include "win32/toolkit/message_loop.h"

namespace trelvane {

void DispatchOne(MSG& message) {
  HWND root = message.hwnd != nullptr ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
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
