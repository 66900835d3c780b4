#include "ui/toolkit/memo_sink.h"

#include <QPlainTextEdit>
#include <QScrollBar>

#include "ui/toolkit/qt_text.h"

namespace trelvane {

// The newest line stays in view with its time stamp: the memo follows the log to its end, also when
// a long line has just brought up the horizontal scroll bar and shortened the view by a line.
void MemoSink::AppendLine(const std::u16string& text) {
  memo_.appendPlainText(ToDisplayText(text));
  memo_.verticalScrollBar()->setValue(memo_.verticalScrollBar()->maximum());
  memo_.horizontalScrollBar()->setValue(memo_.horizontalScrollBar()->minimum());
}

}  // namespace trelvane
