#pragma once
// The debug window: the debug log's memo. Shown without modality as soon as debug mode is turned on,
// and again modally after the enumeration; its memo keeps receiving lines while it is hidden.

#include <QDialog>

#include "platform/qt/memo_sink.h"

class QPlainTextEdit;

namespace trelvane {

class TFmDebug final : public QDialog {
  Q_OBJECT

 public:
  explicit TFmDebug(QWidget* parent = nullptr);

  // The sink of AddDebugLogLine.
  LineSink& DebugSink() { return debugSink_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QPlainTextEdit* Memo1 = nullptr;
  MemoSink debugSink_;
};

}  // namespace trelvane
