#pragma once
// DeviceIoControl for the Linux backend: the access check of the request code, and one handler per
// request code (disk_requests.cpp, ata_requests.cpp, volume_requests.cpp).

#include <cstdint>
#include <span>

#include "os/linux/backend_state.h"
#include "os/linux/io_result.h"

namespace trelvane::linux_platform {

IoResult DeviceControl(BackendState& state, OpenDevice& device, std::uint32_t code,
                       std::span<const std::uint8_t> in, std::span<std::uint8_t> out);

using RequestHandler = IoResult (*)(BackendState& state, OpenDevice& device, std::span<const std::uint8_t> in,
                                    std::span<std::uint8_t> out);

IoResult GetDriveGeometry(BackendState&, OpenDevice&, std::span<const std::uint8_t>, std::span<std::uint8_t>);
IoResult GetLengthInfo(BackendState&, OpenDevice&, std::span<const std::uint8_t>, std::span<std::uint8_t>);
IoResult QueryProperty(BackendState&, OpenDevice&, std::span<const std::uint8_t>, std::span<std::uint8_t>);
IoResult GetDeviceNumber(BackendState&, OpenDevice&, std::span<const std::uint8_t>, std::span<std::uint8_t>);
IoResult SmartGetVersion(BackendState&, OpenDevice&, std::span<const std::uint8_t>, std::span<std::uint8_t>);
IoResult ScsiGetInquiryData(BackendState&, OpenDevice&, std::span<const std::uint8_t>, std::span<std::uint8_t>);
IoResult SmartReceiveData(BackendState&, OpenDevice&, std::span<const std::uint8_t>, std::span<std::uint8_t>);
IoResult SmartSendCommand(BackendState&, OpenDevice&, std::span<const std::uint8_t>, std::span<std::uint8_t>);
IoResult ScsiMiniport(BackendState&, OpenDevice&, std::span<const std::uint8_t>, std::span<std::uint8_t>);
IoResult LockVolumeRequest(BackendState&, OpenDevice&, std::span<const std::uint8_t>, std::span<std::uint8_t>);
IoResult NothingToDo(BackendState&, OpenDevice&, std::span<const std::uint8_t>, std::span<std::uint8_t>);
IoResult UpdateProperties(BackendState&, OpenDevice&, std::span<const std::uint8_t>, std::span<std::uint8_t>);

// After a locked volume's handle was closed: the deferred re-read of its disk, once no lock is left.
void RescanIfUnlocked(BackendState& state, const OpenDevice& closed);

}  // namespace trelvane::linux_platform
