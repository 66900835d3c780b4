#include "win32/fm_debug.h"

#include "win32/toolkit/message_loop.h"
#include "win32/toolkit/win32_text.h"
#include "win32/control_ids.h"

namespace trelvane {

TFmDebug::TFmDebug() {
  Create(FmDebugClass, WS_OVERLAPPEDWINDOW, 635, 337);
  SetWindowText(Handle(), u"Отладка");
  font_ = MakeFont(FaceOfPoints(L"Tahoma", 8));
  // The debug memo can be edited: the user may mark or delete lines before copying them.
  Memo1 = CreateMemo(Handle(), ControlId::Memo1, false);
  SetWindowText(Memo1, u"Окно отладки");
  ApplyFont(Handle(), font_.get());
  memoSink_ = std::make_unique<MemoSink>(Memo1);
  RECT client{};
  GetClientRect(Handle(), &client);
  PlaceControl(Memo1, client);
}

void TFmDebug::ShowModeless() {
  CentreOnScreen(Handle());
  ShowWindow(Handle(), SW_SHOW);
  ProcessWindowMessages(Handle());
}

void TFmDebug::LiveSink::AppendLine(const std::u16string& text) {
  window_.memoSink_->AppendLine(text);
  if (IsWindowVisible(window_.Handle())) ProcessWindowMessages(window_.Handle());
}

void TFmDebug::ShowModal(HWND owner) {
  CentreOnScreen(Handle());
  modalFinished_ = false;
  RunModal(Handle(), owner, modalFinished_);
  modalFinished_ = true;
}

void TFmDebug::Hide() { ShowWindow(Handle(), SW_HIDE); }

LRESULT TFmDebug::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      PlaceControl(Memo1, RECT{0, 0, LOWORD(lParam), HIWORD(lParam)});
      return 0;
    case WM_CLOSE:
      // Closing only hides: the memo keeps receiving lines, and a modal showing ends here.
      modalFinished_ = true;
      Hide();
      return 0;
    default:
      return Default(message, wParam, lParam);
  }
}

}  // namespace trelvane
