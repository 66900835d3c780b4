#include "format/command_controls.h"

namespace trelvane {

void SetCommandsEnabled(CommandControls& controls, bool enabled) {
  controls.SetRunBenchmarksEnabled(enabled);
  controls.SetGetSmartEnabled(enabled);
  controls.SetQuickWipeEnabled(enabled);
}

}  // namespace trelvane
