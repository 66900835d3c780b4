#pragma once
// The drive chooser without its window: the texts of its rows, which row is preselected, and the
// rule that refuses a drive too small to work on. Every front end's chooser and the command line's
// drive argument go through it, so a drive is shown and refused the same way everywhere.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "common/drive_table.h"
#include "common/program_state.h"
#include "common/views.h"

namespace trelvane {

// The chooser's columns, left to right.
inline constexpr std::size_t ChooserColumnCount = 6;
using ChooserRowTexts = std::array<std::u16string, ChooserColumnCount>;

// The column captions: bus, model, firmware, serial number, sector count, capacity.
const std::array<const char16_t*, ChooserColumnCount>& ChooserColumnCaptions();

// The six texts of one drive's row. The model carries the drive's volumes in brackets; the
// capacity is the sector count times the drive's own sector size.
ChooserRowTexts ChooserRow(const TDeviceTable& entry, char16_t decimalSeparator);

// One row per drive-table entry, in table order (row 0 is entry 1).
std::vector<ChooserRowTexts> ChooserRows(const ProgramState& state, char16_t decimalSeparator);

// The row the chooser opens with selected: the last one, so that Enter confirms the drive found
// last. -1 when there are no rows.
int PreselectedRow(int rowCount);

// A drive with fewer sectors than this cannot be chosen.
inline constexpr std::int64_t MinimumSectorCount = 65535;
inline constexpr const char16_t* DriveTooSmallText =
    u"К этому устройству нет доступа, потому что в нем меньше 65535 секторов.  ";
inline constexpr const char16_t* DriveTooSmallCaption = u"Нет доступа к этому устройству";

bool IsDriveTooSmall(const TDeviceTable& entry);

// Makes table entry `index` the chosen drive (DriveChosen, SelectedDrive). A drive that is too small
// is refused with its information box instead, and nothing is chosen.
bool ChooseDrive(ProgramState& state, std::int64_t index, MessageBoxes& boxes);

}  // namespace trelvane
