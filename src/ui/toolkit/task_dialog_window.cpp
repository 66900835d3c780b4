#include "ui/toolkit/task_dialog_window.h"

#include <algorithm>
#include <array>

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "ui/toolkit/widget_colours.h"

namespace trelvane {

namespace {

struct CommonButton {
  int flag;               // TaskDialogButton
  const char16_t* caption;
  int pressed;            // PressedButton
  const char16_t* name;   // object name, for tests and accessibility
};
// In the order the platform lays the common buttons out.
constexpr std::array<CommonButton, 6> CommonButtons{{
    {TaskDialogButton::Ok, u"ОК", PressedButton::Ok, u"TaskDialogOk"},
    {TaskDialogButton::Yes, u"&Да", PressedButton::Yes, u"TaskDialogYes"},
    {TaskDialogButton::No, u"&Нет", PressedButton::No, u"TaskDialogNo"},
    {TaskDialogButton::Retry, u"&Повторить", PressedButton::Retry, u"TaskDialogRetry"},
    {TaskDialogButton::Cancel, u"Отмена", PressedButton::Cancel, u"TaskDialogCancel"},
    {TaskDialogButton::Close, u"&Закрыть", PressedButton::Close, u"TaskDialogClose"},
}};

// The look of each dialog type: the message box's icon and the style's picture of it.
struct TypeIcon {
  MessageDialogType type;
  QMessageBox::Icon icon;
  QStyle::StandardPixmap pixmap;
};
constexpr std::array<TypeIcon, 4> TypeIcons{{
    {MessageDialogType::Information, QMessageBox::Information, QStyle::SP_MessageBoxInformation},
    {MessageDialogType::Warning, QMessageBox::Warning, QStyle::SP_MessageBoxWarning},
    {MessageDialogType::Error, QMessageBox::Critical, QStyle::SP_MessageBoxCritical},
    {MessageDialogType::Confirmation, QMessageBox::Question, QStyle::SP_MessageBoxQuestion},
}};

const TypeIcon* IconRow(MessageDialogType type) {
  const auto row = std::find_if(TypeIcons.begin(), TypeIcons.end(), [type](const TypeIcon& icon) { return icon.type == type; });
  return row != TypeIcons.end() ? &*row : nullptr;
}

QLabel* IconLabel(int icon) {
  const TypeIcon* row = IconRow(MessageDialogTypeOfIcon(icon));
  if (row == nullptr) return nullptr;
  auto* label = new QLabel;
  label->setObjectName(QStringLiteral("TaskDialogIcon"));
  label->setPixmap(QApplication::style()->standardIcon(row->pixmap).pixmap(32, 32));
  label->setAlignment(Qt::AlignTop);
  return label;
}

QLabel* TextLabel(const QString& text, const QString& name) {
  auto* label = new QLabel(text);
  label->setObjectName(name);
  label->setTextFormat(Qt::PlainText);
  label->setWordWrap(true);
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  return label;
}

}  // namespace

QMessageBox::Icon MessageBoxIcon(MessageDialogType type) {
  const TypeIcon* row = IconRow(type);
  return row != nullptr ? row->icon : QMessageBox::NoIcon;
}

TaskDialogWindow::TaskDialogWindow(QWidget* owner, const QString& title, const QString& instruction,
                                   const QString& content, int buttons, int icon)
    : QDialog(owner) {
  setObjectName(QStringLiteral("TaskDialog"));
  setWindowTitle(title);
  setModal(true);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(BuildTextPanel(instruction, content, icon), 1);
  layout->addWidget(BuildButtonRow(buttons));
  setMinimumWidth(420);
}

QWidget* TaskDialogWindow::BuildTextPanel(const QString& instruction, const QString& content, int icon) {
  auto* panel = new QWidget;
  FillBackground(*panel, Qt::white);
  auto* row = new QHBoxLayout(panel);
  row->setContentsMargins(12, 12, 12, 16);
  row->setSpacing(12);
  if (QLabel* iconLabel = IconLabel(icon)) row->addWidget(iconLabel);
  auto* texts = new QVBoxLayout;
  texts->setSpacing(10);
  if (!instruction.isEmpty()) {
    QLabel* main = TextLabel(instruction, QStringLiteral("TaskDialogInstruction"));
    QFont font = main->font();
    font.setPointSizeF(font.pointSizeF() > 0 ? font.pointSizeF() + 3 : 12);
    font.setBold(true);
    main->setFont(font);
    SetTextColour(*main, QColor(0, 51, 153));
    texts->addWidget(main);
  }
  if (!content.isEmpty()) {
    QLabel* body = TextLabel(content, QStringLiteral("TaskDialogContent"));
    // Each line of the content on one line of the dialog where the screen allows it.
    int widest = 0;
    for (const QString& line : content.split(u'\n')) widest = std::max(widest, body->fontMetrics().horizontalAdvance(line));
    body->setMinimumWidth(std::min(widest + 8, 720));
    texts->addWidget(body);
  }
  texts->addStretch(1);
  row->addLayout(texts, 1);
  return panel;
}

QWidget* TaskDialogWindow::BuildButtonRow(int buttons) {
  if ((buttons & 0x3F) == 0) buttons = TaskDialogButton::Ok;
  // Made inside the dialog at once, so that the default button and the focus below belong to it.
  auto* panel = new QWidget(this);
  auto* row = new QHBoxLayout(panel);
  row->setContentsMargins(12, 10, 12, 10);
  row->addStretch(1);
  QPushButton* preferred = nullptr;
  for (const CommonButton& common : CommonButtons) {
    if ((buttons & common.flag) == 0) continue;
    auto* button = new QPushButton(QString::fromUtf16(common.caption));
    button->setObjectName(QString::fromUtf16(common.name));
    button->setMinimumWidth(80);
    const int pressed = common.pressed;
    connect(button, &QPushButton::clicked, this, [this, pressed] { done(pressed); });
    row->addWidget(button);
    if (preferred == nullptr) preferred = button;
    if (common.flag == TaskDialogButton::Cancel) {
      cancellable_ = true;
      // Enter alone must never confirm a destructive question: where Cancel is offered it is the
      // button that Enter presses.
      preferred = button;
    }
  }
  preferred->setDefault(true);
  preferred->setFocus();
  return panel;
}

void TaskDialogWindow::reject() {
  if (cancellable_) done(PressedButton::Cancel);
}

}  // namespace trelvane
