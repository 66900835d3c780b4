#include "win32/toolkit/memo_sink.h"

#include <commctrl.h>

#include "win32/toolkit/win32_text.h"
#include "win32/toolkit/window_base.h"

namespace trelvane {

namespace {

// Lines of the core end in "\r\n" inside a text; a lone "\n" would show as a box in the memo.
std::u16string WithCarriageReturns(const std::u16string& text) {
  std::u16string result;
  result.reserve(text.size());
  for (std::size_t index = 0; index < text.size(); ++index) {
    if (text[index] == u'\n' && (index == 0 || text[index - 1] != u'\r')) result += u'\r';
    result += text[index];
  }
  return result;
}

// A multi-line edit asks the dialog manager for every key. Tab is let through so that it moves the
// focus on, as in every other control; Esc too, because the edit would turn it into WM_CLOSE for its
// window and close it. Ctrl+Tab is the message loop's before the edit sees it.
LRESULT CALLBACK MemoKeys(HWND memo, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
  LRESULT result = DefSubclassProc(memo, message, wParam, lParam);
  const auto* key = reinterpret_cast<const MSG*>(lParam);
  if (message == WM_GETDLGCODE && key != nullptr && key->message == WM_KEYDOWN &&
      (key->wParam == VK_TAB || key->wParam == VK_ESCAPE))
    result &= ~static_cast<LRESULT>(DLGC_WANTALLKEYS | DLGC_WANTTAB);
  return result;
}

}  // namespace

void MemoSink::AppendLine(const std::u16string& text) {
  const LRESULT length = SendMessageW(memo_, WM_GETTEXTLENGTH, 0, 0);
  const std::wstring line = Wide((length > 0 ? u"\r\n" : u"") + WithCarriageReturns(text));
  SendMessageW(memo_, EM_SETSEL, static_cast<WPARAM>(length), length);
  SendMessageW(memo_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(line.c_str()));
  // The view follows the new line down but stays at the lines' beginnings, where the time stamps are.
  SendMessageW(memo_, WM_HSCROLL, SB_LEFT, 0);
}

HWND CreateMemo(HWND parent, int id, bool readOnly) {
  const DWORD style = WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL |
                      ES_NOHIDESEL | (readOnly ? ES_READONLY : 0);
  HWND memo = CreateControl(parent, L"EDIT", u"", style, id, RECT{0, 0, 10, 10}, WS_EX_CLIENTEDGE);
  SendMessageW(memo, EM_SETLIMITTEXT, 0, 0);
  SetWindowSubclass(memo, MemoKeys, 0, 0);
  return memo;
}

std::u16string MemoText(HWND memo) { return WindowText(memo); }

void ScrollMemoToTop(HWND memo) {
  SendMessageW(memo, EM_SETSEL, 0, 0);
  SendMessageW(memo, EM_SCROLLCARET, 0, 0);
  SendMessageW(memo, WM_VSCROLL, SB_TOP, 0);
}

}  // namespace trelvane
