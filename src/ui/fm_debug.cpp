#include "ui/fm_debug.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QScreen>
#include <QVBoxLayout>

#include "ui/toolkit/system_font.h"

namespace trelvane {

namespace {

QPlainTextEdit* MakeMemo(QWidget* parent) {
  auto* memo = new QPlainTextEdit(parent);
  memo->setObjectName(QStringLiteral("Memo1"));
  memo->setLineWrapMode(QPlainTextEdit::NoWrap);
  memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  // Editable, yet Tab moves the focus on, as in the main window's memos.
  memo->setTabChangesFocus(true);
  memo->setPlainText(QStringLiteral("Окно отладки"));
  return memo;
}

}  // namespace

TFmDebug::TFmDebug(QWidget* parent)
    : QDialog(parent), Memo1(MakeMemo(this)), debugSink_(*Memo1) {
  setObjectName(QStringLiteral("FmDebug"));
  setWindowTitle(QStringLiteral("Отладка"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  setFont(TahomaPointFont(8));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(Memo1);
  resize(635, 337);
}

void TFmDebug::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect frame = frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
  }
}

void TFmDebug::keyPressEvent(QKeyEvent* event) {
  if (event->matches(QKeySequence::Cancel)) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

}  // namespace trelvane
