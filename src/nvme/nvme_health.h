#pragma once
// The SMART / Health Information log of an NVMe drive as the SMART report's fixed-width table.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace trelvane {

// The column header, the hyphen line, one line per field (temperature sensors only where reported)
// and the closing blank line.
std::vector<std::u16string> NvmeHealthLines(std::span<const std::uint8_t, 512> log);

}  // namespace trelvane
