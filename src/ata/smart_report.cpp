#include "ata/smart_report.h"

#include <array>

#include "common/product.h"
#include "ata/ata_transport.h"
#include "ata/smart_attribute_names.h"
#include "os/bytes.h"
#include "common/drive_title.h"
#include "nvme/nvme_reports.h"
#include "os/win_constants.h"
#include "text/number_text.h"
#include "text/u16.h"

namespace trelvane {

namespace {

constexpr std::uint8_t TemperatureAttribute = 194;

// SMART READ DATA: bytes 0-1 hold the structure revision; up to 30 attribute records follow.
//
//   record offset  size  field
//   -------------  ----  --------------------------------------------------
//               0     1  attribute id (0: an empty record, the table ends)
//               1     2  status flags (not shown)
//               3     1  current (normalised) value
//               4     1  worst value
//               5     6  raw value, least significant byte first
//              11     1  reserved
constexpr std::size_t FirstRecord = 2;
constexpr std::size_t RecordBytes = 12;
constexpr std::size_t MaximumRecords = 30;
constexpr std::size_t RecordId = 0;
constexpr std::size_t RecordCurrent = 3;
constexpr std::size_t RecordWorst = 4;
constexpr std::size_t RecordRaw = 5;
constexpr std::size_t RawBytes = 6;

// The number columns end under the last letters of "Текущее", "Худшее" and "Данные"; the temperature
// note's parenthesis sits under the first letter of "Примечание".
constexpr const char16_t* ColumnHeader =
    u"          Атрибут                      Текущее   Худшее            Данные  Примечание";
constexpr std::size_t RuleWidth = 88;

std::uint64_t RawValue(std::span<const std::uint8_t, 12> record) {
  std::uint64_t value = 0;
  for (std::size_t i = RawBytes; i-- > 0;) value = (value << 8) | record[RecordRaw + i];
  return value;
}

void AppendHeader(System& system, const ProgramState& state, DiagnosticLog& log, LineSink& smart) {
  smart.AppendLine(u" ");
  smart.AppendLine(u"Текущая дата и время: " + log.CurrentDateTimeText());
  smart.AppendLine(std::u16string(ProductLine) + u"; " + MakerWebAddress);
  smart.AppendLine(u"Данные SMART для " + ComposeDriveTitle(state.DriveTable, state.SelectedDrive,
                                                           system.GetRegionalSettings().decimalSeparator));
  smart.AppendLine(u" ");
}

}  // namespace

// On an ATA bus SMART operations are switched on for the read and off again afterwards, whatever
// became of the enable and the read; other buses are asked for the data only.
bool ReadDriveSmartData(System& system, const ProgramState& state, std::span<std::uint8_t, 512> data) {
  const TIdentifyDeviceData& drive = state.SelectedEntry().IdentifyData;
  const Handle handle = state.DriveHandle.Get();
  if (drive.BusType != BusTypeAta) return ReadSmartData(system, handle, drive.IsIDESlave, data);
  bool read = false;
  if (EnableSmart(system, handle, drive.IsIDESlave))
    read = ReadSmartData(system, handle, drive.IsIDESlave, data);
  DisableSmart(system, handle, drive.IsIDESlave);
  return read;
}

std::u16string SmartAttributeLine(std::span<const std::uint8_t, 12> record) {
  const std::uint8_t id = record[RecordId];
  std::u16string line = u" " + PadRight(Decimal(id), 3) + u"  " + HexByte(id) + u"  " + SmartAttributeName(id);
  line += u"     " + PadLeft(Decimal(record[RecordCurrent]), 5);
  line += u"  " + PadLeft(Decimal(record[RecordWorst]), 7);
  line += u"  " + PadLeft(DecimalUnsigned(RawValue(record)), 16);
  // The drive temperature in degrees Celsius is the raw value's lowest byte.
  if (id == TemperatureAttribute) line += u"  (" + Decimal(record[RecordRaw]) + u"°C) ";
  return line;
}

std::vector<std::u16string> SmartTableLines(std::span<const std::uint8_t, 512> smartData) {
  std::vector<std::u16string> lines = {ColumnHeader, std::u16string(RuleWidth, u'-')};
  for (std::size_t index = 0; index < MaximumRecords; ++index) {
    const auto record = smartData.subspan(FirstRecord + index * RecordBytes).first<RecordBytes>();
    if (record[RecordId] == 0) break;
    lines.push_back(SmartAttributeLine(record));
  }
  lines.push_back(u" ");
  return lines;
}

void ShowSmartData(System& system, const ProgramState& state, DiagnosticLog& log, LineSink& smart) {
  std::array<std::uint8_t, 512> data{};
  AppendHeader(system, state, log, smart);
  // An NVMe drive is asked for its health log and sent no ATA SMART command while it answers.
  if (state.SelectedEntry().IdentifyData.BusType == BusTypeNvme) {
    if (const auto health = ReadNvmeHealth(system, state.DriveHandle.Get())) {
      for (const std::u16string& line : *health) smart.AppendLine(line);
      return;
    }
  }
  if (!ReadDriveSmartData(system, state, data)) {
    smart.AppendLine(u"SMART не поддерживается этим устройством.");
    return;
  }
  for (const std::u16string& line : SmartTableLines(data)) smart.AppendLine(line);
}

}  // namespace trelvane
