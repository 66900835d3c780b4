#pragma once
// Health at a glance: a plain verdict on the selected drive, the reason for it, the few figures a user
// looks at first, and a warning when the drive's password security will outlive an erase. Built from
// the SMART data of an ATA drive or the SMART / Health log of an NVMe drive; the details page shows it
// above the details report.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "ata/ata_erase_capabilities.h"
#include "common/program_state.h"
#include "os/system.h"

namespace trelvane {

enum class HealthVerdict : std::uint8_t { Unknown, Good, Worn, Faulty };

struct DriveHealth {
  HealthVerdict verdict = HealthVerdict::Unknown;
  std::u16string reason;             // why the verdict, in a few words
  std::u16string figures;            // temperature, hours and the counters the verdict reads
  std::u16string securityWarning;    // empty unless password security is enabled or the drive is locked
};

// From the 512 bytes of SMART READ DATA.
DriveHealth AtaHealth(std::span<const std::uint8_t, 512> smartData);
// From the 512 bytes of the NVMe SMART / Health Information log.
DriveHealth NvmeHealth(std::span<const std::uint8_t, 512> healthLog);
// Empty when neither enabled nor locked: an erase by writing cannot take a password off.
std::u16string SecurityWarning(const AtaSecurityState& security);

// The lines the windows show: the verdict with its reason, the figures, the warning when there is one.
std::vector<std::u16string> HealthLines(const DriveHealth& health);

// Reads what the verdict needs from the selected drive through state.DriveHandle. An ATA drive is
// asked for IDENTIFY DEVICE and, when SMART is enabled on it, SMART READ DATA; SMART is never switched
// on or off here (the SMART page's report does that, on request). An NVMe drive is asked for its log.
DriveHealth ReadDriveHealth(System& system, const ProgramState& state);

}  // namespace trelvane
