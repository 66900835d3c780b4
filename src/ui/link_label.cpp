#include "ui/link_label.h"

#include <QMouseEvent>

#include "ui/toolkit/widget_colours.h"

namespace trelvane {

LinkLabel::LinkLabel(QWidget* parent) : QLabel(parent) {
  setTextFormat(Qt::PlainText);
  setCursor(Qt::PointingHandCursor);
}

void LinkLabel::SetTextColour(const QColor& colour) { trelvane::SetTextColour(*this, colour); }

QColor LinkLabel::TextColour() const { return palette().color(QPalette::WindowText); }

void LinkLabel::enterEvent(QEnterEvent* event) {
  QLabel::enterEvent(event);
  emit mouseEntered();
}

void LinkLabel::leaveEvent(QEvent* event) {
  QLabel::leaveEvent(event);
  emit mouseLeft();
}

void LinkLabel::mousePressEvent(QMouseEvent* event) {
  emit mousePressed(event->button());
  event->accept();
}

// A click is a left-button release over the label, as with the platform's static controls.
void LinkLabel::mouseReleaseEvent(QMouseEvent* event) {
  emit mouseReleased(event->button());
  event->accept();
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) emit clicked();
}

}  // namespace trelvane
