#pragma once
// The device description of one drive and the process-wide drive table.

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>

namespace trelvane {

// What a drive says about itself, as the probe found it.
struct TIdentifyDeviceData {
  std::u16string Model;
  std::u16string FW;
  std::u16string SN;
  std::int64_t LBA = 0;                     // number of sectors
  std::int64_t SectorSize = 0;              // bytes per sector, never below 512 once probed
  std::int64_t BusType = 0;                 // STORAGE_BUS_TYPE code, 201 when the adapter did not answer
  std::int64_t MaximumSectorsTransfer = 0;  // at most 250
  bool RemovableMedia = false;
  std::uint8_t IsIDESlave = 0;              // 1 in a slave position (ATA and SATA buses only)
};

// Describes a drive found by the enumeration; it does not operate on it (see DriveHandle).
struct TDeviceTable {
  std::u16string DevicePath;      // "\\.\PhysicalDrive" + number
  std::uint32_t DeviceNumber = 0;
  TIdentifyDeviceData IdentifyData;
  bool IsFile = false;            // the five image-file fields are part of the record and stay empty
  std::u16string FilePath;
  std::int64_t FileSize = 0;
  bool IsCompressed = false;
  std::u16string FileVersion;
  std::u16string AssociatedPartitions;  // volume names separated by one blank
  std::u16string FirstNameOfStorage;    // set when the drive is a second name of an earlier drive's storage
};

// Sixteen entries indexed 1 to 16; the enumeration fills at most 15.
class DriveTableEntries {
 public:
  static constexpr std::int64_t Capacity = 16;

  TDeviceTable& operator[](std::int64_t index) { return entries_.at(Slot(index)); }
  const TDeviceTable& operator[](std::int64_t index) const { return entries_.at(Slot(index)); }

 private:
  static std::size_t Slot(std::int64_t index) {
    if (index < 1 || index > Capacity) throw std::out_of_range("drive table index outside 1 to 16");
    return static_cast<std::size_t>(index - 1);
  }
  std::array<TDeviceTable, Capacity> entries_{};
};

}  // namespace trelvane
