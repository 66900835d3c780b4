#pragma once
// The debug window: the debug log's memo. Shown without modality as soon as debug mode is turned on,
// and again modally after the enumeration; its memo keeps receiving lines while it is hidden.

#include <QDialog>

#include "ui/toolkit/memo_sink.h"

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
  // Esc does not close it: it closes only through its close box, as the other windows do, since
  // closing it moves the start on to the chooser.
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QPlainTextEdit* Memo1 = nullptr;
  MemoSink debugSink_;
};

}  // namespace trelvane
