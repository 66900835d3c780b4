#pragma once
// The ATA commands the program sends itself (IDENTIFY DEVICE and three SMART sub-commands), built in
// ata_commands.h and carried by the drive's AtaDevice. Every operation answers only true or false;
// a data buffer is written only on success.

#include <cstdint>
#include <span>

#include "os/system.h"

namespace trelvane {

bool EnableSmart(System& system, Handle handle, std::uint8_t selector);
bool DisableSmart(System& system, Handle handle, std::uint8_t selector);
bool ReadSmartData(System& system, Handle handle, std::uint8_t selector, std::span<std::uint8_t, 512> data);
bool IdentifyDevice(System& system, Handle handle, std::uint8_t selector, std::span<std::uint8_t, 512> data);

}  // namespace trelvane
