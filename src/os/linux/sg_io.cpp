#include "os/linux/sg_io.h"

#include <scsi/sg.h>
#include <sys/ioctl.h>

#include <array>
#include <cerrno>

#include "os/linux/errno_map.h"

namespace trelvane::linux_platform {

namespace {

constexpr unsigned AtaTimeoutMs = 30000;
constexpr std::size_t SenseBytes = 32;

}  // namespace

AtaCommandResult RunAtaCommand(int fd, const AtaRegisters& regs, AtaDataPhase phase, bool checkCondition,
                               std::span<std::uint8_t> data) {
  PassThroughCdb cdb = BuildPassThrough16(regs, phase, checkCondition);
  std::array<std::uint8_t, SenseBytes> sense{};
  sg_io_hdr_t header{};
  header.interface_id = 'S';
  header.cmdp = cdb.data();
  header.cmd_len = static_cast<unsigned char>(cdb.size());
  header.sbp = sense.data();
  header.mx_sb_len = static_cast<unsigned char>(sense.size());
  header.timeout = AtaTimeoutMs;
  if (phase == AtaDataPhase::In512) {
    header.dxfer_direction = SG_DXFER_FROM_DEV;
    header.dxferp = data.data();
    header.dxfer_len = static_cast<unsigned>(data.size());
  } else {
    header.dxfer_direction = SG_DXFER_NONE;
  }

  AtaCommandResult result;
  int status = 0;
  do {
    status = ioctl(fd, SG_IO, &header);
  } while (status < 0 && errno == EINTR);
  if (status < 0) {
    // EINVAL / ENOTTY: no SCSI path at all (loop, virtio-blk, NVMe).
    result.errorCode = errno == EINVAL || errno == ENOTTY ? ErrorCode::InvalidFunction : ErrorFromErrno(errno);
    return result;
  }
  const ScsiOutcome outcome{header.status, header.host_status, header.driver_status,
                            std::span<const std::uint8_t>(sense.data(), header.sb_len_wr)};
  const AtaVerdict verdict = JudgeAtaOutcome(outcome);
  result.ok = verdict.success;
  result.errorCode = verdict.errorCode;
  result.ataError = verdict.ataError;
  result.registers = verdict.registers;
  return result;
}

}  // namespace trelvane::linux_platform
