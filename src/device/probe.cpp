#include "device/probe.h"

#include <algorithm>
#include <array>

#include "common/system_error_text.h"
#include "os/bytes.h"
#include "os/win_constants.h"
#include "text/device_text.h"
#include "text/u16.h"

namespace trelvane {

namespace {

using Reply = std::array<std::uint8_t, 512>;

// "-1" for a request that succeeded, "0" for one that failed.
std::u16string Flag(bool ok) { return ok ? u"-1" : u"0"; }

struct RequestResult {
  bool ok = false;
  std::uint32_t error = 0;
};

// Geometry and length take one zero-filled 512-byte buffer as both input and output.
RequestResult SendInPlace(System& system, Handle handle, std::uint32_t code, Reply& buffer) {
  buffer.fill(0);
  std::uint32_t returned = 0;
  RequestResult result;
  result.ok = system.DeviceIoControl(handle, code, buffer, buffer, returned);
  if (!result.ok) result.error = system.GetLastError();
  return result;
}

// STORAGE_PROPERTY_QUERY: PropertyId (bytes 0-3), QueryType 0 = standard (4-7), parameters (8-11).
RequestResult QueryProperty(System& system, Handle handle, std::uint32_t propertyId, Reply& reply) {
  std::array<std::uint8_t, 12> query{};
  WriteU32LE(query, 0, propertyId);
  reply.fill(0);
  std::uint32_t returned = 0;
  RequestResult result;
  result.ok = system.DeviceIoControl(handle, Ioctl::StorageQueryProperty, query, reply, returned);
  if (!result.ok) result.error = system.GetLastError();
  return result;
}

// The descriptor used when the adapter does not answer: STORAGE_ADAPTER_DESCRIPTOR with version and
// size 32, 64 KiB transfers, one physical page, alignment mask 1 and bus type 201.
std::array<std::uint8_t, 32> FallbackAdapterDescriptor() {
  std::array<std::uint8_t, 32> descriptor{};
  WriteU32LE(descriptor, 0, 32);
  WriteU32LE(descriptor, 4, 32);
  WriteU32LE(descriptor, 8, 65536);
  WriteU32LE(descriptor, 12, 1);
  WriteU32LE(descriptor, 16, 1);
  descriptor[24] = 201;
  return descriptor;
}

// " 00 01 ..." with a line break after every 16th byte.
std::u16string HexDump(const Reply& reply) {
  std::u16string text;
  for (std::size_t i = 0; i < reply.size(); ++i) {
    text += u' ' + HexByte(reply[i]);
    if ((i + 1) % 16 == 0) text += u"\r\n";
  }
  return text;
}

// A string of STORAGE_DEVICE_DESCRIPTOR: from its offset up to and including the position equal to
// the descriptor's size field, ending before the first zero byte and at the end of the reply.
std::u16string DescriptorString(const Reply& reply, std::uint32_t offset, std::uint32_t size) {
  std::u16string text;
  if (offset == 0) return text;
  for (std::uint64_t position = offset; position <= size && position < reply.size(); ++position) {
    const std::uint8_t byte = reply[static_cast<std::size_t>(position)];
    if (byte == 0) break;
    text += static_cast<char16_t>(byte);
  }
  return text;
}

// The serial's bytes in a 512-byte zero-filled array, read as 256 pairs with the two bytes of every
// pair exchanged (ATA serials keep the first character of a pair in the high byte).
std::u16string PairSwappedSerial(const std::u16string& raw) {
  std::array<std::uint8_t, 512> bytes{};
  for (std::size_t i = 0; i < raw.size() && i < bytes.size(); ++i)
    bytes[i] = static_cast<std::uint8_t>(raw[i]);
  std::u16string text;
  for (std::size_t k = 0; k < 256; ++k) {
    text += static_cast<char16_t>(bytes[2 * k + 1]);
    text += static_cast<char16_t>(bytes[2 * k]);
  }
  return Trim(text);
}

struct DeviceStrings {
  std::u16string vendor;
  std::u16string product;
  std::u16string revision;
  std::u16string serial;
};

// `nvme`: an NVMe controller reports its serial in reading order; the pair exchange is ATA's alone.
DeviceStrings ParseDeviceStrings(DiagnosticLog& log, const Reply& reply, bool nvme) {
  log.AddDebugLogLine(u"Парсинг данных...");
  const std::uint32_t size = ReadU32LE(reply, 4);
  DeviceStrings strings;
  // Escaped as they are read: the log lines below already show them.
  strings.vendor = ShownDeviceText(Trim(DescriptorString(reply, ReadU32LE(reply, 12), size))) + u" ";
  log.AddDebugLogLine(u"Идентификатор производителя: " + strings.vendor);
  strings.product = ShownDeviceText(Trim(DescriptorString(reply, ReadU32LE(reply, 16), size)));
  log.AddDebugLogLine(u"Идентификатор продукта: " + strings.product);
  strings.revision = ShownDeviceText(Trim(DescriptorString(reply, ReadU32LE(reply, 20), size)));
  log.AddDebugLogLine(u"Ревизия продукта: " + strings.revision);
  const std::u16string serial = DescriptorString(reply, ReadU32LE(reply, 24), size);
  strings.serial = ShownDeviceText(nvme ? Trim(serial) : PairSwappedSerial(serial));
  log.AddDebugLogLine(u"Серийный номер: " + strings.serial);
  return strings;
}

// Sector size (bytes 20-23 of DISK_GEOMETRY), or nothing when the request failed with a code.
bool ReadSectorSize(System& system, DiagnosticLog& log, Handle handle, std::int64_t& sectorSize) {
  Reply buffer{};
  log.AddDebugLogLine(u"Получение геометрии...");
  const RequestResult geometry = SendInPlace(system, handle, Ioctl::DiskGetDriveGeometry, buffer);
  if (!geometry.ok && geometry.error != 0) return false;
  log.AddDebugLogLine(u"Готово " + Flag(geometry.ok));
  sectorSize = ReadU32LE(buffer, 20);
  log.AddDebugLogLine(u"Размер сектора = " + Decimal(sectorSize));
  return true;
}

bool ReadLength(System& system, DiagnosticLog& log, Handle handle, std::int64_t& length) {
  Reply buffer{};
  log.AddDebugLogLine(u"Получение длины диска...");
  const RequestResult result = SendInPlace(system, handle, Ioctl::DiskGetLengthInfo, buffer);
  if (!result.ok && result.error != 0) {
    log.AddDebugLogLine(u"Ошибка при доступе к устройству: " + SystemErrorText(system, result.error));
    return false;
  }
  log.AddDebugLogLine(u"Готово " + Flag(result.ok));
  length = static_cast<std::int64_t>(ReadU64LE(buffer, 0));
  log.AddDebugLogLine(u"\"Длина\" носителя = " + Decimal(length));
  return true;
}

// The first 32 bytes of STORAGE_ADAPTER_DESCRIPTOR, or the fallback when the adapter does not answer.
std::array<std::uint8_t, 32> ReadAdapter(System& system, DiagnosticLog& log, Handle handle) {
  Reply reply{};
  log.AddDebugLogLine(u"Запрос свойства хранения (адаптер)...");
  const RequestResult result = QueryProperty(system, handle, StorageProperty::Adapter, reply);
  if (!result.ok) {
    log.AddDebugLogLine(u"Пропускается " + Flag(false));
    return FallbackAdapterDescriptor();
  }
  log.AddDebugLogLine(u"Готово " + Flag(true));
  std::array<std::uint8_t, 32> descriptor{};
  std::copy_n(reply.begin(), descriptor.size(), descriptor.begin());
  return descriptor;
}

void ReadDevice(System& system, DiagnosticLog& log, MessageBoxes& boxes, Handle handle, Reply& reply) {
  log.AddDebugLogLine(u"Запрос свойства хранения (устройство)...");
  const RequestResult result = QueryProperty(system, handle, StorageProperty::Device, reply);
  if (!result.ok && result.error != 0) {
    boxes.ShowMessageBox(u"Ошибка при доступе к устройству: " + SystemErrorText(system, result.error),
                         u"Error", MessageIcon::Error);
    throw ProgramTermination{};
  }
  log.AddDebugLogLine(u"Готово " + Flag(result.ok));
  log.AddDebugLogLine(u"Буфер: 512 байт\r\n" + HexDump(reply));
}

}  // namespace

std::int64_t ProbeDevice(System& system, DiagnosticLog& log, MessageBoxes& boxes, Handle handle,
                         TIdentifyDeviceData& description) {
  TIdentifyDeviceData probed;
  std::int64_t sectorSize = 0;
  std::int64_t length = 0;
  if (!ReadSectorSize(system, log, handle, sectorSize)) return -1;
  if (!ReadLength(system, log, handle, length)) return -1;
  const auto adapter = ReadAdapter(system, log, handle);
  Reply device{};
  ReadDevice(system, log, boxes, handle, device);
  const bool nvme = adapter[24] == BusTypeNvme;
  const DeviceStrings strings = ParseDeviceStrings(log, device, nvme);

  const std::int64_t sectors = sectorSize >= 512 ? length / sectorSize : 0;
  log.AddDebugLogLine(u"Сектора: " + Decimal(sectors));
  log.AddDebugLogLine(u"Размер сектора: " + Decimal(sectorSize));

  probed.BusType = adapter[24];
  if (probed.BusType == 3 || probed.BusType == 11) probed.IsIDESlave = QueryIdeSlave(system, handle) ? 1 : 0;
  probed.RemovableMedia = device[10] != 0;

  if (sectorSize < 512) sectorSize = 512;
  probed.MaximumSectorsTransfer = static_cast<std::int64_t>(ReadU32LE(adapter, 8)) / sectorSize;
  if (probed.MaximumSectorsTransfer > 250) probed.MaximumSectorsTransfer = 250;
  log.AddDebugLogLine(u"Максимальная передача: " + Decimal(probed.MaximumSectorsTransfer));

  probed.LBA = sectors;
  probed.SectorSize = sectorSize;
  probed.Model = strings.vendor + strings.product;
  if (Trim(probed.Model).empty()) probed.Model = u"Устройство хранения данных";
  probed.FW = strings.revision;
  if (Trim(probed.FW).empty()) probed.FW = u"0000";
  std::u16string serial = strings.serial;
  if (serial.size() == 40 && !nvme) DecodeHexSerial(log, serial);
  probed.SN = ShownDeviceText(serial);  // the hexadecimal decoding gives any byte
  if (Trim(probed.SN).empty()) probed.SN = u"000000";

  description = probed;
  return 0;
}

bool QueryIdeSlave(System& system, Handle handle) {
  // GETVERSIONINPARAMS byte 3 is the IDE device map: bits 0x02, 0x08, 0x20 and 0x80 are the slave
  // positions of the primary and secondary channels (ATA and ATAPI).
  std::array<std::uint8_t, 28> version{};
  std::uint32_t returned = 0;
  if (system.DeviceIoControl(handle, Ioctl::SmartGetVersion, {}, version, returned))
    return (version[3] & (0x02 | 0x08 | 0x20 | 0x80)) != 0;

  // With one bus whose first inquiry record follows the 12-byte bus table, byte 13 is that record's
  // target id, odd for the second device on a channel.
  Reply inquiry{};
  if (system.DeviceIoControl(handle, Ioctl::ScsiGetInquiryData, {}, inquiry, returned))
    return (inquiry[13] & 1) != 0;
  return false;
}

}  // namespace trelvane
