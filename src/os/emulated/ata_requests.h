#pragma once
// The requests that carry ATA commands to an emulated drive: SMART_RCV_DRIVE_DATA,
// SMART_SEND_DRIVE_COMMAND and IOCTL_SCSI_MINIPORT with the miniport IDENTIFY.

#include "os/emulated/device_control.h"

namespace trelvane::emulated {

Reply AnswerSmartReceive(RequestContext& request);
Reply AnswerSmartSend(RequestContext& request);
Reply AnswerMiniport(RequestContext& request);

}  // namespace trelvane::emulated
