#pragma once
// The Identify Controller and Identify Namespace data of an NVMe drive, decoded, and the details
// report's body made from them.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace trelvane {

struct NvmeController {
  std::u16string model;
  std::u16string firmware;
  std::u16string serial;
  std::uint32_t ieeeOui = 0;
  std::uint16_t controllerId = 0;
  std::uint32_t version = 0;          // major (bits 31-16), minor (15-8), tertiary (7-0); 0 = not reported
  std::uint32_t highestNamespaceId = 0;  // NN: the largest id a namespace may have, not how many exist
  std::uint16_t adminCommands = 0;    // OACS
  std::uint8_t formatAttributes = 0;  // FNA
  std::uint16_t nvmCommands = 0;      // ONCS
  std::uint32_t sanitizeCapabilities = 0;
  bool volatileWriteCache = false;
};

struct NvmeLbaFormat {
  std::uint16_t metadataBytes = 0;
  std::uint8_t dataSizeShift = 0;  // the block holds 2^shift bytes
  std::uint8_t performance = 0;    // 0 best ... 3 degraded
};

struct NvmeNamespace {
  std::uint64_t sizeBlocks = 0;
  std::uint64_t capacityBlocks = 0;
  std::uint64_t utilizationBlocks = 0;
  std::size_t formatInUse = 0;
  bool metadataExtended = false;    // FLBAS bit 4: metadata travels at the end of each block
  std::uint8_t protectionType = 0;  // DPS bits 2:0: end-to-end protection information type, 0 none
  bool protectionFirst = false;     // DPS bit 3: the protection information is the metadata's first bytes
  std::vector<NvmeLbaFormat> formats;  // NLBAF + 1 entries, at most 64
};

NvmeController DecodeIdentifyController(std::span<const std::uint8_t, 4096> data);
NvmeNamespace DecodeIdentifyNamespace(std::span<const std::uint8_t, 4096> data);
// The number of ids in an active namespace list (Identify CNS 02h): up to the first zero id.
std::uint32_t CountActiveNamespaces(std::span<const std::uint8_t, 4096> list);

// The report's body, from "Модель: " to the erase capabilities. `activeNamespaces` is how many
// namespaces exist, when the drive gave its list; without it the report shows NN under its own name.
std::vector<std::u16string> NvmeDetailsBody(const NvmeController& controller, const NvmeNamespace& space,
                                            std::optional<std::uint32_t> activeNamespaces = std::nullopt);

}  // namespace trelvane
