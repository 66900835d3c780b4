#include "ui/status_panels.h"

#include <QEvent>
#include <QLabel>

namespace trelvane {

StatusPanels::StatusPanels(const std::vector<StatusPanelSpec>& panels, QWidget* parent)
    : QStatusBar(parent), specs_(panels) {
  setSizeGripEnabled(true);
  strip_ = new QWidget(this);
  strip_->setMinimumSize(0, fontMetrics().height() + 4);
  strip_->installEventFilter(this);
  addWidget(strip_, 1);
  for (std::size_t index = 0; index < specs_.size(); ++index) {
    auto* label = new QLabel(strip_);
    label->setObjectName(QStringLiteral("StatusBarPanel%1").arg(index));
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(specs_[index].alignment | Qt::AlignVCenter);
    label->setFrameShape(QFrame::StyledPanel);
    label->setFrameShadow(QFrame::Sunken);
    labels_.push_back(label);
  }
}

void StatusPanels::SetPanelText(int panel, const QString& text) {
  labels_.at(static_cast<std::size_t>(panel))->setText(text);
}

QString StatusPanels::PanelText(int panel) const { return labels_.at(static_cast<std::size_t>(panel))->text(); }

bool StatusPanels::eventFilter(QObject* watched, QEvent* event) {
  if (watched == strip_ && event->type() == QEvent::Resize) PlacePanels();
  return QStatusBar::eventFilter(watched, event);
}

void StatusPanels::PlacePanels() {
  int left = 0;
  for (std::size_t index = 0; index < labels_.size(); ++index) {
    labels_[index]->setGeometry(left, 0, specs_[index].widthPixels - 2, strip_->height());
    left += specs_[index].widthPixels;
  }
}

}  // namespace trelvane
