#include "format/volume_lock.h"

#include <span>
#include <utility>

#include "device/volumes.h"
#include "os/owned_handle.h"
#include "os/win_constants.h"

namespace trelvane {

namespace {

// A volume request that carries neither input nor output.
bool SendBare(System& system, Handle handle, std::uint32_t code) {
  std::uint32_t returned = 0;
  return system.DeviceIoControl(handle, code, {}, {}, returned);
}

// Locks one volume of the drive; on success its open handle joins LockedVolumeHandles.
bool LockVolume(System& system, DiagnosticLog& log, ProgramState& state, const std::u16string& name) {
  log.AddFormatLogLineInDebugMode(u"Блокировка \\\\.\\" + name);
  // Closed here at once when the lock or the dismount is refused.
  OwnedHandle volume = OpenOwned(system, u"\\\\.\\" + name, Access::GenericRead, Share::ReadWrite);
  if (!volume.IsOpen()) {
    log.AddUnstampedFormatLogLine(u"Неверный дескриптор");
    return false;
  }
  log.AddFormatLogLineInDebugMode(u"Дескриптор получен!");
  log.AddFormatLogLineInDebugMode(u"Блокировка тома...");
  if (!SendBare(system, volume.Get(), Ioctl::FsctlLockVolume)) return false;
  log.AddFormatLogLineInDebugMode(u"Готово.");
  log.AddFormatLogLineInDebugMode(u"Демонтирование тома...");
  if (!SendBare(system, volume.Get(), Ioctl::FsctlDismountVolume)) return false;
  log.AddFormatLogLineInDebugMode(u"Готово.");
  log.AddFormatLogLineInDebugMode(u"Расширение ввода-вывода...");
  // Without extended I/O the last sectors of a volume may be refused; the run reports any such
  // write, so the request's own outcome does not matter.
  SendBare(system, volume.Get(), Ioctl::FsctlAllowExtendedDasdIo);
  log.AddFormatLogLineInDebugMode(u"Готово.");
  state.LockedVolumeHandles.push_back(std::move(volume));
  return true;
}

}  // namespace

bool LockDriveVolumes(System& system, DiagnosticLog& log, ProgramState& state, std::int64_t driveNumber) {
  return ScanVolumes(system, log, [&](const std::u16string& name, const VolumeDeviceNumber& number) {
    log.AddFormatLogLineInDebugMode(VolumeLine(u"Найденный раздел ", name, number));
    return !IsVolumeOfDrive(number, driveNumber) || LockVolume(system, log, state, name);
  });
}

void ReleaseLockedVolumes(ProgramState& state) {
  for (OwnedHandle& volume : state.LockedVolumeHandles) volume.Close();
  state.LockedVolumeHandles.clear();
}

LockedVolumes::LockedVolumes(System& system, DiagnosticLog& log, ProgramState& state)
    : system_(system), log_(log), state_(state) {}

LockedVolumes::~LockedVolumes() { Release(); }

bool LockedVolumes::Lock(std::int64_t driveNumber) {
  return LockDriveVolumes(system_, log_, state_, driveNumber);
}

void LockedVolumes::Release() { ReleaseLockedVolumes(state_); }

}  // namespace trelvane
