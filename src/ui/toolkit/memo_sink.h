#pragma once
// A memo as the core's line sink: the format log, the debug log, the details and SMART reports.

#include "common/views.h"

class QPlainTextEdit;

namespace trelvane {

class MemoSink final : public LineSink {
 public:
  explicit MemoSink(QPlainTextEdit& memo) : memo_(memo) {}
  // Appends the text as one line, or as several when it holds line breaks.
  void AppendLine(const std::u16string& text) override;

 private:
  QPlainTextEdit& memo_;
};

}  // namespace trelvane
