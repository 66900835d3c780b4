#include "ui/toolkit/qt_message_boxes.h"

#include <array>

#include <QMessageBox>
#include <QPushButton>

#include "ui/toolkit/qt_text.h"

namespace trelvane {

namespace {

struct IconRow {
  MessageIcon icon;
  QMessageBox::Icon qtIcon;
};
constexpr std::array<IconRow, 3> Icons{{
    {MessageIcon::Error, QMessageBox::Critical},
    {MessageIcon::Warning, QMessageBox::Warning},
    {MessageIcon::Information, QMessageBox::Information},
}};

QMessageBox::Icon QtIcon(MessageIcon icon) {
  for (const IconRow& row : Icons) {
    if (row.icon == icon) return row.qtIcon;
  }
  return QMessageBox::NoIcon;
}

}  // namespace

void QtMessageBoxes::ShowMessageBox(const std::u16string& text, const std::u16string& caption,
                                    MessageIcon icon) {
  QMessageBox box(QtIcon(icon), ToQString(caption), ToDisplayText(text));
  box.setObjectName(QStringLiteral("MessageBox"));
  // Device and system texts are shown as they are, never read as markup.
  box.setTextFormat(Qt::PlainText);
  QPushButton* ok = box.addButton(QStringLiteral("ОК"), QMessageBox::AcceptRole);
  box.setDefaultButton(ok);
  box.setEscapeButton(ok);
  box.exec();
}

}  // namespace trelvane
