// The SMART and inquiry requests: answered for libata disks, refused with 1 by every device without
// an ATA path, as the platform's drivers refuse them.

#include "os/linux/disk_facts.h"
#include "os/linux/requests.h"
#include "os/linux/sg_io.h"
#include "os/linux/smart_requests.h"

namespace trelvane::linux_platform {

namespace {

std::optional<DiskFacts> AtaDiskFacts(const OpenDevice& device) {
  const auto described = DescribeBlockDevice(device.rdev);
  if (!described) return std::nullopt;
  DiskFacts facts = ReadDiskFacts(*described);
  if (!HasAtaPath(facts)) return std::nullopt;
  return facts;
}

AtaRunner RunnerFor(const OpenDevice& device) {
  return [fd = device.fd.Get()](const AtaRegisters& regs, AtaDataPhase phase, bool checkCondition, std::span<std::uint8_t> data) {
    return RunAtaCommand(fd, regs, phase, checkCondition, data);
  };
}

}  // namespace

DeviceReply SmartGetVersion(BackendState&, OpenDevice& device, std::span<const std::uint8_t>,
                         std::span<std::uint8_t> out) {
  const auto facts = AtaDiskFacts(device);
  if (!facts) return DeviceReply::Failure(ErrorCode::InvalidFunction);
  return CopyReply(SmartVersionReply(IdeDeviceMap(*facts)), out);
}

DeviceReply ScsiGetInquiryData(BackendState&, OpenDevice& device, std::span<const std::uint8_t>,
                            std::span<std::uint8_t> out) {
  const auto described = DescribeBlockDevice(device.rdev);
  if (!described) return DeviceReply::Failure(ErrorCode::InvalidFunction);
  const auto address = ScsiAddressFromPath(described->diskSysfsDir);
  const auto inquiry = ReadInquiryData(*described);
  if (!address || !inquiry) return DeviceReply::Failure(ErrorCode::InvalidFunction);
  return CopyReply(InquiryDataReply(*address, *inquiry), out);
}

DeviceReply SmartReceiveData(BackendState&, OpenDevice& device, std::span<const std::uint8_t> in,
                          std::span<std::uint8_t> out) {
  if (!AtaDiskFacts(device)) return DeviceReply::Failure(ErrorCode::InvalidFunction);
  return SmartReceive(in, out, RunnerFor(device));
}

DeviceReply SmartSendCommand(BackendState&, OpenDevice& device, std::span<const std::uint8_t> in,
                          std::span<std::uint8_t> out) {
  if (!AtaDiskFacts(device)) return DeviceReply::Failure(ErrorCode::InvalidFunction);
  return SmartSend(in, out, RunnerFor(device));
}

DeviceReply ScsiMiniport(BackendState&, OpenDevice& device, std::span<const std::uint8_t> in,
                      std::span<std::uint8_t> out) {
  if (!AtaDiskFacts(device)) return DeviceReply::Failure(ErrorCode::InvalidFunction);
  return MiniportIdentify(in, out, RunnerFor(device));
}

}  // namespace trelvane::linux_platform
