#pragma once
// The scan window: created hidden at start with the others and never shown.

#include "win32/toolkit/window_base.h"

namespace trelvane {

class TFmScan final : public WindowBase {
 public:
  TFmScan();
};

}  // namespace trelvane
