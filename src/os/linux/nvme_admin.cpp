#include "os/linux/nvme_admin.h"

#include <linux/nvme_ioctl.h>
#include <sys/ioctl.h>

#include <cerrno>
#include <cstdint>
#include <vector>

#include "os/linux/errno_map.h"

namespace trelvane::linux_platform {

namespace {

constexpr std::uint8_t OpcodeGetLogPage = 0x02;
constexpr std::uint8_t OpcodeIdentify = 0x06;
constexpr std::uint32_t AdminTimeoutMs = 10000;

// struct nvme_admin_cmd, the fields set here (the rest stay 0):
//   opcode    06h Identify / 02h Get Log Page
//   nsid      the namespace; FFFFFFFFh asks for the controller-wide health log
//   addr      the user buffer     data_len  its length
//   cdw10     Identify: CNS (bits 7-0): 00h namespace, 01h controller, 02h active namespace list.
//             Get Log Page: log id (bits 7-0), number of dwords minus one, low 16 bits (bits 31-16)
// The ioctl answers 0 for success, a positive NVMe status for a command the controller failed,
// or -1 with errno.
DeviceReply RunAdmin(int fd, std::uint8_t opcode, std::uint32_t nsid, std::uint32_t cdw10,
                     std::vector<std::uint8_t>& data) {
  nvme_admin_cmd command{};
  command.opcode = opcode;
  command.nsid = nsid;
  command.addr = reinterpret_cast<std::uintptr_t>(data.data());
  command.data_len = static_cast<std::uint32_t>(data.size());
  command.cdw10 = cdw10;
  command.timeout_ms = AdminTimeoutMs;
  const int status = ioctl(fd, NVME_IOCTL_ADMIN_CMD, &command);
  if (status < 0) return DeviceReply::Failure(ErrorFromErrno(errno));
  if (status > 0) return DeviceReply::Failure(ErrorCode::IoDevice);
  return DeviceReply::Success();
}

// The block device's own namespace, or the one asked for when the kernel does not say.
std::uint32_t NamespaceOf(int fd, std::uint32_t asked) {
  const int nsid = ioctl(fd, NVME_IOCTL_ID);
  return nsid > 0 ? static_cast<std::uint32_t>(nsid) : asked;
}

}  // namespace

DeviceReply AnswerNvmeQuery(int fd, const PropertyQuery& query, std::span<std::uint8_t> out) {
  const auto read = ReadNvmeRequest(query);
  if (const auto* refused = std::get_if<DeviceReply>(&read)) return *refused;
  const NvmeRequest request = std::get<NvmeRequest>(read);
  std::vector<std::uint8_t> data(request.dataBytes, 0);
  DeviceReply result;
  switch (request.kind) {
    case NvmeRequestKind::IdentifyController:
      result = RunAdmin(fd, OpcodeIdentify, 0, NvmeData::IdentifyController, data);
      break;
    case NvmeRequestKind::ActiveNamespaceList:
      // NSID 0: every active namespace id above 0.
      result = RunAdmin(fd, OpcodeIdentify, 0, NvmeData::ActiveNamespaceList, data);
      break;
    case NvmeRequestKind::IdentifyNamespace:
      result = RunAdmin(fd, OpcodeIdentify, NamespaceOf(fd, request.namespaceId), NvmeData::IdentifyNamespace, data);
      break;
    case NvmeRequestKind::HealthLog:
      result = RunAdmin(fd, OpcodeGetLogPage, NvmeData::AllNamespaces,
                        (request.dataBytes / 4 - 1) << 16 | NvmeData::HealthLog, data);
      break;
  }
  if (!result.ok) return result;
  return ProtocolDataReply(*query.protocol, data, out);
}

}  // namespace trelvane::linux_platform
