#pragma once
// The scan window: created at start with the others and never shown.

#include <QWidget>

namespace trelvane {

class TFmScan final : public QWidget {
  Q_OBJECT

 public:
  explicit TFmScan(QWidget* parent = nullptr);
};

}  // namespace trelvane
