#include "format/erase_method.h"

#include <algorithm>

#include "format/erase_job.h"
#include "format/verification.h"
#include "format/zero_fill.h"

namespace trelvane {

namespace {

// Zeros written over the method's extents and read back as zeros.
class ZeroWrite : public EraseMethod {
 public:
  EraseRunOutcome Run(System& system, EraseJob& job, DiagnosticLog& log, ProgressView& view) const override {
    return RunZeroFill(system, job, log, view);
  }
  VerificationOutcome Verify(System& system, EraseJob& job, DiagnosticLog& log, ProgressView& view,
                             const EraseRunOutcome& run) const override {
    return RunVerification(system, job, log, view, run.failedWrites);
  }
};

class WholeDisk final : public ZeroWrite {
 public:
  std::vector<WipeExtent> Extents(std::int64_t deviceBytes) const override {
    if (deviceBytes <= 0) return {};
    return {{0, deviceBytes}};
  }
  EraseMethodNames Names() const override {
    return {"full_zero_fill", "whole_disk", "полное заполнение нулями", "СТЕРТО: все байты записаны нулями", false};
  }
};

// A drive smaller than both extents together is one extent over the whole drive.
class HeadAndTail final : public ZeroWrite {
 public:
  std::vector<WipeExtent> Extents(std::int64_t deviceBytes) const override {
    if (deviceBytes <= 0) return {};
    const std::int64_t headEnd = std::min(deviceBytes, QuickWipeLimit);
    const std::int64_t tailStart = std::max(headEnd, deviceBytes - QuickWipeTailBytes);
    if (tailStart == headEnd) return {{0, deviceBytes}};
    return {{0, headEnd}, {tailStart, deviceBytes}};
  }
  EraseMethodNames Names() const override {
    return {"quick_wipe", "head_and_tail", "быстрая очистка (начало и конец устройства)",
            "БЫСТРАЯ ОЧИСТКА: записаны нулями только начало и конец диска", true};
  }
};

}  // namespace

const EraseMethod& WholeDiskZeroFill() {
  static const WholeDisk method;
  return method;
}

const EraseMethod& QuickWipe() {
  static const HeadAndTail method;
  return method;
}

}  // namespace trelvane
