#include "format/erase_job.h"

#include <utility>

namespace trelvane {

SelectedDriveJob::SelectedDriveJob(ProgramState& state, StopToken stop, EraseRequest request)
    : job{state.SelectedEntry(), std::move(state.DriveHandle), {}, stop, std::move(request)}, state_(state) {}

SelectedDriveJob::~SelectedDriveJob() {
  job.lockedVolumes.clear();
  state_.DriveHandle = std::move(job.handle);
}

}  // namespace trelvane
