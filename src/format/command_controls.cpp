#include "format/command_controls.h"

namespace trelvane {

void SetCommandsEnabled(CommandControls& controls, bool enabled) {
  controls.SetFormatButtonEnabled(enabled);
  controls.SetSmartButtonEnabled(enabled);
  controls.SetEraseOptionsEnabled(enabled);
}

}  // namespace trelvane
