#include "device/volumes.h"

#include <array>

#include "os/owned_handle.h"
#include "os/win_constants.h"
#include "text/u16.h"

namespace trelvane {

void ListLogicalVolumes(System& system, VolumeNameList& list) {
  for (auto& entry : list) entry.clear();
  std::array<char16_t, 1024> buffer{};
  const std::uint32_t length = system.GetLogicalDriveStringsW(buffer);
  if (length >= buffer.size()) return;

  std::size_t position = 0;
  std::size_t index = 0;
  while (position <= length && position < buffer.size() && buffer[position] != 0 && index < list.size()) {
    std::u16string root;
    while (position < buffer.size() && buffer[position] != 0) root += buffer[position++];
    ++position;
    if (!root.empty() && root.back() == u'\\') root.pop_back();
    list[index++] = root;
  }
}

VolumeDeviceNumber GetVolumeDeviceNumber(System& system, const std::u16string& name) {
  VolumeDeviceNumber result;
  const OwnedHandle volume = OpenOwned(system, u"\\\\.\\" + name, Access::None, Share::ReadWrite);
  if (!volume.IsOpen()) return result;

  VolumeNumber number;
  if (system.VolumeOf(volume.Get())->Number(number).ok) {
    result.DeviceType = number.deviceType;
    result.DeviceNumber = number.deviceNumber;
    result.PartitionNumber = number.partitionNumber;
    result.Valid = true;
  }
  return result;
}

std::u16string VolumeLine(std::u16string_view prefix, const std::u16string& name,
                          const VolumeDeviceNumber& number) {
  return std::u16string(prefix) + name + u"   " + u"   Тип устройства: " + DecimalUnsigned(number.DeviceType) +
         u"   Номер устройства: " + DecimalUnsigned(number.DeviceNumber) + u"   Раздел: " +
         DecimalUnsigned(number.PartitionNumber);
}

bool ScanVolumes(System& system, DiagnosticLog& log,
                 const std::function<bool(const std::u16string& name, const VolumeDeviceNumber& number)>& visit) {
  VolumeNameList volumes;
  log.AddFormatLogLineInDebugMode(u"Поиск разделов...");
  ListLogicalVolumes(system, volumes);
  log.AddFormatLogLineInDebugMode(u"Готово.");
  for (const std::u16string& name : volumes) {
    if (name.empty()) continue;
    log.AddFormatLogLineInDebugMode(u"Получение данных устройства...");
    const VolumeDeviceNumber number = GetVolumeDeviceNumber(system, name);
    log.AddFormatLogLineInDebugMode(u"Готово.");
    if (number.Valid && !visit(name, number)) return false;
  }
  return true;
}

bool IsVolumeOfDrive(const VolumeDeviceNumber& number, std::int64_t driveNumber) {
  return static_cast<std::uint64_t>(number.DeviceNumber) == static_cast<std::uint64_t>(driveNumber) &&
         number.DeviceType == FileDeviceDisk;
}

std::u16string DriveVolumeNames(System& system, DiagnosticLog& log, std::int64_t driveNumber) {
  std::u16string names;
  ScanVolumes(system, log, [&](const std::u16string& name, const VolumeDeviceNumber& number) {
    log.AddDebugLogLine(VolumeLine(u"Найден раздел ", name, number));
    if (IsVolumeOfDrive(number, driveNumber)) names += name + u" ";
    return true;
  });
  return Trim(names);
}

}  // namespace trelvane
