#pragma once
// The requests that carry ATA commands to an emulated drive: SMART_RCV_DRIVE_DATA,
// SMART_SEND_DRIVE_COMMAND and IOCTL_SCSI_MINIPORT with the miniport IDENTIFY.

#include "backends/emulated/device_control.h"

namespace trelvane::emulated {

DeviceReply AnswerSmartReceive(RequestContext& request);
DeviceReply AnswerSmartSend(RequestContext& request);
DeviceReply AnswerMiniport(RequestContext& request);

}  // namespace trelvane::emulated
