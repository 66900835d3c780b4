#include "win32/toolkit/win32_task_dialog.h"

#include <algorithm>
#include <array>

#include <windows.h>
#include <commctrl.h>

#include "win32/toolkit/message_dialog.h"
#include "win32/toolkit/win32_text.h"
#include "win32/toolkit/window_base.h"
#include "win32/toolkit/window_fonts.h"

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

// The dialog's width in dialog units for the content's widest line, so that no line of it wraps (the
// dialog would otherwise wrap at its narrow default width, a long drive title included), at most
// nine tenths of the screen. The dialog measures in the message font; so does this.
UINT WidthForContent(const std::wstring& content, HWND owner) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0)) return 0;
  const FontHandle font = MakeFont(metrics.lfMessageFont);
  HDC dc = GetDC(nullptr);
  const HGDIOBJ previous = SelectObject(dc, font.get());
  SIZE alphabet{};
  GetTextExtentPoint32W(dc, L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52, &alphabet);
  const LONG unit = std::max<LONG>(1, (alphabet.cx / 26 + 1) / 2);  // the dialog's horizontal base unit
  LONG widest = 0;
  for (std::size_t start = 0; start <= content.size();) {
    std::size_t end = content.find(L'\n', start);
    if (end == std::wstring::npos) end = content.size();
    const std::wstring line = content.substr(start, end - start);
    SIZE extent{};
    GetTextExtentPoint32W(dc, line.c_str(), static_cast<int>(line.size()), &extent);
    widest = std::max(widest, extent.cx);
    start = end + 1;
  }
  SelectObject(dc, previous);
  ReleaseDC(nullptr, dc);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  GetMonitorInfoW(MonitorFromWindow(owner, MONITOR_DEFAULTTOPRIMARY), &monitor);
  const LONG screen = (monitor.rcWork.right - monitor.rcWork.left) * 9 / 10;
  // The icon, and the spacing left of it, between it and the text, and right of the text.
  const LONG pixels = std::min(widest + GetSystemMetrics(SM_CXICON) + 6 * unit, screen);
  return static_cast<UINT>((pixels * 4 + unit - 1) / unit);
}

// Placed on its owner once it exists: some implementations centre only the first dialog of a
// process on the window it belongs to.
HRESULT CALLBACK Placed(HWND dialog, UINT notification, WPARAM, LPARAM, LONG_PTR owner) {
  if (notification == TDN_CREATED) CentreOnWindow(dialog, reinterpret_cast<HWND>(owner));
  return S_OK;
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
  // Enter alone must never confirm a destructive question: where Cancel is offered it is the button
  // that has the focus and that Enter presses (the dialog's own choice would be its first button).
  if ((buttons & TaskDialogButton::Cancel) != 0) config.nDefaultButton = IDCANCEL;
  config.pszWindowTitle = caption.c_str();
  config.pszMainIcon = IconOf(icon);
  config.pszMainInstruction = mainInstruction.empty() ? nullptr : mainInstruction.c_str();
  config.pszContent = body.empty() ? nullptr : body.c_str();
  config.cxWidth = body.empty() ? 0 : WidthForContent(body, owner_);
  config.pfCallback = Placed;
  config.lpCallbackData = reinterpret_cast<LONG_PTR>(owner_);
  int pressed = 0;
  if (FAILED(show(&config, &pressed, nullptr, nullptr))) return 0;
  return pressed;
}

int Win32TaskDialogPresenter::ShowMessageDialog(MessageDialogType type, const std::u16string& content, int buttons) {
  const std::u16string caption = MessageDialogCaption(type);
  return RunMessageDialog(owner_, caption.empty() ? programTitle_ : caption, type, content, buttons);
}

}  // namespace trelvane
