#pragma once
// The ATA commands the program sends itself (IDENTIFY DEVICE and three SMART sub-commands), carried
// by the platform's SMART requests, with the storage miniport as the fallback for IDENTIFY DEVICE.
// Every operation answers only true or false: the platform's error code and the driver's status bytes
// are not read. A data buffer is written only on success.

#include <cstdint>
#include <span>

#include "os/ata_registers.h"
#include "os/system.h"

namespace trelvane {

// 0xA0 for a master or single device (selector 0), 0xB0 for a slave (selector 1).
std::uint8_t DriveHeadRegister(std::uint8_t selector);
// A SMART sub-command: the feature, count and number 1, the 0x4F/0xC2 signature, command 0xB0.
AtaRegisters SmartRegisters(std::uint8_t feature, std::uint8_t selector);
AtaRegisters IdentifyRegisters(std::uint8_t selector);

// SMART_SEND_DRIVE_COMMAND without data; true when the request succeeded.
bool SendSmartCommand(System& system, Handle handle, std::uint8_t selector, const AtaRegisters& registers);
// SMART_RCV_DRIVE_DATA with a 512-byte data phase; true when the request succeeded and returned at
// least 512 bytes, of which the last 512 are copied into `data`.
bool ReceiveSmartData(System& system, Handle handle, std::uint8_t selector, const AtaRegisters& registers,
                      std::span<std::uint8_t, 512> data);
// The same through SMART_SEND_DRIVE_COMMAND.
bool SendSmartDataCommand(System& system, Handle handle, std::uint8_t selector,
                          const AtaRegisters& registers, std::span<std::uint8_t, 512> data);

bool EnableSmart(System& system, Handle handle, std::uint8_t selector);
bool DisableSmart(System& system, Handle handle, std::uint8_t selector);
// SMART READ DATA through SMART_RCV_DRIVE_DATA, and once more through SMART_SEND_DRIVE_COMMAND when
// that fails.
bool ReadSmartData(System& system, Handle handle, std::uint8_t selector, std::span<std::uint8_t, 512> data);
// IDENTIFY DEVICE through SMART_RCV_DRIVE_DATA (when SMART_GET_VERSION answers), else through the
// storage miniport.
bool IdentifyDevice(System& system, Handle handle, std::uint8_t selector, std::span<std::uint8_t, 512> data);

}  // namespace trelvane
