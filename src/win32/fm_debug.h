#pragma once
// The debug window: one memo that shows the diagnostic log in debug mode.

#include <memory>

#include "win32/toolkit/memo_sink.h"
#include "win32/toolkit/window_base.h"
#include "win32/toolkit/window_fonts.h"

namespace trelvane {

class TFmDebug final : public WindowBase {
 public:
  TFmDebug();

  // The memo's lines. While the window shows, each line is painted as it is logged: the start-up
  // that logs them runs inside one message of the main window, where no message loop turns.
  LineSink& DebugSink() { return debugSink_; }
  void ShowModeless();
  // Shows the window modally over `owner`; returns when the user has closed it.
  void ShowModal(HWND owner);
  void Hide();

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  FontHandle font_;
  HWND Memo1 = nullptr;
  // Appends to the memo, then lets the window repaint and answer (move, scroll, close) before the
  // caller goes on. Other windows get no input meanwhile: a click on the main window must not start
  // a command in the middle of the start-up.
  class LiveSink final : public LineSink {
   public:
    explicit LiveSink(TFmDebug& window) : window_(window) {}
    void AppendLine(const std::u16string& text) override;

   private:
    TFmDebug& window_;
  };

  std::unique_ptr<MemoSink> memoSink_;
  LiveSink debugSink_{*this};
  bool modalFinished_ = true;
};

}  // namespace trelvane
