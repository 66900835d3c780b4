#pragma once
// Shows the program's questions with Qt: the task dialog on platform version 6 and later, the
// standard message dialog (content text only) before that. The choice and the meaning of the answer
// are the core's (shell/task_dialog.h); this class only shows.

#include <QString>

#include "shell/task_dialog.h"

class QWidget;

namespace trelvane {

class QtTaskDialogPresenter final : public TaskDialogPresenter {
 public:
  // `owner` owns the dialogs (the main window), which open centred on it.
  explicit QtTaskDialogPresenter(QWidget* owner) : owner_(owner) {}

  // The application's title: the caption of dialogs that bring no title of their own.
  void SetProgramTitle(const QString& title) { programTitle_ = title; }

  int ShowTaskDialogWindow(EntryAddress entry, const std::u16string& title, const std::u16string& instruction,
                           const std::u16string& content, int buttons, int icon) override;
  int ShowMessageDialog(MessageDialogType type, const std::u16string& content, int buttons) override;

 private:
  QWidget* owner_;
  QString programTitle_;
};

}  // namespace trelvane
