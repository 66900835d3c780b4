#include "backends/windows_encoding/windows_ata_device.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "os/ata_registers.h"
#include "os/bytes.h"
#include "os/win_constants.h"

namespace trelvane {

namespace {

constexpr std::size_t SectorBytes = 512;

// SENDCMDINPARAMS, packed to single bytes (33 bytes with its one-byte bBuffer):
//
//   offset  size  field                      value sent
//   ------  ----  -------------------------  --------------------------------------------
//        0     4  cBufferSize                512 for a data command, 0 otherwise
//        4     1  irDriveRegs.bFeaturesReg   AtaRegisters::Features
//        5     1  irDriveRegs.bSectorCountReg  ::SectorCount
//        6     1  irDriveRegs.bSectorNumberReg ::SectorNumber
//        7     1  irDriveRegs.bCylLowReg     ::CylinderLow
//        8     1  irDriveRegs.bCylHighReg    ::CylinderHigh
//        9     1  irDriveRegs.bDriveHeadReg  ::DriveHead
//       10     1  irDriveRegs.bCommandReg    ::Command
//       11     1  irDriveRegs.bReserved      0
//       12     1  bDriveNumber               selector (0 on the first IDENTIFY path)
//       13     3  bReserved[3]               0
//       16    16  dwReserved[4]              0
//       32     1  bBuffer[1]                 0 (sent only by the 33-byte IDENTIFY request)
constexpr std::size_t InParamsBufferSize = 0;
constexpr std::size_t InParamsRegisters = 4;
constexpr std::size_t InParamsDriveNumber = 12;
constexpr std::size_t InParamsHeaderBytes = 32;
constexpr std::size_t InParamsFullBytes = 33;

// SENDCMDOUTPARAMS:
//
//   offset  size  field
//   ------  ----  -----------------------------------------------------------------
//        0     4  cBufferSize
//        4    12  DriverStatus (bDriverError, bIDEError, bReserved[2], dwReserved[2])
//       16   512  bBuffer: the command's data
constexpr std::size_t OutParamsData = 16;
constexpr std::size_t OutParamsWithData = OutParamsData + SectorBytes;  // 528

// Output lengths offered: a non-data command offers 527 bytes of a 528-byte buffer; the data
// commands offer 1039 bytes, room for a driver that answers with more than one header.
constexpr std::size_t NonDataOutputLength = 527;
constexpr std::size_t DataOutputLength = 1039;
// GETVERSIONINPARAMS is 24 bytes; 28 are offered.
constexpr std::size_t VersionOutputLength = 28;

// The miniport request: one 572-byte buffer, sent as input and received as output.
//
//   offset  size  field                        value sent
//   ------  ----  ---------------------------  ----------------------------------------
//        0     4  SRB_IO_CONTROL.HeaderLength  28
//        4     8  .Signature                   "SCSIDISK" (one byte a character)
//       12     4  .Timeout                     120 (seconds)
//       16     4  .ControlCode                 0x001B0501 (IOCTL_SCSI_MINIPORT_IDENTIFY)
//       20     4  .ReturnCode                  0
//       24     4  .Length                      544 (the bytes after this header)
//       28    33  SENDCMDINPARAMS              IDENTIFY registers, cBufferSize 512,
//                                              bDriveNumber = selector
//   answer:
//       28    16  SENDCMDOUTPARAMS header
//       44   512  identify data (bytes 44 to 555)
constexpr std::size_t SrbHeaderLength = 0;
constexpr std::size_t SrbSignature = 4;
constexpr std::size_t SrbTimeout = 12;
constexpr std::size_t SrbControlCode = 16;
constexpr std::size_t SrbLength = 24;
constexpr std::size_t SrbHeaderBytes = 28;
constexpr std::size_t MiniportBufferBytes = 572;
constexpr std::size_t MiniportData = SrbHeaderBytes + OutParamsData;        // 44
constexpr std::size_t MiniportMinimumAnswer = MiniportData + SectorBytes;  // 556
constexpr std::uint32_t MiniportTimeoutSeconds = 120;
constexpr char MiniportSignature[8] = {'S', 'C', 'S', 'I', 'D', 'I', 'S', 'K'};

using Sector = std::span<std::uint8_t, SectorBytes>;

// The 28-bit task file of IDEREGS.
AtaRegisters TaskFile(const AtaCommand& command) {
  return {static_cast<std::uint8_t>(command.features), static_cast<std::uint8_t>(command.count),
          static_cast<std::uint8_t>(command.lba),      static_cast<std::uint8_t>(command.lba >> 8),
          static_cast<std::uint8_t>(command.lba >> 16), command.device,
          command.command};
}

// Writes a SENDCMDINPARAMS block into `block`, which the caller has zero-filled.
void WriteSendCmdInParams(std::span<std::uint8_t> block, std::uint32_t bufferSize,
                          const AtaRegisters& registers, std::uint8_t driveNumber) {
  WriteU32LE(block, InParamsBufferSize, bufferSize);
  const std::array<std::uint8_t, 7> values = {registers.Features,     registers.SectorCount,
                                              registers.SectorNumber, registers.CylinderLow,
                                              registers.CylinderHigh, registers.DriveHead,
                                              registers.Command};
  std::copy(values.begin(), values.end(), block.begin() + InParamsRegisters);
  block[InParamsDriveNumber] = driveNumber;
}

// A SMART data request through `code`: 32 input bytes, 1039 output bytes offered, and the 512 bytes
// that end at the returned count taken as the data.
bool SmartDataRequest(DeviceControlPort& system, Handle handle, std::uint32_t code, std::uint8_t selector,
                      const AtaRegisters& registers, Sector data) {
  std::array<std::uint8_t, InParamsHeaderBytes> in{};
  WriteSendCmdInParams(in, SectorBytes, registers, selector);
  std::array<std::uint8_t, DataOutputLength> out{};
  std::uint32_t returned = 0;
  if (!system.DeviceIoControl(handle, code, in, out, returned)) return false;
  // A count beyond the offered length cannot be true of this buffer; it is treated as a failure
  // rather than reading outside the answer.
  if (returned < SectorBytes || returned > out.size()) return false;
  std::copy(out.begin() + (returned - SectorBytes), out.begin() + returned, data.begin());
  return true;
}

// SMART_SEND_DRIVE_COMMAND without data. Only the request's own success counts; the driver status in
// the answer is not examined.
bool SmartNonDataRequest(DeviceControlPort& system, Handle handle, std::uint8_t selector, const AtaRegisters& registers) {
  std::array<std::uint8_t, InParamsHeaderBytes> in{};
  WriteSendCmdInParams(in, 0, registers, selector);
  std::array<std::uint8_t, OutParamsWithData> out{};
  std::uint32_t returned = 0;
  return system.DeviceIoControl(handle, Ioctl::SmartSendDriveCommand, in,
                                std::span<std::uint8_t>(out).first(NonDataOutputLength), returned);
}

bool IdentifyThroughSmartRequests(DeviceControlPort& system, Handle handle, const AtaRegisters& registers, Sector data) {
  std::array<std::uint8_t, VersionOutputLength> version{};
  std::uint32_t returned = 0;
  if (!system.DeviceIoControl(handle, Ioctl::SmartGetVersion, {}, version, returned)) return false;

  // The drive number is 0 here whatever the selector; the device register still selects the device.
  std::array<std::uint8_t, InParamsFullBytes> in{};
  WriteSendCmdInParams(in, SectorBytes, registers, 0);
  std::array<std::uint8_t, OutParamsWithData> out{};
  if (!system.DeviceIoControl(handle, Ioctl::SmartRcvDriveData, in, out, returned)) return false;
  // The returned count plays no part on this path: the data always sits after the 16-byte header.
  std::copy(out.begin() + OutParamsData, out.end(), data.begin());
  return true;
}

bool IdentifyThroughMiniport(DeviceControlPort& system, Handle handle, std::uint8_t selector, const AtaRegisters& registers,
                             Sector data) {
  std::array<std::uint8_t, MiniportBufferBytes> buffer{};
  const std::span<std::uint8_t> bytes(buffer);
  WriteU32LE(bytes, SrbHeaderLength, SrbHeaderBytes);
  std::memcpy(buffer.data() + SrbSignature, MiniportSignature, sizeof MiniportSignature);
  WriteU32LE(bytes, SrbTimeout, MiniportTimeoutSeconds);
  WriteU32LE(bytes, SrbControlCode, Ioctl::ScsiMiniportIdentify);
  WriteU32LE(bytes, SrbLength, MiniportBufferBytes - SrbHeaderBytes);
  WriteSendCmdInParams(bytes.subspan(SrbHeaderBytes), SectorBytes, registers, selector);

  std::uint32_t returned = 0;
  if (!system.DeviceIoControl(handle, Ioctl::ScsiMiniport, buffer, buffer, returned)) return false;
  if (returned < MiniportMinimumAnswer) return false;
  std::copy_n(buffer.begin() + MiniportData, SectorBytes, data.begin());
  return true;
}

// Every other command: IOCTL_ATA_PASS_THROUGH, one buffer sent and received, the ATA_PASS_THROUGH_EX
// header (os/win_constants.h, AtaPassThroughLayout) and the data right after it. The request
// succeeds whenever the port driver carried the command; the device's own answer is in the task
// files it returns, STATUS bit 0 (ERR) or bit 5 (DF) set when the device did not complete it.
constexpr std::uint8_t StatusError = 0x01;
constexpr std::uint8_t StatusDeviceFault = 0x20;

bool PassThroughRequest(DeviceControlPort& system, Handle handle, const AtaCommand& command,
                        std::span<std::uint8_t> data, AtaResult& result) {
  namespace L = AtaPassThroughLayout;
  std::vector<std::uint8_t> buffer(L::Bytes + data.size(), 0);
  std::uint16_t flags = L::DrdyRequired;
  if (command.direction == AtaDirection::In) flags |= L::DataIn;
  if (command.direction == AtaDirection::Out) flags |= L::DataOut;
  if (command.extended) flags |= L::Command48Bit;
  WriteU16LE(buffer, L::Length, static_cast<std::uint16_t>(L::Bytes));
  WriteU16LE(buffer, L::Flags, flags);
  WriteU32LE(buffer, L::DataTransferLength, static_cast<std::uint32_t>(data.size()));
  WriteU32LE(buffer, L::TimeOutValue, command.timeoutSeconds);
  WriteU32LE(buffer, L::DataBufferOffset, L::Bytes);
  const std::array<std::uint8_t, 7> current = {
      static_cast<std::uint8_t>(command.features), static_cast<std::uint8_t>(command.count),
      static_cast<std::uint8_t>(command.lba),      static_cast<std::uint8_t>(command.lba >> 8),
      static_cast<std::uint8_t>(command.lba >> 16), command.device, command.command};
  std::copy(current.begin(), current.end(), buffer.begin() + L::CurrentTaskFile);
  if (command.extended) {
    const std::array<std::uint8_t, 5> previous = {
        static_cast<std::uint8_t>(command.features >> 8), static_cast<std::uint8_t>(command.count >> 8),
        static_cast<std::uint8_t>(command.lba >> 24), static_cast<std::uint8_t>(command.lba >> 32),
        static_cast<std::uint8_t>(command.lba >> 40)};
    std::copy(previous.begin(), previous.end(), buffer.begin() + L::PreviousTaskFile);
  }
  if (command.direction == AtaDirection::Out) std::copy(data.begin(), data.end(), buffer.begin() + L::Bytes);

  std::uint32_t returned = 0;
  if (!system.DeviceIoControl(handle, Ioctl::AtaPassThrough, buffer, buffer, returned)) {
    result.systemError = system.GetLastError();
    return false;
  }
  if (returned < L::Bytes) {
    result.systemError = ErrorCode::InvalidFunction;
    return false;
  }
  const auto task = [&](std::uint32_t file, std::uint32_t index) { return buffer[file + index]; };
  result.error = task(L::CurrentTaskFile, L::TaskFeaturesOrError);
  result.status = task(L::CurrentTaskFile, L::TaskCommandOrStatus);
  result.device = task(L::CurrentTaskFile, L::TaskDevice);
  result.count = task(L::CurrentTaskFile, L::TaskCount);
  for (std::uint32_t i = 0; i < 3; ++i)
    result.lba |= std::uint64_t{task(L::CurrentTaskFile, L::TaskLbaLow + i)} << (8 * i);
  if (command.extended) {
    result.count = static_cast<std::uint16_t>(result.count | task(L::PreviousTaskFile, L::TaskCount) << 8);
    for (std::uint32_t i = 0; i < 3; ++i)
      result.lba |= std::uint64_t{task(L::PreviousTaskFile, L::TaskLbaLow + i)} << (24 + 8 * i);
  }
  result.registersValid = true;
  const bool completed = (result.status & (StatusError | StatusDeviceFault)) == 0;
  if (completed && command.direction == AtaDirection::In)
    std::copy_n(buffer.begin() + L::Bytes, data.size(), data.begin());
  return completed;
}

bool Refuse(AtaResult& result, std::uint32_t error) {
  result.systemError = error;
  return false;
}

}  // namespace

bool WindowsAtaDevice::PassThrough(const AtaCommand& command, std::span<std::uint8_t> data, AtaResult& result) {
  result = AtaResult{};
  const bool identify = command.command == AtaOpcode::IdentifyDevice;
  const bool smart = command.command == AtaOpcode::Smart;
  if (data.size() % SectorBytes != 0 || (command.direction == AtaDirection::None) != data.empty())
    return Refuse(result, ErrorCode::InvalidParameter);
  if (command.extended || command.direction == AtaDirection::Out || (!identify && !smart))
    return PassThroughRequest(system_, drive_, command, data, result);
  const bool dataIn = command.direction == AtaDirection::In;
  if (dataIn != (data.size() == SectorBytes) || (identify && !dataIn)) return Refuse(result, ErrorCode::InvalidParameter);

  const AtaRegisters registers = TaskFile(command);
  bool done = false;
  if (identify) {
    const Sector sector(data.data(), SectorBytes);
    done = IdentifyThroughSmartRequests(system_, drive_, registers, sector) ||
           IdentifyThroughMiniport(system_, drive_, command.selector, registers, sector);
  } else if (dataIn) {
    const Sector sector(data.data(), SectorBytes);
    done = SmartDataRequest(system_, drive_, Ioctl::SmartRcvDriveData, command.selector, registers, sector);
    // Some drivers take SMART READ DATA only through the send request.
    if (!done && command.features == SmartFeature::ReadData)
      done = SmartDataRequest(system_, drive_, Ioctl::SmartSendDriveCommand, command.selector, registers, sector);
  } else {
    done = SmartNonDataRequest(system_, drive_, command.selector, registers);
  }
  if (!done) result.systemError = system_.GetLastError();
  return done;
}

}  // namespace trelvane
