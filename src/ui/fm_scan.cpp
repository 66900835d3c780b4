#include "ui/fm_scan.h"

namespace trelvane {

TFmScan::TFmScan(QWidget* parent) : QWidget(parent) { setObjectName(QStringLiteral("FmScan")); }

}  // namespace trelvane
