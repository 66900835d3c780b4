#pragma once
// The task dialog drawn with Qt: a window title, a large main instruction, the content text, an icon
// and a row of common buttons. It answers with the platform's pressed-button values (IDOK, IDYES ...).

#include <QDialog>
#include <QMessageBox>

#include "shell/task_dialog.h"

class QString;

namespace trelvane {

// The icon that a dialog of `type` shows (none for MessageDialogType::None).
QMessageBox::Icon MessageBoxIcon(MessageDialogType type);

class TaskDialogWindow final : public QDialog {
  Q_OBJECT

 public:
  // `buttons` is a set of TaskDialogButton bits (none means OK alone), `icon` a TaskDialogIcon code
  // (any other code shows no icon). exec() returns the pressed-button value.
  TaskDialogWindow(QWidget* owner, const QString& title, const QString& instruction, const QString& content,
                   int buttons, int icon);

 protected:
  // Esc and the close box answer Cancel, and only when the dialog offers Cancel.
  void reject() override;

 private:
  QWidget* BuildTextPanel(const QString& instruction, const QString& content, int icon);
  QWidget* BuildButtonRow(int buttons);

  bool cancellable_ = false;
};

}  // namespace trelvane
