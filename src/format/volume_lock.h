#pragma once
// Takes the mounted volumes of one physical drive off line for a format run and lets them go again.
// Each volume of the drive is opened, locked, dismounted and allowed extended raw I/O; its handle
// stays open in ProgramState::LockedVolumeHandles for the whole run, so no file system can write to
// or remount it while the drive is being zero-filled. Closing the handles releases the locks.

#include <cstdint>

#include "common/diagnostic_log.h"
#include "common/program_state.h"
#include "os/system.h"

namespace trelvane {

// Locks and dismounts every volume on drive `driveNumber`, appending each handle to
// LockedVolumeHandles in order. True when all were locked (also when the drive has none); false at
// the first volume that cannot be opened, locked or dismounted, leaving the handles of the volumes
// locked before it in the list. Call ReleaseLockedVolumes after every attempt.
bool LockDriveVolumes(System& system, DiagnosticLog& log, ProgramState& state, std::int64_t driveNumber);

// Closes every handle in LockedVolumeHandles, first locked first, and empties the list.
void ReleaseLockedVolumes(System& system, ProgramState& state);

}  // namespace trelvane
