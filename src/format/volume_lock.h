#pragma once
// Takes the mounted volumes of one physical drive off line for a format run and lets them go again.
// Each volume of the drive is opened, locked, dismounted and allowed extended raw I/O; its handle
// stays open in the job's lockedVolumes for the whole run, so no file system can write to
// or remount it while the drive is being zero-filled. Closing the handles releases the locks.

#include "common/diagnostic_log.h"
#include "format/erase_job.h"
#include "os/system.h"

namespace trelvane {

// Locks and dismounts every volume on the job's drive, appending each to the job's lockedVolumes in
// order. True when all were locked (also when the drive has none); false at the first volume that
// cannot be opened, locked or dismounted, leaving the volumes locked before it in the list. Call
// ReleaseLockedVolumes after every attempt.
bool LockDriveVolumes(System& system, DiagnosticLog& log, EraseJob& job);

// Closes every handle in the job's lockedVolumes, first locked first, and empties the list.
void ReleaseLockedVolumes(EraseJob& job);

// Unlocks every volume in the job's lockedVolumes so that its file system comes back, for a format
// that was refused before anything was written: the debug log says which came back, the format log
// which did not.
void UnlockLockedVolumes(System& system, DiagnosticLog& log, EraseJob& job);

// One format-log line for each mount the system could not restore when volumes were given back or
// a refused lock mounted back what it had unmounted.
void LogUnrestoredMounts(System& system, DiagnosticLog& log);

// The locks of one format run. Whatever Lock took is released by Release or, when the run is left by
// an exception (a fatal box, a failing platform), when the guard goes out of scope: a volume left
// locked would stay dismounted and unusable until the program ends.
class LockedVolumes {
 public:
  LockedVolumes(System& system, DiagnosticLog& log, EraseJob& job);
  ~LockedVolumes();
  LockedVolumes(const LockedVolumes&) = delete;
  LockedVolumes& operator=(const LockedVolumes&) = delete;

  // LockDriveVolumes.
  bool Lock();
  // UnlockLockedVolumes: the disk stays as it was, its file systems come back.
  void GiveBack();
  // ReleaseLockedVolumes, then LogUnrestoredMounts; nothing happens when it has already run.
  void Release();

 private:
  System& system_;
  DiagnosticLog& log_;
  EraseJob& job_;
};

}  // namespace trelvane
