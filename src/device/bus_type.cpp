#include <array>
#include <utility>

#include "device/probe.h"

namespace trelvane {

namespace {

// STORAGE_BUS_TYPE codes 1 to 15 and 17 (NVMe), and the program's own 200 and 201. Code 16 (storage
// class memory) and every other code are "UNKNOWN".
constexpr std::array<std::pair<std::uint32_t, const char16_t*>, 18> BusTypeNames{{
    {1, u"SCSI"}, {2, u"ATAPI"}, {3, u"ATA"}, {4, u"IEEE 1394"}, {5, u"SSA"}, {6, u"FIBRE"},
    {7, u"USB"}, {8, u"RAID"}, {9, u"ISCSI"}, {10, u"SAS"}, {11, u"SATA"}, {12, u"SD"},
    {13, u"MMC"}, {14, u"VIRTUAL"}, {15, u"FBVIRTUAL"}, {17, u"NVMe"}, {200, u"IMAGE"}, {201, u"FLASH"},
}};

}  // namespace

std::u16string BusTypeName(std::int64_t code) {
  // Only the low 32 bits take part in the look-up.
  const auto low = static_cast<std::uint32_t>(static_cast<std::uint64_t>(code) & 0xFFFFFFFFu);
  for (const auto& [number, name] : BusTypeNames)
    if (number == low) return name;
  return u"UNKNOWN";
}

}  // namespace trelvane
