#pragma once
// A status bar divided into panels of fixed widths, left to right; a panel that does not fit is cut
// off at the window's edge instead of widening the window.

#include <QStatusBar>
#include <vector>

class QLabel;

namespace trelvane {

struct StatusPanelSpec {
  int widthPixels;
  Qt::Alignment alignment;
};

class StatusPanels final : public QStatusBar {
  Q_OBJECT

 public:
  StatusPanels(const std::vector<StatusPanelSpec>& panels, QWidget* parent = nullptr);

  void SetPanelText(int panel, const QString& text);
  QString PanelText(int panel) const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void PlacePanels();

  QWidget* strip_ = nullptr;
  std::vector<StatusPanelSpec> specs_;
  std::vector<QLabel*> labels_;
};

}  // namespace trelvane
