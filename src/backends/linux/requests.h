#pragma once
// DeviceIoControl for the Linux backend: the access check of the request code, and one handler per
// request code (disk_requests.cpp, volume_requests.cpp). ATA commands do not come this way: they go
// through the drive's AtaDevice (sg_io.h).

#include <cstdint>
#include <span>

#include "backends/linux/backend_state.h"
#include "backends/driver_model/device_reply.h"

namespace trelvane::linux_platform {

DeviceReply DeviceControl(BackendState& state, OpenDevice& device, std::uint32_t code,
                       std::span<const std::uint8_t> in, std::span<std::uint8_t> out);

using RequestHandler = DeviceReply (*)(BackendState& state, OpenDevice& device, std::span<const std::uint8_t> in,
                                    std::span<std::uint8_t> out);

DeviceReply GetDriveGeometry(BackendState&, OpenDevice&, std::span<const std::uint8_t>, std::span<std::uint8_t>);
DeviceReply GetLengthInfo(BackendState&, OpenDevice&, std::span<const std::uint8_t>, std::span<std::uint8_t>);
DeviceReply QueryProperty(BackendState&, OpenDevice&, std::span<const std::uint8_t>, std::span<std::uint8_t>);
DeviceReply GetDeviceNumber(BackendState&, OpenDevice&, std::span<const std::uint8_t>, std::span<std::uint8_t>);
DeviceReply ScsiGetInquiryData(BackendState&, OpenDevice&, std::span<const std::uint8_t>, std::span<std::uint8_t>);
DeviceReply LockVolumeRequest(BackendState&, OpenDevice&, std::span<const std::uint8_t>, std::span<std::uint8_t>);
DeviceReply UnlockVolumeRequest(BackendState&, OpenDevice&, std::span<const std::uint8_t>, std::span<std::uint8_t>);
DeviceReply NothingToDo(BackendState&, OpenDevice&, std::span<const std::uint8_t>, std::span<std::uint8_t>);
DeviceReply IsWritable(BackendState&, OpenDevice&, std::span<const std::uint8_t>, std::span<std::uint8_t>);
DeviceReply UpdateProperties(BackendState&, OpenDevice&, std::span<const std::uint8_t>, std::span<std::uint8_t>);

// After a locked volume's handle was closed: the deferred re-read of its disk, once no lock is left.
void RescanIfUnlocked(BackendState& state, const OpenDevice& closed);

}  // namespace trelvane::linux_platform
