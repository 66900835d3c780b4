#include "platform/qt/memo_sink.h"

#include <QPlainTextEdit>

#include "platform/qt/qt_text.h"

namespace trelvane {

void MemoSink::AppendLine(const std::u16string& text) { memo_.appendPlainText(ToDisplayText(text)); }

}  // namespace trelvane
