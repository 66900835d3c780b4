#include "ui/status_panels.h"

#include <algorithm>

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
    texts_.emplace_back();
  }
}

void StatusPanels::SetPanelText(int panel, const QString& text) {
  texts_.at(static_cast<std::size_t>(panel)) = text;
  ShowPanelText(static_cast<std::size_t>(panel));
}

QString StatusPanels::PanelText(int panel) const { return texts_.at(static_cast<std::size_t>(panel)); }

// A text wider than the visible part of its panel ends in "…" at a character's edge, and the panel's
// tooltip holds it whole.
void StatusPanels::ShowPanelText(std::size_t panel) {
  QLabel* label = labels_[panel];
  const QString& text = texts_[panel];
  const int room = label->contentsRect().width() - 2 * label->margin() - 4;
  const QString shown = label->fontMetrics().elidedText(text, Qt::ElideRight, std::max(room, 0));
  label->setText(shown);
  label->setToolTip(shown == text ? QString() : text);
}

bool StatusPanels::eventFilter(QObject* watched, QEvent* event) {
  if (watched == strip_ && event->type() == QEvent::Resize) PlacePanels();
  return QStatusBar::eventFilter(watched, event);
}

void StatusPanels::PlacePanels() {
  int left = 0;
  for (std::size_t index = 0; index < labels_.size(); ++index) {
    // A panel ends at the window's edge at the latest, so that its text can be cut where it is seen.
    const int width = std::clamp(strip_->width() - left, 0, specs_[index].widthPixels - 2);
    labels_[index]->setGeometry(left, 0, width, strip_->height());
    ShowPanelText(index);
    left += specs_[index].widthPixels;
  }
}

}  // namespace trelvane
