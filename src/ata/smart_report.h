#pragma once
// The SMART report: the selected drive's SMART attributes as a fixed-width table.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "common/diagnostic_log.h"
#include "common/program_state.h"
#include "common/views.h"
#include "os/system.h"

namespace trelvane {

// The table's line for one 12-byte attribute record of the SMART data.
std::u16string SmartAttributeLine(std::span<const std::uint8_t, 12> record);

// The column header, the hyphen line, one line per attribute record (up to the first empty one, at
// most 30) and the closing blank line.
std::vector<std::u16string> SmartTableLines(std::span<const std::uint8_t, 512> smartData);

// SMART READ DATA from the selected drive through state.DriveHandle; on an ATA bus SMART operations are
// enabled for the read and disabled again. False when the drive gave no data.
bool ReadDriveSmartData(System& system, const ProgramState& state, std::span<std::uint8_t, 512> data);

// Appends a SMART report for the selected drive (state.SelectedEntry(), through state.DriveHandle) to
// `smart`, the SMART memo, below earlier reports. A drive on an ATA bus has SMART operations enabled
// for the read and is left with them disabled.
void ShowSmartData(System& system, const ProgramState& state, DiagnosticLog& log, LineSink& smart);

}  // namespace trelvane
