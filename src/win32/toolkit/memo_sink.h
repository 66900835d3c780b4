#pragma once
// A memo (a multi-line edit control) as a line sink: each text becomes one more line at its end.

#include <string>

#include <windows.h>

#include "common/views.h"

namespace trelvane {

class MemoSink final : public LineSink {
 public:
  explicit MemoSink(HWND memo) : memo_(memo) {}
  void AppendLine(const std::u16string& text) override;

 private:
  HWND memo_;
};

// A read-only memo without wrapping, with both scroll bars and no length limit. Tab leaves it and
// Esc does not close its window.
HWND CreateMemo(HWND parent, int id, bool readOnly = true);
// The memo's whole text, lines joined by "\r\n".
std::u16string MemoText(HWND memo);
// Puts the caret and the view on the memo's first line.
void ScrollMemoToTop(HWND memo);

}  // namespace trelvane
