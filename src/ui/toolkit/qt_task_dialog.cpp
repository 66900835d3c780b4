#include "ui/toolkit/qt_task_dialog.h"

#include <array>
#include <map>

#include <QAbstractButton>
#include <QMessageBox>
#include <QPushButton>

#include "ui/toolkit/qt_text.h"
#include "ui/toolkit/task_dialog_window.h"

namespace trelvane {

namespace {

// Esc answers with Cancel, or else No, or else OK when that is the dialog's only way out.
constexpr std::array<int, 3> EscapeOrder{MessageDialogButton::Cancel, MessageDialogButton::No,
                                         MessageDialogButton::Ok};

}  // namespace

int QtTaskDialogPresenter::ShowTaskDialogWindow(EntryAddress entry, const std::u16string& title,
                                                const std::u16string& instruction,
                                                const std::u16string& content, int buttons, int icon) {
  // The dialog is drawn by Qt; the bound entry only shows that the platform offers one.
  (void)entry;
  const QString caption = title.empty() ? programTitle_ : ToQString(title);
  TaskDialogWindow dialog(owner_, caption, ToDisplayText(instruction), ToDisplayText(content), buttons, icon);
  return dialog.exec();
}

int QtTaskDialogPresenter::ShowMessageDialog(MessageDialogType type, const std::u16string& content,
                                             int buttons) {
  const std::u16string caption = MessageDialogCaption(type);
  QMessageBox box(MessageBoxIcon(type), caption.empty() ? programTitle_ : ToQString(caption), ToDisplayText(content),
                  QMessageBox::NoButton, owner_);
  box.setObjectName(QStringLiteral("MessageDialog"));
  box.setTextFormat(Qt::PlainText);
  std::map<QAbstractButton*, int> results;
  std::map<int, QPushButton*> byBit;
  for (const MessageDialogButtonCaption& row : MessageDialogButtonCaptions) {
    if ((buttons & row.button) == 0) continue;
    // One role for all keeps the buttons in the dialog's own order on every desktop.
    QPushButton* button = box.addButton(QString::fromUtf16(row.caption), QMessageBox::ActionRole);
    results[button] = row.modalResult;
    byBit[row.button] = button;
  }
  for (int bit : EscapeOrder) {
    if (byBit.count(bit) == 0) continue;
    box.setEscapeButton(byBit[bit]);
    break;
  }
  if (byBit.count(MessageDialogButton::Cancel) != 0) box.setDefaultButton(byBit[MessageDialogButton::Cancel]);
  box.exec();
  const auto pressed = results.find(box.clickedButton());
  // Closing the window without a button gives the dialog's Cancel result.
  return pressed == results.end() ? DialogResult::Cancel : pressed->second;
}

}  // namespace trelvane
