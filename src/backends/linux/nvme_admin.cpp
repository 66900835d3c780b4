#include "backends/linux/nvme_admin.h"

#include <linux/nvme_ioctl.h>
#include <sys/ioctl.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <vector>

#include "backends/linux/errno_map.h"
#include "os/win_constants.h"

namespace trelvane::linux_platform {

namespace {

// The node's own namespace: a platform disk is one namespace, which the program calls namespace 1.
std::uint32_t NamespaceOf(int fd, std::uint32_t asked) {
  if (asked != DiskNamespaceId) return asked;
  const int nsid = ioctl(fd, NVME_IOCTL_ID);
  return nsid > 0 ? static_cast<std::uint32_t>(nsid) : asked;
}

// struct nvme_admin_cmd, the fields set here (the rest stay 0): opcode, nsid, addr and data_len (the
// buffer), cdw10-15, timeout_ms. The ioctl answers 0 for success, the completion's status field
// (without the phase bit) for a command the controller failed, or -1 with errno; `result` is
// completion dword 0.
class NvmeAdminDevice final : public NvmeDevice {
 public:
  NvmeAdminDevice(HandleTable& handles, Handle handle) : handles_(handles), handle_(handle) {}

  bool Admin(const NvmeCommand& command, std::span<std::uint8_t> data, NvmeCompletion& completion) override {
    completion = {};
    const OpenDevice* device = handles_.Find(handle_);
    if (device == nullptr) {
      completion.systemError = ErrorCode::InvalidHandle;
      return false;
    }
    // The transfer lands in a buffer of its own, so a failed command leaves `data` as it was.
    std::vector<std::uint8_t> transfer(data.begin(), data.end());
    nvme_admin_cmd admin{};
    admin.opcode = command.opcode;
    admin.nsid = NamespaceOf(device->fd.Get(), command.namespaceId);
    admin.addr = reinterpret_cast<std::uintptr_t>(transfer.data());
    admin.data_len = static_cast<std::uint32_t>(transfer.size());
    admin.cdw10 = command.cdw10;
    admin.cdw11 = command.cdw11;
    admin.cdw12 = command.cdw12;
    admin.cdw13 = command.cdw13;
    admin.cdw14 = command.cdw14;
    admin.cdw15 = command.cdw15;
    admin.timeout_ms = command.timeoutMs;
    const int status = ioctl(device->fd.Get(), NVME_IOCTL_ADMIN_CMD, &admin);
    if (status < 0) {
      completion.systemError = ErrorFromErrno(errno);
      return false;
    }
    completion.status = static_cast<std::uint16_t>(status);
    completion.result = admin.result;
    if (status != 0) return false;
    std::copy(transfer.begin(), transfer.end(), data.begin());
    return true;
  }

 private:
  HandleTable& handles_;
  Handle handle_;
};

}  // namespace

std::unique_ptr<NvmeDevice> MakeNvmeAdminDevice(HandleTable& handles, Handle handle) {
  return std::make_unique<NvmeAdminDevice>(handles, handle);
}

}  // namespace trelvane::linux_platform
