#pragma once
// The drive title every window, report and the command line show for the chosen drive.

#include <cstdint>
#include <string>

#include "common/drive_table.h"

namespace trelvane {

// "[N]  Model    FW    [size]    (LBA SectorSize-байтовых секторов)" of entry `index` (1 to 16).
std::u16string ComposeDriveTitle(const DriveTableEntries& table, std::int64_t index,
                                 char16_t decimalSeparator);

}  // namespace trelvane
