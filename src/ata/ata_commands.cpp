#include "ata/ata_commands.h"

#include "os/ata_registers.h"

namespace trelvane {

namespace {

// Commands that may wake a drive from standby get the time a spin-up takes.
constexpr std::uint32_t SpinUpSeconds = 30;

// The SMART signature: LBA bits 23:8 are C24Fh (the 0x4F/0xC2 pair of the old cylinder registers).
constexpr std::uint64_t SmartSignatureLba = 0xC24F00;

AtaCommand SmartCommand(std::uint8_t feature, AtaDirection direction, std::uint8_t selector) {
  AtaCommand command;
  command.features = feature;
  // Count and LBA bits 7:0 are not used by these sub-commands; 1 is sent in both, as always.
  command.count = 1;
  command.lba = SmartSignatureLba | 1;
  command.device = DriveHeadRegister(selector);
  command.command = AtaOpcode::Smart;
  command.direction = direction;
  command.timeoutSeconds = SpinUpSeconds;
  command.selector = selector;
  return command;
}

}  // namespace

std::uint8_t DriveHeadRegister(std::uint8_t selector) {
  return static_cast<std::uint8_t>(0xA0u | (static_cast<unsigned>(selector) << 4));
}

// The count and LBA bits 7:0 of 1 are sent with IDENTIFY DEVICE too, though the command ignores them.
AtaCommand IdentifyDeviceCommand(std::uint8_t selector) {
  AtaCommand command;
  command.count = 1;
  command.lba = 1;
  command.device = DriveHeadRegister(selector);
  command.command = AtaOpcode::IdentifyDevice;
  command.direction = AtaDirection::In;
  command.timeoutSeconds = SpinUpSeconds;
  command.selector = selector;
  return command;
}

AtaCommand SmartReadDataCommand(std::uint8_t selector) {
  return SmartCommand(SmartFeature::ReadData, AtaDirection::In, selector);
}

AtaCommand SmartEnableOperationsCommand(std::uint8_t selector) {
  return SmartCommand(SmartFeature::EnableOperations, AtaDirection::None, selector);
}

AtaCommand SmartDisableOperationsCommand(std::uint8_t selector) {
  return SmartCommand(SmartFeature::DisableOperations, AtaDirection::None, selector);
}

}  // namespace trelvane
