#pragma once
// Volume discovery: the mounted volume roots and the physical drive each lives on.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "common/diagnostic_log.h"
#include "os/system.h"

namespace trelvane {

// Mounted roots without their trailing backslash ("C:"), from index 0; unused entries are empty.
using VolumeNameList = std::array<std::u16string, 128>;

struct VolumeDeviceNumber {
  bool Valid = false;
  std::uint32_t DeviceType = 0;
  std::uint32_t DeviceNumber = 0;
  std::uint32_t PartitionNumber = 0;
};

void ListLogicalVolumes(System& system, VolumeNameList& list);
VolumeDeviceNumber GetVolumeDeviceNumber(System& system, const std::u16string& name);

// "<prefix><name>      Тип устройства: 7   Номер устройства: 0   Раздел: 1"
std::u16string VolumeLine(std::u16string_view prefix, const std::u16string& name,
                          const VolumeDeviceNumber& number);

// Lists the mounted volumes afresh and hands each one whose device number could be read to `visit`,
// writing the scan's progress lines to the format log in debug mode. Stops, returning false, as
// soon as `visit` returns false.
bool ScanVolumes(System& system, DiagnosticLog& log,
                 const std::function<bool(const std::u16string& name, const VolumeDeviceNumber& number)>& visit);

// True for a disk volume on drive `driveNumber`. Device numbers of other device types (optical
// drives) overlap those of disks.
bool IsVolumeOfDrive(const VolumeDeviceNumber& number, std::int64_t driveNumber);

// The names of the volumes on drive `driveNumber`, separated by one blank; empty when none.
std::u16string DriveVolumeNames(System& system, DiagnosticLog& log, std::int64_t driveNumber);

}  // namespace trelvane
