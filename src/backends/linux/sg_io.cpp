#include "backends/linux/sg_io.h"

#include <scsi/sg.h>
#include <sys/ioctl.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <vector>

#include "backends/driver_model/access_rights.h"
#include "backends/linux/ata_passthrough.h"
#include "backends/linux/device_family.h"
#include "backends/linux/errno_map.h"
#include "backends/linux/sysfs.h"
#include "os/win_constants.h"

namespace trelvane::linux_platform {

namespace {

constexpr std::size_t SenseBytes = 32;
constexpr std::size_t SectorBytes = 512;

void TakeRegisters(const AtaReturnRegisters& r, AtaResult& result) {
  result.registersValid = true;
  result.status = r.status;
  result.error = r.error;
  result.device = r.device;
  result.count = static_cast<std::uint16_t>(r.countHigh << 8 | r.sectorCount);
  const std::array<std::uint8_t, 6> lba{r.lbaLow, r.lbaMid, r.lbaHigh, r.lbaLowHigh, r.lbaMidHigh, r.lbaHighHigh};
  result.lba = 0;
  for (std::size_t i = lba.size(); i-- > 0;) result.lba = result.lba << 8 | lba[i];
}

bool Refuse(AtaResult& result, std::uint32_t error) {
  result.systemError = error;
  return false;
}

}  // namespace

bool RunAtaCommand(int fd, const AtaCommand& command, std::span<std::uint8_t> data, AtaResult& result) {
  result = AtaResult{};
  PassThroughCdb cdb = BuildPassThrough16(command);
  std::array<std::uint8_t, SenseBytes> sense{};
  sg_io_hdr_t header{};
  header.interface_id = 'S';
  header.cmdp = cdb.data();
  header.cmd_len = static_cast<unsigned char>(cdb.size());
  header.sbp = sense.data();
  header.mx_sb_len = static_cast<unsigned char>(sense.size());
  header.timeout = command.timeoutSeconds * 1000;
  header.dxfer_direction = SG_DXFER_NONE;
  if (command.direction != AtaDirection::None) {
    header.dxfer_direction = command.direction == AtaDirection::In ? SG_DXFER_FROM_DEV : SG_DXFER_TO_DEV;
    header.dxferp = data.data();
    header.dxfer_len = static_cast<unsigned>(data.size());
  }

  int status = 0;
  do {
    status = ioctl(fd, SG_IO, &header);
  } while (status < 0 && errno == EINTR);
  if (status < 0) {
    // EINVAL / ENOTTY: no SCSI path at all (loop, virtio-blk, NVMe).
    return Refuse(result, errno == EINVAL || errno == ENOTTY ? ErrorCode::InvalidFunction : ErrorFromErrno(errno));
  }
  const ScsiOutcome outcome{header.status, header.host_status, header.driver_status,
                            std::span<const std::uint8_t>(sense.data(), header.sb_len_wr)};
  const AtaVerdict verdict = JudgeAtaOutcome(outcome);
  if (verdict.registers) TakeRegisters(*verdict.registers, result);
  result.systemError = verdict.errorCode;
  return verdict.success;
}

bool SgAtaDevice::PassThrough(const AtaCommand& command, std::span<std::uint8_t> data, AtaResult& result) {
  result = AtaResult{};
  const OpenDevice* device = handles_.Find(drive_);
  if (device == nullptr) return Refuse(result, ErrorCode::InvalidHandle);
  if (!GrantsRead(device->access) || !GrantsWrite(device->access)) return Refuse(result, ErrorCode::AccessDenied);
  const auto described = DescribeBlockDevice(device->rdev);
  if (!described || ClassifySysfsPath(described->diskSysfsDir) != DeviceFamily::Ata)
    return Refuse(result, ErrorCode::InvalidFunction);
  const bool hasData = command.direction != AtaDirection::None;
  if (hasData != !data.empty() || data.size() % SectorBytes != 0) return Refuse(result, ErrorCode::InvalidParameter);

  std::vector<std::uint8_t> buffer(data.begin(), data.end());
  if (!RunAtaCommand(device->fd.Get(), command, buffer, result)) return false;
  if (command.direction == AtaDirection::In) std::copy(buffer.begin(), buffer.end(), data.begin());
  return true;
}

}  // namespace trelvane::linux_platform
