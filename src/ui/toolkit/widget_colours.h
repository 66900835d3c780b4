#pragma once
// Colours of a widget's background and text, set through its palette so that the style still
// draws the widget (a style sheet would replace the style's drawing).

#include <QColor>
#include <QWidget>

namespace trelvane {

inline void FillBackground(QWidget& widget, const QColor& colour) {
  widget.setAutoFillBackground(true);
  QPalette shades = widget.palette();
  shades.setColor(QPalette::Window, colour);
  widget.setPalette(shades);
}

inline void SetTextColour(QWidget& widget, const QColor& colour) {
  QPalette shades = widget.palette();
  shades.setColor(QPalette::WindowText, colour);
  widget.setPalette(shades);
}

}  // namespace trelvane
