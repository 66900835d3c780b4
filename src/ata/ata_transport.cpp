#include "ata/ata_transport.h"

#include "ata/ata_commands.h"

namespace trelvane {

namespace {

bool Send(System& system, Handle handle, const AtaCommand& command, std::span<std::uint8_t> data) {
  AtaResult result;
  return system.AtaDeviceOf(handle)->PassThrough(command, data, result);
}

}  // namespace

bool EnableSmart(System& system, Handle handle, std::uint8_t selector) {
  return Send(system, handle, SmartEnableOperationsCommand(selector), {});
}

bool DisableSmart(System& system, Handle handle, std::uint8_t selector) {
  return Send(system, handle, SmartDisableOperationsCommand(selector), {});
}

bool ReadSmartData(System& system, Handle handle, std::uint8_t selector, std::span<std::uint8_t, 512> data) {
  return Send(system, handle, SmartReadDataCommand(selector), data);
}

bool IdentifyDevice(System& system, Handle handle, std::uint8_t selector, std::span<std::uint8_t, 512> data) {
  return Send(system, handle, IdentifyDeviceCommand(selector), data);
}

}  // namespace trelvane
