#include "format/volume_lock.h"

#include <span>

#include "device/volumes.h"
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
  const Handle volume = system.CreateFileW(u"\\\\.\\" + name, Access::GenericRead, Share::ReadWrite);
  if (volume == InvalidHandle) {
    log.AddUnstampedFormatLogLine(u"Неверный дескриптор");
    return false;
  }
  log.AddFormatLogLineInDebugMode(u"Дескриптор получен!");
  log.AddFormatLogLineInDebugMode(u"Блокировка тома...");
  if (!SendBare(system, volume, Ioctl::FsctlLockVolume)) {
    system.CloseHandle(volume);
    return false;
  }
  log.AddFormatLogLineInDebugMode(u"Готово.");
  log.AddFormatLogLineInDebugMode(u"Демонтирование тома...");
  if (!SendBare(system, volume, Ioctl::FsctlDismountVolume)) {
    system.CloseHandle(volume);
    return false;
  }
  log.AddFormatLogLineInDebugMode(u"Готово.");
  log.AddFormatLogLineInDebugMode(u"Расширение ввода-вывода...");
  // Without extended I/O the last sectors of a volume may be refused; the run reports any such
  // write, so the request's own outcome does not matter.
  SendBare(system, volume, Ioctl::FsctlAllowExtendedDasdIo);
  log.AddFormatLogLineInDebugMode(u"Готово.");
  state.LockedVolumeHandles.push_back(volume);
  return true;
}

}  // namespace

bool LockDriveVolumes(System& system, DiagnosticLog& log, ProgramState& state, std::int64_t driveNumber) {
  return ScanVolumes(system, log, [&](const std::u16string& name, const VolumeDeviceNumber& number) {
    log.AddFormatLogLineInDebugMode(VolumeLine(u"Найденный раздел ", name, number));
    return !IsVolumeOfDrive(number, driveNumber) || LockVolume(system, log, state, name);
  });
}

void ReleaseLockedVolumes(System& system, ProgramState& state) {
  for (const Handle volume : state.LockedVolumeHandles) system.CloseHandle(volume);
  state.LockedVolumeHandles.clear();
}

}  // namespace trelvane
