#include "win32/toolkit/win32_task_dialog.h"

#include <array>

#include <windows.h>
#include <commctrl.h>

#include "win32/toolkit/message_dialog.h"
#include "win32/toolkit/win32_text.h"

namespace trelvane {

namespace {

using TaskDialogIndirectEntry = HRESULT(WINAPI*)(const TASKDIALOGCONFIG*, int*, int*, BOOL*);

// The icon codes name the system's own icons; the task dialog's constants draw them on every
// version of Common Controls 6, where a bare resource number needs the system's icon library.
struct IconResource {
  int icon;
  PCWSTR resource;
};
const std::array<IconResource, 4> IconResources{{
    {TaskDialogIcon::Information, TD_INFORMATION_ICON},
    {TaskDialogIcon::Warning, TD_WARNING_ICON},
    {TaskDialogIcon::Error, TD_ERROR_ICON},
    {TaskDialogIcon::Question, MAKEINTRESOURCEW(32514)},  // IDI_QUESTION
}};

PCWSTR IconOf(int icon) {
  for (const IconResource& row : IconResources) {
    if (row.icon == icon) return row.resource;
  }
  return nullptr;
}

// Bound at run time from the Common Controls the process has loaded: version 6 has the entry,
// the older library does not.
TaskDialogIndirectEntry BindTaskDialog() {
  HMODULE library = GetModuleHandleW(L"comctl32.dll");
  if (library == nullptr) library = LoadLibraryW(L"comctl32.dll");
  if (library == nullptr) return nullptr;
  return reinterpret_cast<TaskDialogIndirectEntry>(
      reinterpret_cast<void*>(GetProcAddress(library, "TaskDialogIndirect")));
}

}  // namespace

int Win32TaskDialogPresenter::ShowTaskDialogWindow(EntryAddress, const std::u16string& title,
                                                   const std::u16string& instruction, const std::u16string& content,
                                                   int buttons, int icon) {
  const TaskDialogIndirectEntry show = BindTaskDialog();
  if (show == nullptr) return 0;
  const std::wstring caption = Wide(title.empty() ? programTitle_ : title);
  const std::wstring mainInstruction = Wide(instruction);
  const std::wstring body = Wide(content);
  TASKDIALOGCONFIG config{};
  config.cbSize = sizeof(config);
  config.hwndParent = owner_;
  // Without a Cancel button, Esc and the close box do nothing: the user has to pick an answer.
  config.dwFlags = TDF_POSITION_RELATIVE_TO_WINDOW;
  config.dwCommonButtons = static_cast<TASKDIALOG_COMMON_BUTTON_FLAGS>(buttons);
  config.pszWindowTitle = caption.c_str();
  config.pszMainIcon = IconOf(icon);
  config.pszMainInstruction = mainInstruction.empty() ? nullptr : mainInstruction.c_str();
  config.pszContent = body.empty() ? nullptr : body.c_str();
  int pressed = 0;
  if (FAILED(show(&config, &pressed, nullptr, nullptr))) return 0;
  return pressed;
}

int Win32TaskDialogPresenter::ShowMessageDialog(MessageDialogType type, const std::u16string& content, int buttons) {
  const std::u16string caption = MessageDialogCaption(type);
  return RunMessageDialog(owner_, caption.empty() ? programTitle_ : caption, type, content, buttons);
}

}  // namespace trelvane
