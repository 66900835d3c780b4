#include "format/volume_lock.h"

#include <memory>
#include <utility>

#include "common/system_error_text.h"
#include "device/volumes.h"
#include "os/owned_handle.h"
#include "os/win_constants.h"
#include "text/u16.h"

namespace trelvane {

namespace {

// Locks one volume of the drive; on success it joins the job's lockedVolumes.
bool LockVolume(System& system, DiagnosticLog& log, EraseJob& job, const std::u16string& name) {
  log.AddFormatLogLineInDebugMode(u"Блокировка \\\\.\\" + name);
  // Closed here at once when the lock or the dismount is refused.
  OwnedHandle volume = OpenOwned(system, u"\\\\.\\" + name, Access::GenericRead, Share::ReadWrite);
  if (!volume.IsOpen()) {
    log.AddUnstampedFormatLogLine(u"Неверный дескриптор");
    return false;
  }
  log.AddFormatLogLineInDebugMode(u"Дескриптор получен!");
  log.AddFormatLogLineInDebugMode(u"Блокировка тома...");
  const std::unique_ptr<VolumeControl> control = system.VolumeOf(volume.Get());
  if (!control->Lock().ok) return false;
  log.AddFormatLogLineInDebugMode(u"Готово.");
  log.AddFormatLogLineInDebugMode(u"Демонтирование тома...");
  if (!control->Dismount().ok) return false;
  log.AddFormatLogLineInDebugMode(u"Готово.");
  log.AddFormatLogLineInDebugMode(u"Расширение ввода-вывода...");
  // Without extended I/O the last sectors of a volume may be refused; the run reports any such
  // write, so the request's own outcome does not matter.
  control->AllowExtendedIo();
  log.AddFormatLogLineInDebugMode(u"Готово.");
  job.lockedVolumes.push_back({std::move(volume), name});
  return true;
}

}  // namespace

bool LockDriveVolumes(System& system, DiagnosticLog& log, EraseJob& job) {
  const std::int64_t driveNumber = job.drive.DeviceNumber;
  return ScanVolumes(system, log, [&](const std::u16string& name, const VolumeDeviceNumber& number) {
    log.AddFormatLogLineInDebugMode(VolumeLine(u"Найденный раздел ", name, number));
    return !IsVolumeOfDrive(number, driveNumber) || LockVolume(system, log, job, name);
  });
}

void ReleaseLockedVolumes(EraseJob& job) {
  for (LockedVolume& volume : job.lockedVolumes) volume.handle.Close();
  job.lockedVolumes.clear();
}

void UnlockLockedVolumes(System& system, DiagnosticLog& log, EraseJob& job) {
  for (const LockedVolume& locked : job.lockedVolumes) {
    const std::u16string volume = u"\\\\.\\" + locked.name;
    const QueryStatus unlocked = system.VolumeOf(locked.handle.Get())->Unlock();
    if (unlocked.ok) {
      log.AddDebugLogLine(u"Том " + volume + u" снова подключен.");
      continue;
    }
    const std::uint32_t code = unlocked.error;
    std::u16string text = SystemErrorText(system, code);
    if (!text.empty()) text = u" - " + text;
    log.AddFormatLogLine(u"Не удалось снова подключить том " + volume + u":   " + DecimalUnsigned(code) + text +
                         u". Том остался отключенным.");
  }
}

void LogUnrestoredMounts(System& system, DiagnosticLog& log) {
  for (const UnrestoredMount& mount : system.TakeUnrestoredMounts()) {
    std::u16string text = SystemErrorText(system, mount.error);
    if (!text.empty()) text = u" - " + text;
    log.AddFormatLogLine(u"Не удалось снова смонтировать файловую систему в " + mount.mountPoint + u":   " +
                         DecimalUnsigned(mount.error) + text + u".");
  }
}

LockedVolumes::LockedVolumes(System& system, DiagnosticLog& log, EraseJob& job)
    : system_(system), log_(log), job_(job) {}

LockedVolumes::~LockedVolumes() { Release(); }

bool LockedVolumes::Lock() { return LockDriveVolumes(system_, log_, job_); }

void LockedVolumes::GiveBack() { UnlockLockedVolumes(system_, log_, job_); }

void LockedVolumes::Release() {
  ReleaseLockedVolumes(job_);
  LogUnrestoredMounts(system_, log_);
}

}  // namespace trelvane
