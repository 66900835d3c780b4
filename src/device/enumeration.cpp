#include "device/enumeration.h"

#include "device/probe.h"
#include "device/volumes.h"
#include "os/owned_handle.h"
#include "os/win_constants.h"
#include "text/u16.h"

namespace trelvane {

namespace {

constexpr std::int64_t MaximumDrives = 15;
constexpr int HighestDriveNumber = 255;

// Opens, probes and describes drive `number`; adds it to the table when the probe succeeded.
void VisitDrive(System& system, DiagnosticLog& log, MessageBoxes& boxes, ProgramState& state, int number) {
  const std::u16string path = u"\\\\.\\PhysicalDrive" + Decimal(number);
  log.AddDebugLogLine(u"Попытка устройства " + path);
  // Closed when the visit ends, also when the probe ends the program.
  const OwnedHandle handle = OpenOwned(system, path, Access::GenericRead, Share::ReadWrite);
  if (!handle.IsOpen()) {
    if (system.GetLastError() == ErrorCode::AccessDenied) ++state.DrivesDeniedAccess;
    log.AddDebugLogLine(u"Неверный дескриптор, пропуск");
    return;
  }
  log.AddDebugLogLine(u"Идентификация устройства...");
  TIdentifyDeviceData description;
  const bool probed = ProbeDevice(system, log, boxes, handle.Get(), description) == 0;
  log.AddDebugLogLine(u"Готово. Состояние = " + std::u16string(probed ? u"-1" : u"0") + u"; " +
                      description.Model + u"  " + description.SN);
  log.AddDebugLogLine(u"Получение информации раздела...");
  const std::u16string volumes = DriveVolumeNames(system, log, number);
  log.AddDebugLogLine(u"Разделы: " + volumes);
  if (probed) {
    ++state.DriveCount;
    TDeviceTable& entry = state.DriveTable[state.DriveCount];
    entry = TDeviceTable{};
    entry.DevicePath = path;
    entry.DeviceNumber = static_cast<std::uint32_t>(number);
    entry.IdentifyData = description;
    entry.AssociatedPartitions = volumes;
    entry.FirstNameOfStorage = system.FirstNameOfSameStorage(static_cast<std::uint32_t>(number));
  }
}

}  // namespace

void EnumerateDrives(System& system, DiagnosticLog& log, MessageBoxes& boxes, StartupWindows& windows,
                     ProgramState& state) {
  log.AddDebugLogLine(u"Итерация через устройства...");
  for (int number = 0; number <= HighestDriveNumber && state.DriveCount < MaximumDrives; ++number)
    VisitDrive(system, log, boxes, state, number);
  windows.SetChooserStatusText(u"Найдено дисков: " + Decimal(state.DriveCount));
}

}  // namespace trelvane
