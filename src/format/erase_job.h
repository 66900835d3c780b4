#pragma once
// One erase run on one drive: everything the run, its verification and the volume lock need, and
// nothing of the rest of the program. The drive inventory and the selection stay in ProgramState.

#include <string>
#include <vector>

#include "common/drive_table.h"
#include "common/program_state.h"
#include "format/erase_method.h"
#include "os/owned_handle.h"

namespace trelvane {

// The Stop of one run. The front end that shows the Stop button owns the flag and sets it; the run
// watches it between blocks and clears it when it has stopped. A token made without a flag never
// stops.
class StopToken {
 public:
  StopToken() = default;
  explicit StopToken(bool& requested) : requested_(&requested) {}
  bool Requested() const { return requested_ != nullptr && *requested_; }
  void Clear() const {
    if (requested_ != nullptr) *requested_ = false;
  }

 private:
  bool* requested_ = nullptr;
};

// A volume of the drive held locked and dismounted for the run: its open handle and its name
// ("C:", "sdb1") for the lines of a refused run.
struct LockedVolume {
  OwnedHandle handle;
  std::u16string name;
};

struct EraseJob {
  TDeviceTable drive;  // the drive's entry, as the user confirmed it
  // The exclusive read-write open the run writes through; the run never replaces or closes it.
  OwnedHandle handle;
  std::vector<LockedVolume> lockedVolumes;  // first locked first
  StopToken stop;
  EraseRequest request;
};

// The job of the selected drive. The drive's handle is the front end's (it also reads SMART through
// it and closes it with the window): the job holds it for the run and gives it back to
// state.DriveHandle when it ends, on every path. Its locked volumes are closed by then.
class SelectedDriveJob {
 public:
  SelectedDriveJob(ProgramState& state, StopToken stop, EraseRequest request);
  ~SelectedDriveJob();
  SelectedDriveJob(const SelectedDriveJob&) = delete;
  SelectedDriveJob& operator=(const SelectedDriveJob&) = delete;

  EraseJob job;

 private:
  ProgramState& state_;
};

}  // namespace trelvane
