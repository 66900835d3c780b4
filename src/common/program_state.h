#pragma once
// The process-wide values of one program run: the drive inventory, the selection and the values of
// the whole program. The program creates one ProgramState and passes it by reference; tests create
// their own. Nothing else in the program is global. What one erase run needs is its EraseJob.

#include <array>
#include <cstdint>
#include <string>

#include "common/drive_table.h"
#include "os/owned_handle.h"
#include "os/system.h"

namespace trelvane {

inline constexpr std::size_t SetupApiSlotCount = 396;

// The run-time binding of the setup library that start-up requires.
struct SetupApiBinding {
  ModuleHandle LibraryHandle = 0;
  std::int32_t ReferenceCount = 0;
  std::array<EntryAddress, SetupApiSlotCount> SetupApiEntries{};
};

struct ProgramState {
  bool DebugMode = false;
  DriveTableEntries DriveTable;
  std::int64_t DriveCount = 0;
  // Drives the enumeration skipped because opening them was refused for want of rights.
  std::int64_t DrivesDeniedAccess = 0;
  std::int64_t SelectedDrive = -1;  // 1-based index into DriveTable; -1 until the chooser sets it
  bool DriveChosen = false;
  // The exclusive read-write open of the selected drive, the one handle the program writes through.
  // Only the front end that opens the drive replaces or closes it; the reports are handed its value,
  // and a format run holds it for the run's length.
  OwnedHandle DriveHandle;
  std::u16string DriveTitle;
  SetupApiBinding SetupApi;

  TDeviceTable& SelectedEntry() { return DriveTable[SelectedDrive]; }
  const TDeviceTable& SelectedEntry() const { return DriveTable[SelectedDrive]; }
};

}  // namespace trelvane
