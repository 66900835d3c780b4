#pragma once
// The device details report: what the selected drive says about itself in answer to IDENTIFY DEVICE.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "common/diagnostic_log.h"
#include "common/program_state.h"
#include "common/views.h"
#include "ata/identify_data.h"
#include "os/system.h"

namespace trelvane {

// The report's body for a decoded drive, from "Модель: " to the command-queuing lines.
std::vector<std::u16string> DeviceDetailsBody(const T_IDE_PASSPORT& passport, char16_t decimalSeparator);

// IDENTIFY DEVICE for the details of `drive`: drives on an ATA bus sometimes miss the first one after
// being opened, so they get one more try.
bool IdentifyForDetails(System& system, Handle handle, const TIdentifyDeviceData& drive,
                        std::span<std::uint8_t, 512> identify);

// Appends the report for the selected drive (state.SelectedEntry(), through state.DriveHandle) to
// `details`, the details memo; it does not clear it first. Sends IDENTIFY DEVICE, twice for a drive
// on an ATA bus that refuses the first one.
void ShowDeviceDetails(System& system, const ProgramState& state, DiagnosticLog& log, LineSink& details);

}  // namespace trelvane
