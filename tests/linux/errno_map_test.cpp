// errno to the platform's error codes.

#include "os/linux/errno_map.h"

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
  // Facts about one errno do not change another.
  EXPECT_EQ(ErrorFromErrno(ENOSPC, ErrnoFacts{true, true}), 27u);
}

}  // namespace
}  // namespace trelvane::linux_platform
