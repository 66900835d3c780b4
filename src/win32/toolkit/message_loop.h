#pragma once
// The one thread's message handling: the application's loop, the nested loops of the modal windows,
// and the zero fill's turn between blocks. Keyboard navigation (Tab, Enter for the default button,
// Esc, Alt+letter) is the dialog manager's, for every window of the program, with two additions the
// dialog manager leaves out for windows that are not dialogs: Enter presses the focused push button
// (as Space does), and Ctrl+Tab / Ctrl+Shift+Tab go to the top-level window as WM_SWITCHPAGE.

#include <windows.h>

namespace trelvane {

// Sent to a top-level window on Ctrl+Tab (wParam 0) or Ctrl+Shift+Tab (wParam 1) wherever its focus
// is, memos included. A window with pages answers nonzero after switching; any other lets
// DefWindowProc answer 0, and the key goes on as usual.
inline constexpr UINT WM_SWITCHPAGE = WM_APP + 0x40;

// Handles one message: the program's own keys, then the dialog keys of its top-level window, then
// the window procedure.
void DispatchOne(MSG& message);

// Handles every pending message and returns; false when the application's end (WM_QUIT) was seen,
// which is posted again for the loop below.
bool ProcessPendingMessages();

// Lets `window` (and its controls) handle its pending messages, and every window of the thread
// repaint, without handing any other window its input: for a window that must stay alive while the
// thread is busy with work that other windows' commands must not interrupt.
void ProcessWindowMessages(HWND window);

// Shows `window` modally over `owner` (disabled meanwhile) and handles messages until `finished`
// turns true or the application ends. The window is hidden again afterwards.
void RunModal(HWND window, HWND owner, const bool& finished);

// The application's loop; returns WM_QUIT's exit code.
int RunMessageLoop();

}  // namespace trelvane
