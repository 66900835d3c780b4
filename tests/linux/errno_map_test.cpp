// errno to the platform's error codes.

#include "backends/linux/errno_map.h"

#include "backends/linux/disk_claim.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace trelvane::linux_platform {
namespace {

TEST(ErrorFromErrno, PlainErrnos) {
  EXPECT_EQ(ErrorFromErrno(ENOENT), 2u);
  EXPECT_EQ(ErrorFromErrno(ENODEV), 55u);
  EXPECT_EQ(ErrorFromErrno(ENXIO), 55u);
  EXPECT_EQ(ErrorFromErrno(ENOLINK), 55u);
  EXPECT_EQ(ErrorFromErrno(EROFS), 19u);
  EXPECT_EQ(ErrorFromErrno(ETIMEDOUT), 121u);
  EXPECT_EQ(ErrorFromErrno(ENOMEDIUM), 21u);
  EXPECT_EQ(ErrorFromErrno(EBUSY), 32u);
  EXPECT_EQ(ErrorFromErrno(EINVAL), 87u);
  EXPECT_EQ(ErrorFromErrno(ENOSPC), 27u);
  EXPECT_EQ(ErrorFromErrno(ENOTTY), 1u);
  EXPECT_EQ(ErrorFromErrno(EOPNOTSUPP), 1u);
  EXPECT_EQ(ErrorFromErrno(ENODATA), 1117u);
  EXPECT_EQ(ErrorFromErrno(EREMOTEIO), 1117u);
  EXPECT_EQ(ErrorFromErrno(EILSEQ), 1117u);
}

TEST(ErrorFromErrno, EioOfAnUnpluggedDiskIsDeviceGone) {
  EXPECT_EQ(ErrorFromErrno(EIO), 1117u);
  EXPECT_EQ(ErrorFromErrno(EIO, ErrnoFacts{true, false}), 55u);
}

TEST(ErrorFromErrno, EpermOnAReadOnlyDiskIsWriteProtect) {
  EXPECT_EQ(ErrorFromErrno(EPERM), 5u);
  EXPECT_EQ(ErrorFromErrno(EACCES), 5u);
  EXPECT_EQ(ErrorFromErrno(EPERM, ErrnoFacts{false, true}), 19u);
  EXPECT_EQ(ErrorFromErrno(EACCES, ErrnoFacts{false, true}), 19u);
  // Read-only facts do not change another errno.
  EXPECT_EQ(ErrorFromErrno(ENOSPC, ErrnoFacts{false, true}), 27u);
}

// An unplugged disk's writes fail with ENOSPC once the kernel has set its size to 0; a disk of
// another size is no longer the one being written.
TEST(ErrorFromErrno, FailedWriteOnAGoneOrResizedDisk) {
  struct Row {
    std::uint64_t claimed;
    std::optional<std::uint64_t> now;
    int error;
    std::uint32_t code;
  };
  for (const Row& row : {Row{1 << 20, 0, ENOSPC, 55}, Row{1 << 20, std::nullopt, EIO, 55},
                         Row{1 << 20, 1 << 19, ENOSPC, 1110}, Row{1 << 20, 1 << 21, EIO, 1110},
                         Row{1 << 20, 1 << 20, ENOSPC, 27}, Row{1 << 20, 1 << 20, EIO, 1117}})
    EXPECT_EQ(ErrorFromErrno(row.error, SizeFacts(row.claimed, row.now)), row.code) << row.claimed << " " << row.error;
}

}  // namespace
}  // namespace trelvane::linux_platform
