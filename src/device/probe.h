#pragma once
// Asks one open physical drive what it is.

#include <cstdint>
#include <string>

#include "common/diagnostic_log.h"
#include "common/views.h"
#include "common/drive_table.h"
#include "os/system.h"

namespace trelvane {

// Fills `description` from the drive's geometry, length, adapter and device properties and returns
// 0, or returns -1 (leaving `description` as it was) when the geometry or length request failed.
// A device property request failing with a non-zero code shows the fatal box and throws
// ProgramTermination.
std::int64_t ProbeDevice(System& system, DiagnosticLog& log, MessageBoxes& boxes, Handle handle,
                         TIdentifyDeviceData& description);

// Decodes a 40-character serial written as 20 bytes of hexadecimal digits (in place).
void DecodeHexSerial(DiagnosticLog& log, std::u16string& serial);

// True when the ATA device sits in a slave position.
bool QueryIdeSlave(System& system, Handle handle);

// The name text of a bus type code ("SATA", "UNKNOWN" ...).
std::u16string BusTypeName(std::int64_t code);

}  // namespace trelvane
