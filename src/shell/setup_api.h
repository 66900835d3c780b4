#pragma once
// Run-time binding of the setup library "SetupApi.dll", which start-up requires.

#include <string>
#include <vector>

#include "common/program_state.h"
#include "os/system.h"

namespace trelvane {

// The 396 exported names in binding order (doubled device-interface look-ups included).
const std::vector<std::string>& SetupApiSlotNames();

bool LoadSetupApi(System& system, SetupApiBinding& binding);
void UnloadSetupApi(System& system, SetupApiBinding& binding);
bool IsSetupApiLoaded(const SetupApiBinding& binding);

}  // namespace trelvane
