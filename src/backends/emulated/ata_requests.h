#pragma once
// The requests that carry ATA commands to an emulated drive: SMART_RCV_DRIVE_DATA,
// SMART_SEND_DRIVE_COMMAND, IOCTL_SCSI_MINIPORT with the miniport IDENTIFY, and IOCTL_ATA_PASS_THROUGH.

#include "backends/emulated/device_control.h"

namespace trelvane::emulated {

DeviceReply AnswerSmartReceive(RequestContext& request);
DeviceReply AnswerSmartSend(RequestContext& request);
DeviceReply AnswerMiniport(RequestContext& request);
// IOCTL_ATA_PASS_THROUGH: the command goes to the drive's firmware model and the reply carries the
// registers it returns. The Security commands are refused with 1 unless the machine runs Windows PE.
DeviceReply AnswerAtaPassThrough(RequestContext& request);

}  // namespace trelvane::emulated
