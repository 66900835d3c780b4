#include "format/run_plan.h"

#include <algorithm>

#include "format/firmware_erase_text.h"
#include "format/progress_text.h"
#include "os/win_constants.h"
#include "text/number_text.h"
#include "text/u16.h"

namespace trelvane {

namespace {

// STORAGE_BUS_TYPE codes of the buses with a speed of their own.
constexpr std::int64_t BusScsi = 1, BusAta = 3, Bus1394 = 4, BusUsb = 7, BusRaid = 8, BusSas = 10, BusSata = 11,
                       BusSd = 12, BusMmc = 13;

std::int64_t ExtentBytes(const EraseMethod& method, std::int64_t deviceBytes) {
  std::int64_t bytes = 0;
  for (const WipeExtent& extent : method.Extents(deviceBytes)) bytes += extent.to - extent.from;
  return bytes;
}

}  // namespace

// NVMe: 400 MB/s, what a budget drive sustains once its write cache is full. ATA, SATA, SAS, SCSI and
// RAID: 100 MB/s, a hard disk's average over the whole platter (the inner tracks are slower than the
// outer). USB, FireWire and memory cards: 25 MB/s, a flash stick or an old bridge. Anything else:
// 50 MB/s.
std::int64_t TypicalWriteSpeed(std::int64_t busType) {
  switch (busType) {
    case BusTypeNvme: return 400'000'000;
    case BusScsi:
    case BusAta:
    case BusRaid:
    case BusSas:
    case BusSata: return 100'000'000;
    case Bus1394:
    case BusUsb:
    case BusSd:
    case BusMmc: return 25'000'000;
    default: return 50'000'000;
  }
}

std::u16string ScopeText(const EraseMethod& method, std::int64_t deviceBytes) {
  return ExtentBytes(method, deviceBytes) >= deviceBytes ? u"весь диск" : u"начало и конец диска";
}

std::u16string RunPlanLines(const TDeviceTable& drive, const EraseRequest& request, char16_t decimalSeparator) {
  const EraseMethod& method = *request.method;
  const std::int64_t deviceBytes = drive.IdentifyData.LBA * drive.IdentifyData.SectorSize;
  std::u16string lines;
  if (method.Firmware() == nullptr) {
    const std::int64_t bytes = ExtentBytes(method, deviceBytes);
    lines += u"\r\n\r\nСпособ: " + FromUtf8(method.Names().text);
    lines += u"\r\nБудет записано нулями: " + ScopeText(method, deviceBytes) + u", ";
    lines += bytes < deviceBytes ? GroupDigits(bytes) + u" из " + GroupDigits(deviceBytes) + u" байт"
                                 : GroupDigits(bytes) + u" байт (" + SizeText(bytes, decimalSeparator) + u")";
    const std::int64_t speed = TypicalWriteSpeed(drive.IdentifyData.BusType);
    // The read-back goes over the same bytes, at about the same speed.
    const double seconds = static_cast<double>(bytes) / static_cast<double>(speed) * (request.verify ? 2.0 : 1.0);
    const std::int64_t ms = std::max<std::int64_t>(static_cast<std::int64_t>(seconds * 1000.0), 1000);
    lines += u"\r\nОжидаемое время: около " + DurationText(ms) + u" (при " +
             SpeedCaptionText(static_cast<double>(speed) / 1e6, decimalSeparator) + u")";
  } else {
    lines += u"\r\n";
  }
  lines += request.verify ? u"\r\nПроверка чтением: будет выполнена" : u"\r\nПроверка чтением: не будет выполнена";
  lines += drive.AssociatedPartitions.empty() ? std::u16string(u"\r\nПодключенных томов на диске нет")
                                              : u"\r\nБудут отключены тома: " + drive.AssociatedPartitions;
  return lines;
}

}  // namespace trelvane
