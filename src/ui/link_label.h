#pragma once
// A label that behaves as a link: hand cursor, and the mouse events the windows colour it by.

#include <QLabel>

namespace trelvane {

// The colours the link labels take: at rest (grey in the main window, blue in the chooser), under
// the pointer, and while the left button is held on them.
inline QColor LinkGrey() { return {128, 128, 128}; }
inline QColor LinkBlue() { return {0, 0, 255}; }
inline QColor LinkRed() { return {255, 0, 0}; }

class LinkLabel final : public QLabel {
  Q_OBJECT

 public:
  explicit LinkLabel(QWidget* parent = nullptr);

  // The colour of the label's text.
  void SetTextColour(const QColor& colour);
  QColor TextColour() const;

 signals:
  void clicked();
  void mouseEntered();
  void mouseLeft();
  void mousePressed(Qt::MouseButton button);
  void mouseReleased(Qt::MouseButton button);

 protected:
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
};

}  // namespace trelvane
