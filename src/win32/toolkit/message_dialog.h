#pragma once
// The fallback question dialog: an icon of its type, the content text and the buttons in their
// order with the program's Russian captions, centred on its owner (on the screen without one).
// Enter presses Cancel where the dialog has it.

#include <string>

#include <windows.h>

#include "shell/task_dialog.h"

namespace trelvane {

// Shows the dialog modally over `owner`; returns the modal result (DialogResult) of the button
// pressed. Esc answers Cancel, or else No, or else OK; the close box answers Cancel.
int RunMessageDialog(HWND owner, const std::u16string& caption, MessageDialogType type, const std::u16string& content,
                     int buttons);

}  // namespace trelvane
