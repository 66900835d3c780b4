#include "backends/linux/errno_map.h"

#include <array>
#include <cerrno>
#include <utility>

#include "os/win_constants.h"

namespace trelvane::linux_platform {

namespace {

// errno values whose meaning needs no further facts.
constexpr std::array<std::pair<int, std::uint32_t>, 16> PlainErrors{{
    {ENOENT, ErrorCode::FileNotFound},
    {ENODEV, ErrorCode::DevNotExist},
    {ENXIO, ErrorCode::DevNotExist},
    {ENOLINK, ErrorCode::DevNotExist},
    {ESHUTDOWN, ErrorCode::DevNotExist},
    {EROFS, ErrorCode::WriteProtect},
    {ETIMEDOUT, ErrorCode::SemTimeout},
    {ETIME, ErrorCode::SemTimeout},
    {ENOMEDIUM, ErrorCode::NotReady},
    {EBUSY, ErrorCode::SharingViolation},
    {EWOULDBLOCK, ErrorCode::SharingViolation},
    {EINVAL, ErrorCode::InvalidParameter},
    {ENOSPC, ErrorCode::SectorNotFound},
    {ENOTTY, ErrorCode::InvalidFunction},
    {EOPNOTSUPP, ErrorCode::InvalidFunction},
    {ENOMEM, ErrorCode::NotEnoughMemory},
}};

}  // namespace

std::uint32_t ErrorFromErrno(int error, const ErrnoFacts& facts) {
  // Linux reports an unplugged disk as EIO, or as ENOSPC once its size has dropped to 0; only sysfs
  // and the size tell it from a failing medium or the end of the disk.
  if (facts.deviceGone) return ErrorCode::DevNotExist;
  if (facts.sizeChanged) return ErrorCode::MediaChanged;
  if (error == EIO) return ErrorCode::IoDevice;
  // Writes to a read-only disk fail with EPERM although the open for writing succeeded.
  if (error == EPERM || error == EACCES)
    return facts.readOnly ? ErrorCode::WriteProtect : ErrorCode::AccessDenied;
  for (const auto& [number, code] : PlainErrors)
    if (number == error) return code;
  // ENODATA, EREMOTEIO, EILSEQ and every other errno: a device I/O error.
  return ErrorCode::IoDevice;
}

}  // namespace trelvane::linux_platform
