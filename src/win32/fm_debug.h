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

  // The memo's lines. While the window shows they reach the memo in batches, at most a tenth of a
  // second apart, and the window repaints and answers after each batch: the start-up that logs them
  // runs inside one message of the main window, where no message loop turns, and a shown memo takes
  // one line at a time slowly (under Wine, 600 lines took 16 s). Hidden, the memo takes each line at once.
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
  class LiveSink final : public LineSink {
   public:
    explicit LiveSink(TFmDebug& window) : window_(window) {}
    void AppendLine(const std::u16string& text) override;

   private:
    TFmDebug& window_;
  };
  // Hands the waiting lines to the memo, then lets this window (and no other: a click on the main
  // window must not start a command in the middle of the start-up) repaint and answer.
  void FlushLines();

  std::unique_ptr<MemoSink> memoSink_;
  LiveSink debugSink_{*this};
  std::u16string waitingLines_;
  bool linesWaiting_ = false;
  ULONGLONG flushedAtMs_ = 0;
  bool modalFinished_ = true;
};

}  // namespace trelvane
