#include "win32/fm_scan.h"

#include "win32/control_ids.h"

namespace trelvane {

TFmScan::TFmScan() { Create(FmScanClass, WS_OVERLAPPEDWINDOW, 400, 300); }

}  // namespace trelvane
