// The Windows program's entry: one platform, one session, the application's message loop.

#include <exception>
#include <memory>
#include <string>

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include "launch/make_system.h"
#include "win32/toolkit/message_loop.h"
#include "win32/toolkit/win32_message_boxes.h"
#include "text/u16.h"
#include "win32/win32_session.h"

namespace {

// The program's first argument, as wide text (the narrow one holds the ANSI code page only).
std::u16string FirstArgument() {
  int count = 0;
  LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  std::u16string first;
  if (arguments != nullptr && count > 1) first.assign(arguments[1], arguments[1] + wcslen(arguments[1]));
  LocalFree(arguments);
  return first;
}

// An emulated machine file that cannot be used ends the program before any window exists.
int RefuseBackend(const char* message) {
  trelvane::Win32MessageBoxes().ShowMessageBox(trelvane::FromUtf8(message), u"Ошибка", trelvane::MessageIcon::Error);
  return 3;
}

}  // namespace

int main(int argc, char** argv) {
  INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX),
                                ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES | ICC_BAR_CLASSES | ICC_PROGRESS_CLASS |
                                    ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  std::unique_ptr<trelvane::System> system;
  try {
    system = trelvane::MakeSystem(argc, argv);
  } catch (const std::exception& error) {
    return RefuseBackend(error.what());
  }
  trelvane::Win32Session session(*system, FirstArgument());
  session.Show();
  const int loopCode = trelvane::RunMessageLoop();
  return session.Ended() ? session.ExitCode() : loopCode;
}
