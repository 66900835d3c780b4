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

  LineSink& DebugSink() { return *debugSink_; }
  void ShowModeless();
  // Shows the window modally over `owner`; returns when the user has closed it.
  void ShowModal(HWND owner);
  void Hide();

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  FontHandle font_;
  HWND Memo1 = nullptr;
  std::unique_ptr<MemoSink> debugSink_;
  bool modalFinished_ = true;
};

}  // namespace trelvane
