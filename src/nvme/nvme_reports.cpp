#include "nvme/nvme_reports.h"

#include <array>

#include "nvme/nvme_health.h"
#include "nvme/nvme_identify.h"
#include "nvme/nvme_transport.h"

namespace trelvane {

std::optional<std::vector<std::u16string>> ReadNvmeDetails(System& system, Handle handle) {
  std::array<std::uint8_t, 4096> controller{};
  std::array<std::uint8_t, 4096> space{};
  if (!ReadNvmeIdentifyController(system, handle, controller)) return std::nullopt;
  // Not every driver passes the namespace list on; the report then names NN for what it is.
  std::array<std::uint8_t, 4096> list{};
  std::optional<std::uint32_t> activeNamespaces;
  if (ReadNvmeActiveNamespaces(system, handle, list)) activeNamespaces = CountActiveNamespaces(list);
  if (!ReadNvmeIdentifyNamespace(system, handle, space)) return std::nullopt;
  return NvmeDetailsBody(DecodeIdentifyController(controller), DecodeIdentifyNamespace(space), activeNamespaces);
}

std::optional<std::vector<std::u16string>> ReadNvmeHealth(System& system, Handle handle) {
  std::array<std::uint8_t, 512> log{};
  if (!ReadNvmeHealthLog(system, handle, log)) return std::nullopt;
  return NvmeHealthLines(log);
}

}  // namespace trelvane
