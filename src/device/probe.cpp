#include "device/probe.h"

#include <memory>
#include <vector>

#include "common/system_error_text.h"
#include "os/win_constants.h"
#include "text/device_text.h"
#include "text/u16.h"

namespace trelvane {

namespace {

using Reply = std::vector<std::uint8_t>;

// "-1" for a request that succeeded, "0" for one that failed.
std::u16string Flag(bool ok) { return ok ? u"-1" : u"0"; }

// " 00 01 ..." with a line break after every 16th byte.
std::u16string HexDump(const Reply& reply) {
  std::u16string text;
  for (std::size_t i = 0; i < reply.size(); ++i) {
    text += u' ' + HexByte(reply[i]);
    if ((i + 1) % 16 == 0) text += u"\r\n";
  }
  return text;
}

struct DeviceStrings {
  std::u16string vendor;
  std::u16string product;
  std::u16string revision;
  std::u16string serial;
};

DeviceStrings ParseDeviceStrings(DiagnosticLog& log, const DriveIdentity& identity) {
  log.AddDebugLogLine(u"Парсинг данных...");
  DeviceStrings strings;
  // Escaped as they are read: the log lines below already show them.
  strings.vendor = ShownDeviceText(Trim(identity.vendor)) + u" ";
  log.AddDebugLogLine(u"Идентификатор производителя: " + strings.vendor);
  strings.product = ShownDeviceText(Trim(identity.product));
  log.AddDebugLogLine(u"Идентификатор продукта: " + strings.product);
  strings.revision = ShownDeviceText(Trim(identity.revision));
  log.AddDebugLogLine(u"Ревизия продукта: " + strings.revision);
  strings.serial = ShownDeviceText(Trim(identity.serial));
  log.AddDebugLogLine(u"Серийный номер: " + strings.serial);
  return strings;
}

// The sector size, or nothing when the query failed with a code.
bool ReadSectorSize(DiagnosticLog& log, BlockDevice& device, std::int64_t& sectorSize) {
  log.AddDebugLogLine(u"Получение геометрии...");
  std::uint32_t bytes = 0;
  const QueryStatus geometry = device.SectorSize(bytes);
  if (!geometry.ok && geometry.error != 0) return false;
  log.AddDebugLogLine(u"Готово " + Flag(geometry.ok));
  sectorSize = bytes;
  log.AddDebugLogLine(u"Размер сектора = " + Decimal(sectorSize));
  return true;
}

bool ReadLength(System& system, DiagnosticLog& log, BlockDevice& device, std::int64_t& length) {
  log.AddDebugLogLine(u"Получение длины диска...");
  std::uint64_t bytes = 0;
  const QueryStatus result = device.Length(bytes);
  if (!result.ok && result.error != 0) {
    log.AddDebugLogLine(u"Ошибка при доступе к устройству: " + SystemErrorText(system, result.error));
    return false;
  }
  log.AddDebugLogLine(u"Готово " + Flag(result.ok));
  length = static_cast<std::int64_t>(bytes);
  log.AddDebugLogLine(u"\"Длина\" носителя = " + Decimal(length));
  return true;
}

// The adapter's facts, or the assumed ones when the adapter does not answer.
AdapterInfo ReadAdapter(DiagnosticLog& log, BlockDevice& device) {
  log.AddDebugLogLine(u"Запрос свойства хранения (адаптер)...");
  AdapterInfo adapter;
  if (!device.Adapter(adapter).ok) {
    log.AddDebugLogLine(u"Пропускается " + Flag(false));
    return AdapterInfo{};
  }
  log.AddDebugLogLine(u"Готово " + Flag(true));
  return adapter;
}

DriveIdentity ReadDevice(System& system, DiagnosticLog& log, MessageBoxes& boxes, BlockDevice& device,
                         std::uint8_t busType) {
  log.AddDebugLogLine(u"Запрос свойства хранения (устройство)...");
  DriveIdentity identity;
  const QueryStatus result = device.Identity(busType, identity);
  if (!result.ok && result.error != 0) {
    boxes.ShowMessageBox(u"Ошибка при доступе к устройству: " + SystemErrorText(system, result.error),
                         u"Error", MessageIcon::Error);
    throw ProgramTermination{};
  }
  log.AddDebugLogLine(u"Готово " + Flag(result.ok));
  if (!identity.rawReply.empty())
    log.AddDebugLogLine(u"Буфер: " + Decimal(static_cast<std::int64_t>(identity.rawReply.size())) + u" байт\r\n" +
                        HexDump(identity.rawReply));
  return identity;
}

}  // namespace

std::int64_t ProbeDevice(System& system, DiagnosticLog& log, MessageBoxes& boxes, Handle handle,
                         TIdentifyDeviceData& description) {
  TIdentifyDeviceData probed;
  std::int64_t sectorSize = 0;
  std::int64_t length = 0;
  const std::unique_ptr<BlockDevice> device = system.BlockDeviceOf(handle);
  if (!ReadSectorSize(log, *device, sectorSize)) return -1;
  if (!ReadLength(system, log, *device, length)) return -1;
  const AdapterInfo adapter = ReadAdapter(log, *device);
  const DriveIdentity identity = ReadDevice(system, log, boxes, *device, adapter.busType);
  const bool nvme = adapter.busType == BusTypeNvme;
  const DeviceStrings strings = ParseDeviceStrings(log, identity);

  const std::int64_t sectors = sectorSize >= 512 ? length / sectorSize : 0;
  log.AddDebugLogLine(u"Сектора: " + Decimal(sectors));
  log.AddDebugLogLine(u"Размер сектора: " + Decimal(sectorSize));

  probed.BusType = adapter.busType;
  if (probed.BusType == 3 || probed.BusType == 11) probed.IsIDESlave = device->IdeSlave() ? 1 : 0;
  probed.RemovableMedia = identity.removable;

  if (sectorSize < 512) sectorSize = 512;
  probed.MaximumSectorsTransfer = static_cast<std::int64_t>(adapter.maxTransferBytes) / sectorSize;
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

bool QueryIdeSlave(System& system, Handle handle) { return system.BlockDeviceOf(handle)->IdeSlave(); }

}  // namespace trelvane
