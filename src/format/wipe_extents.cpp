#include "format/wipe_extents.h"

#include <algorithm>

namespace trelvane {

std::vector<WipeExtent> PlanWipeExtents(std::int64_t deviceBytes, bool quick) {
  if (deviceBytes <= 0) return {};
  if (!quick) return {{0, deviceBytes}};
  const std::int64_t headEnd = std::min(deviceBytes, QuickWipeLimit);
  const std::int64_t tailStart = std::max(headEnd, deviceBytes - QuickWipeTailBytes);
  if (tailStart == headEnd) return {{0, deviceBytes}};
  return {{0, headEnd}, {tailStart, deviceBytes}};
}

}  // namespace trelvane
