#include "nvme/nvme_transport.h"

#include "nvme/nvme_commands.h"

namespace trelvane {

namespace {

bool RunAdmin(System& system, Handle handle, const NvmeCommand& command, std::span<std::uint8_t> data) {
  NvmeCompletion completion;
  return system.NvmeDeviceOf(handle)->Admin(command, data, completion);
}

}  // namespace

bool ReadNvmeIdentifyController(System& system, Handle handle, std::span<std::uint8_t, 4096> data) {
  return RunAdmin(system, handle, IdentifyControllerCommand(), data);
}

bool ReadNvmeActiveNamespaces(System& system, Handle handle, std::span<std::uint8_t, 4096> data) {
  return RunAdmin(system, handle, ActiveNamespaceListCommand(), data);
}

bool ReadNvmeIdentifyNamespace(System& system, Handle handle, std::span<std::uint8_t, 4096> data) {
  return RunAdmin(system, handle, IdentifyNamespaceCommand(), data);
}

bool ReadNvmeHealthLog(System& system, Handle handle, std::span<std::uint8_t, 512> data) {
  return RunAdmin(system, handle, HealthLogCommand(), data);
}

}  // namespace trelvane
