#pragma once
// A status bar divided into panels of fixed widths, left to right; a panel that does not fit ends at
// the window's edge instead of widening the window, its text cut with "…" and shown whole in its tooltip.

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
  void ShowPanelText(std::size_t panel);

  QWidget* strip_ = nullptr;
  std::vector<StatusPanelSpec> specs_;
  std::vector<QLabel*> labels_;
  std::vector<QString> texts_;  // each panel's whole text
};

}  // namespace trelvane
