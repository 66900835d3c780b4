#include "win32/fm_debug.h"

#include <utility>

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

namespace {

constexpr ULONGLONG FlushIntervalMs = 100;
constexpr UINT_PTR FlushTimer = 1;

}  // namespace

void TFmDebug::ShowModeless() {
  CentreOnScreen(Handle());
  ShowWindow(Handle(), SW_SHOW);
  FlushLines();
}

void TFmDebug::LiveSink::AppendLine(const std::u16string& text) {
  TFmDebug& window = window_;
  window.waitingLines_ += (window.linesWaiting_ ? u"\r\n" : u"") + text;
  const bool first = !std::exchange(window.linesWaiting_, true);
  if (!IsWindowVisible(window.Handle()) || GetTickCount64() - window.flushedAtMs_ >= FlushIntervalMs) {
    window.FlushLines();
  } else if (first) {
    // The last lines of a batch arrive when the window's timer turns.
    SetTimer(window.Handle(), FlushTimer, static_cast<UINT>(FlushIntervalMs), nullptr);
  }
}

void TFmDebug::FlushLines() {
  KillTimer(Handle(), FlushTimer);
  if (linesWaiting_) memoSink_->AppendLine(std::exchange(waitingLines_, std::u16string()));
  linesWaiting_ = false;
  if (IsWindowVisible(Handle())) ProcessWindowMessages(Handle());
  flushedAtMs_ = GetTickCount64();
}

void TFmDebug::ShowModal(HWND owner) {
  FlushLines();
  CentreOnScreen(Handle());
  modalFinished_ = false;
  RunModal(Handle(), owner, modalFinished_);
  modalFinished_ = true;
}

void TFmDebug::Hide() {
  FlushLines();
  ShowWindow(Handle(), SW_HIDE);
}

LRESULT TFmDebug::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      PlaceControl(Memo1, RECT{0, 0, LOWORD(lParam), HIWORD(lParam)});
      return 0;
    case WM_TIMER:
      if (wParam == FlushTimer) FlushLines();
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
