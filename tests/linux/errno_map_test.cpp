// errno to the platform's error codes.

#include "backends/linux/errno_map.h"

#include "backends/linux/disk_claim.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace trelvane::linux_platform {
namespace {

// What an errno means alone, and what the facts found about the device make of it: EIO of an
// unplugged disk is a gone device, EPERM/EACCES on a read-only disk is write protection (and
// read-only facts change no other errno). An unplugged disk's writes fail with ENOSPC once the
// kernel has set its size to 0; a disk of another size is no longer the one being written.
TEST(ErrorFromErrno, PlainAndWithTheDevicesFacts) {
  const ErrnoFacts none, gone{true, false}, readOnly{false, true};
  const std::tuple<int, ErrnoFacts, std::uint32_t> cases[] = {
      {ENOENT, none, 2},     {ENODEV, none, 55},        {ENXIO, none, 55},          {ENOLINK, none, 55},
      {EROFS, none, 19},     {ETIMEDOUT, none, 121},    {ENOMEDIUM, none, 21},      {EBUSY, none, 32},
      {EINVAL, none, 87},    {ENOSPC, none, 27},        {ENOTTY, none, 1},          {EOPNOTSUPP, none, 1},
      {ENODATA, none, 1117}, {EREMOTEIO, none, 1117},   {EILSEQ, none, 1117},       {EIO, none, 1117},
      {EIO, gone, 55},       {EPERM, none, 5},          {EACCES, none, 5},          {EPERM, readOnly, 19},
      {EACCES, readOnly, 19}, {ENOSPC, readOnly, 27},
      {ENOSPC, SizeFacts(1 << 20, 0), 55},       {EIO, SizeFacts(1 << 20, std::nullopt), 55},
      {ENOSPC, SizeFacts(1 << 20, 1 << 19), 1110}, {EIO, SizeFacts(1 << 20, 1 << 21), 1110},
      {ENOSPC, SizeFacts(1 << 20, 1 << 20), 27},   {EIO, SizeFacts(1 << 20, 1 << 20), 1117},
  };
  for (const auto& [error, facts, code] : cases)
    EXPECT_EQ(ErrorFromErrno(error, facts), code)
        << error << " gone " << facts.deviceGone << " read-only " << facts.readOnly << " resized " << facts.sizeChanged;
}

}  // namespace
}  // namespace trelvane::linux_platform
