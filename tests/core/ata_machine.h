#pragma once
// An emulated machine with one selected drive, as the main window leaves it before a report: the
// drive-table entry filled and DriveHandle open. Shared by the ATA request and report tests.

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <utility>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/diagnostic_log.h"
#include "common/program_state.h"
#include "common/views.h"
#include "device/probe.h"
#include "recording_views.h"
#include "test_support.h"
#include "os/emulated/emulated_system.h"
#include "os/win_constants.h"
#include "text/u16.h"

namespace trelvane::testing {

class AtaMachine {
 public:
  explicit AtaMachine(std::unique_ptr<EmulatedSystem> machine)
      : system(std::move(machine)), log(*system, state.DebugMode) {}
  // The log refers to this object's own members, so it stays where it was made.
  AtaMachine(const AtaMachine&) = delete;
  AtaMachine& operator=(const AtaMachine&) = delete;

  // Selects drive `number` with the description the probe gives it, opens DriveHandle as the main
  // window does, and forgets the requests made so far.
  void SelectProbedDrive(std::uint32_t number) {
    TDeviceTable& entry = state.DriveTable[1];
    entry.DevicePath = u"\\\\.\\PhysicalDrive" + Decimal(number);
    entry.DeviceNumber = number;
    const Handle probe = system->CreateFileW(entry.DevicePath, Access::GenericRead, Share::ReadWrite);
    ProbeDevice(*system, log, boxes, probe, entry.IdentifyData);
    system->CloseHandle(probe);
    OpenSelected();
  }

  // Selects drive `number` with a hand-made description: bus type and slave selector as given.
  void SelectDrive(std::uint32_t number, std::int64_t busType, std::uint8_t slave) {
    TDeviceTable& entry = state.DriveTable[1];
    entry.DevicePath = u"\\\\.\\PhysicalDrive" + Decimal(number);
    entry.DeviceNumber = number;
    entry.IdentifyData.Model = u"TEST DISK";
    entry.IdentifyData.FW = u"1.0";
    entry.IdentifyData.LBA = 976773168;
    entry.IdentifyData.SectorSize = 512;
    entry.IdentifyData.BusType = busType;
    entry.IdentifyData.IsIDESlave = slave;
    OpenSelected();
  }

  // The device-control requests made since the drive was selected.
  std::vector<RecordedRequest> Controls() const {
    std::vector<RecordedRequest> controls;
    for (const auto& request : system->Requests())
      if (request.call == "DeviceIoControl") controls.push_back(request);
    return controls;
  }

  std::unique_ptr<EmulatedSystem> system;
  ProgramState state;
  DiagnosticLog log;
  RecordingBoxes boxes;
  RecordingSink sink;

 private:
  void OpenSelected() {
    state.SelectedDrive = 1;
    state.DriveCount = 1;
    state.DriveHandle = OpenOwned(*system, state.DriveTable[1].DevicePath,
                                  Access::GenericRead | Access::GenericWrite, Share::None);
    system->ClearRequests();
  }
};

// Joins lines with "\n" after each, as a golden file holds them.
inline std::string JoinedUtf8(const std::vector<std::u16string>& lines) {
  std::string text;
  for (const auto& line : lines) text += ToUtf8(line) + "\n";
  return text;
}

// Compares `lines` with tests/golden/<golden>; TRELVANE_UPDATE_GOLDEN=1 rewrites the file instead.
inline void ExpectGolden(const std::vector<std::u16string>& lines, const std::string& golden) {
  const std::string actual = JoinedUtf8(lines);
  const auto file = TestDataFile("golden/" + golden);
  if (std::getenv("TRELVANE_UPDATE_GOLDEN") != nullptr) WriteTextFile(file, actual);
  EXPECT_EQ(actual, ReadTextFile(file)) << golden;
}

}  // namespace trelvane::testing
