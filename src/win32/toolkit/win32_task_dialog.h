#pragma once
// The question boxes of the Windows program: the platform's task dialog (TaskDialogIndirect of
// Common Controls 6) and, before platform version 6, a small dialog of the program's own that shows
// the content text with Russian captions (the system's message box would use the system language).

#include <string>

#include <windows.h>

#include "shell/task_dialog.h"

namespace trelvane {

class Win32TaskDialogPresenter final : public TaskDialogPresenter {
 public:
  void SetOwner(HWND owner) { owner_ = owner; }
  // The title of dialogs that have none of their own: the application's title.
  void SetProgramTitle(const std::u16string& title) { programTitle_ = title; }

  int ShowTaskDialogWindow(EntryAddress entry, const std::u16string& title, const std::u16string& instruction,
                           const std::u16string& content, int buttons, int icon) override;
  int ShowMessageDialog(MessageDialogType type, const std::u16string& content, int buttons) override;

 private:
  HWND owner_ = nullptr;
  std::u16string programTitle_;
};

// The fallback dialog's window class; its buttons' identifiers are their modal results.
inline constexpr const wchar_t* MessageDialogClass = L"TrelvaneMessageDialog";

}  // namespace trelvane
