// The NVMe decoders on arbitrary bytes: Identify Controller, Identify Namespace (the LBA format
// table, the format in use past the table, block-size shifts up to 255) and the health log with its
// 128-bit counters. The input is cut or zero-padded to each structure's size.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

#include "nvme/nvme_health.h"
#include "nvme/nvme_identify.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::array<std::uint8_t, 4096> controller{};
  std::array<std::uint8_t, 4096> space{};
  std::array<std::uint8_t, 512> log{};
  std::copy_n(data, std::min(size, controller.size()), controller.begin());
  // The namespace and the log read the input from its end, so one input moves every structure.
  for (std::size_t i = 0; i < space.size() && i < size; ++i) space[i] = data[size - 1 - i];
  std::copy_n(data, std::min(size, log.size()), log.begin());
  const auto lines = trelvane::NvmeDetailsBody(trelvane::DecodeIdentifyController(controller),
                                               trelvane::DecodeIdentifyNamespace(space),
                                               trelvane::CountActiveNamespaces(controller));
  const auto health = trelvane::NvmeHealthLines(log);
  static_cast<void>(lines);
  static_cast<void>(health);
  return 0;
}
