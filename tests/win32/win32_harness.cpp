#include "win32_harness.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "win32/toolkit/message_loop.h"
#include "win32/toolkit/win32_text.h"
#include "win32/fm_main.h"

namespace trelvane::testing {

namespace {

std::deque<Step>* script = nullptr;

// Every tick tries the script's next step; modal loops dispatch the tick like any other message.
void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
  if (script != nullptr && !script->empty() && script->front()()) script->pop_front();
}

// The Common Controls 6 the program's manifest asks for: the task dialog and the bar's states.
struct CommonControlsSix {
  CommonControlsSix() {
    const std::wstring manifest = (std::filesystem::path(TRELVANE_SOURCE_DIR) / "src/win32/trelvane.manifest").wstring();
    ACTCTXW context{};
    context.cbSize = sizeof(context);
    context.lpSource = manifest.c_str();
    HANDLE handle = CreateActCtxW(&context);
    ULONG_PTR cookie = 0;
    if (handle != INVALID_HANDLE_VALUE) ActivateActCtx(handle, &cookie);
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
  }
};

void RunScript(std::deque<Step>& steps, const std::function<bool()>& done) {
  script = &steps;
  const UINT_PTR timer = SetTimer(nullptr, 0, 20, Tick);
  for (int round = 0; round < 1500 && !done(); ++round) {
    Pump();
    Sleep(2);
  }
  KillTimer(nullptr, timer);
  script = nullptr;
}

}  // namespace

Win32Harness::Win32Harness(const std::string& drives, const std::string& system, const std::u16string& argument) {
  static CommonControlsSix controls;
  const std::string json = "{" + (system.empty() ? std::string() : "\"system\": " + system + ", ") +
                           "\"drives\": [" + drives + "]}";
  system_ = EmulatedMachineFromJson(json, dir_.path().generic_string());
  session_ = std::make_unique<Win32Session>(*system_, argument);
  session_->SetEndHandler([this](int code) { endCodes.push_back(code); });
}

Win32Harness::~Win32Harness() { session_.reset(); }

HWND Win32Harness::Main() { return session_->FmMain().Handle(); }
std::filesystem::path Win32Harness::Image(int drive) const { return dir_.path() / ("drive" + std::to_string(drive) + ".img"); }

void Win32Harness::Start(std::deque<Step> steps) {
  session_->Show();
  RunScript(steps, [this] { return session_->FmMain().StartupFinished(); });
  EXPECT_TRUE(steps.empty()) << steps.size() << " steps left";
}

void Win32Harness::Run(std::deque<Step> steps, const std::function<void()>& action) {
  script = &steps;
  const UINT_PTR timer = SetTimer(nullptr, 0, 20, Tick);
  action();
  script = nullptr;
  KillTimer(nullptr, timer);
  EXPECT_TRUE(steps.empty()) << steps.size() << " steps left";
}

HWND FindModal(const wchar_t* className, const std::u16string& caption) {
  struct Search {
    const wchar_t* className;
    std::u16string caption;
    HWND found;
  } search{className, caption, nullptr};
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM given) -> BOOL {
        auto& wanted = *reinterpret_cast<Search*>(given);
        wchar_t name[64] = {};
        GetClassNameW(window, name, 64);
        if (!IsWindowVisible(window) || !IsWindowEnabled(window) || wcscmp(name, wanted.className) != 0) return TRUE;
        if (!wanted.caption.empty() && WindowText(window) != wanted.caption) return TRUE;
        wanted.found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

void Click(HWND button) {
  if (SendMessageW(button, BM_GETCHECK, 0, 0) != BST_INDETERMINATE &&
      (GetWindowLongW(button, GWL_STYLE) & BS_TYPEMASK) == BS_AUTOCHECKBOX) {
    SendMessageW(button, BM_SETCHECK, SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED, 0);
  }
  SendMessageW(GetParent(button), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
               reinterpret_cast<LPARAM>(button));
}

std::u16string Text(HWND window) { return WindowText(window); }

std::u16string ItemText(HWND list, int row, int column) {
  wchar_t text[256] = {};
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = text;
  item.cchTextMax = 256;
  SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  return FromWide(text);
}

void Pump() { ProcessPendingMessages(); }

void PressKey(HWND window, UINT key, bool ctrl, bool shift) {
  BYTE keys[256] = {}, held[256] = {};  // a posted key sets no key state: the modifiers are set here
  GetKeyboardState(keys);
  GetKeyboardState(held);
  held[VK_CONTROL] = ctrl ? 0x80 : 0;
  held[VK_SHIFT] = shift ? 0x80 : 0;
  SetKeyboardState(held);
  PostMessageW(window, WM_KEYDOWN, key, 1);
  Pump();
  SetKeyboardState(keys);
}

Step ClickIn(const wchar_t* className, int id) {
  return [className, id] {
    HWND window = FindModal(className);
    if (window == nullptr || !IsWindowEnabled(GetDlgItem(window, id))) return false;
    Click(GetDlgItem(window, id));
    return true;
  };
}

Step PressInTaskDialog(int button, std::u16string* texts) {
  return [button, texts] {
    HWND dialog = FindModal(L"#32770");
    if (dialog == nullptr) return false;
    if (texts != nullptr) *texts = Text(dialog);
    if (button == 0) return PostMessageW(GetFocus(), WM_KEYDOWN, VK_RETURN, 1) != FALSE;
    SendMessageW(dialog, TDM_CLICK_BUTTON, static_cast<WPARAM>(button), 0);
    return true;
  };
}

Step CloseMessageBox(std::u16string* caption, std::u16string* text) {
  return [caption, text] {
    HWND box = FindModal(L"#32770");
    if (box == nullptr) return false;
    if (caption != nullptr) *caption = Text(box);
    if (text != nullptr) *text = Text(GetDlgItem(box, 0xFFFF));
    SendMessageW(box, WM_COMMAND, IDOK, 0);
    return true;
  };
}

}  // namespace trelvane::testing
