#pragma once
// The one thread's message handling: the application's loop, the nested loops of the modal windows,
// and the zero fill's turn between blocks. Keyboard navigation (Tab, Enter for the default button,
// Esc, Alt+letter) is the dialog manager's, for every window of the program.

#include <windows.h>

namespace trelvane {

// Handles one message: the dialog keys of its top-level window first, then the window procedure.
void DispatchOne(MSG& message);

// Handles every pending message and returns; false when the application's end (WM_QUIT) was seen,
// which is posted again for the loop below.
bool ProcessPendingMessages();

// Shows `window` modally over `owner` (disabled meanwhile) and handles messages until `finished`
// turns true or the application ends. The window is hidden again afterwards.
void RunModal(HWND window, HWND owner, const bool& finished);

// The application's loop; returns WM_QUIT's exit code.
int RunMessageLoop();

}  // namespace trelvane
