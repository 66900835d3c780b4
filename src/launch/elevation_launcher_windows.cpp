#include "launch/elevation_launcher.h"

namespace trelvane {

// The Windows program's manifest asks for the rights before it starts.
RelaunchOutcome RelaunchWithAdministratorRights(int, char**) { return {}; }

}  // namespace trelvane
