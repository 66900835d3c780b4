#pragma once
// The ATA commands the program sends, built once as values (ACS-3): IDENTIFY DEVICE and the SMART
// sub-commands READ DATA, ENABLE OPERATIONS and DISABLE OPERATIONS. Every backend carries the same
// values, each in its own terms.

#include <cstdint>

#include "os/ata_device.h"

namespace trelvane {

// 0xA0 for a master or single device (selector 0), 0xB0 for a slave (selector 1): the obsolete bits
// 7 and 5 set, bit 4 selecting the device.
std::uint8_t DriveHeadRegister(std::uint8_t selector);

// IDENTIFY DEVICE (ECh): 512 bytes in.
AtaCommand IdentifyDeviceCommand(std::uint8_t selector);
// SMART READ DATA (B0h/D0h): 512 bytes in.
AtaCommand SmartReadDataCommand(std::uint8_t selector);
// SMART ENABLE OPERATIONS (B0h/D8h) and SMART DISABLE OPERATIONS (B0h/D9h): no data.
AtaCommand SmartEnableOperationsCommand(std::uint8_t selector);
AtaCommand SmartDisableOperationsCommand(std::uint8_t selector);

}  // namespace trelvane
