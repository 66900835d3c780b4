#include "ata/device_details.h"

#include <array>
#include <cstdint>

#include "common/product.h"
#include "ata/ata_erase_capabilities.h"
#include "ata/ata_transport.h"
#include "common/drive_title.h"
#include "nvme/nvme_reports.h"
#include "os/win_constants.h"
#include "text/number_text.h"
#include "text/u16.h"

namespace trelvane {

namespace {

// The capacity line counts 512 bytes a sector, whatever sector size the drive table holds.
constexpr std::int64_t CapacitySectorBytes = 512;

using Lines = std::vector<std::u16string>;

const char16_t* Choose(bool condition, const char16_t* whenTrue, const char16_t* whenFalse) {
  return condition ? whenTrue : whenFalse;
}

void AppendIdentity(const T_IDE_PASSPORT& passport, char16_t decimalSeparator, Lines& lines) {
  lines.push_back(u"Модель: " + passport.name);
  lines.push_back(u"Ревизия прошивки: " + passport.fw);
  lines.push_back(u"Серийный номер: " + passport.sn);
  if (passport.buffersize > 0) lines.push_back(u"Размер буфера: " + SizeText(passport.buffersize, decimalSeparator));
  lines.push_back(u" ");
}

void AppendPhysicalParameters(const T_IDE_PASSPORT& passport, Lines& lines) {
  lines.push_back(u"ФИЗИЧЕСКИЕ ПАРАМЕТРЫ:");
  lines.push_back(Choose(passport.lba28support, u"Режим LBA поддерживается", u"Режим LBA не поддерживается"));
  lines.push_back(
      Choose(passport.lba48support, u"Режим LBA-48 поддерживается", u"Режим LBA-48 не поддерживается"));
  lines.push_back(u"Сектора, доступные с командами LBA: " + GroupDigits(passport.lba28sectors));
  lines.push_back(u"Сектора, доступные с командами LBA-48: " + GroupDigits(passport.lba48sectors));
  lines.push_back(u"Полная емкость устройства: " + GroupDigits(passport.lbasectors * CapacitySectorBytes) +
                  u" байт");
  lines.push_back(u" ");
}

void AppendSecurity(const T_IDE_PASSPORT& passport, Lines& lines) {
  lines.push_back(u"БЕЗОПАСНОСТЬ:");
  lines.push_back(
      Choose(passport.securitysupport, u"Средства защиты поддерживаются", u"Средства защиты не поддерживаются"));
  if (!passport.locked) {
    lines.push_back(u"Устройство в данное время не заблокировано");
  } else if (passport.lockedmax) {
    lines.insert(lines.end(), {u"Диск в данное время ЗАБЛОКИРОВАН", u"Уровень безопасности: Максимум",
                               u"Устройству нужен пароль ПОЛЬЗОВАТЕЛЯ для разблокировки.",
                               u"Если пароль ПОЛЬЗОВАТЕЛЯ неизвестен, устройство могло бы быть стерто "
                               u"паролем МАСТЕРА."});
  } else {
    lines.insert(lines.end(), {u"Диск в данное время ЗАБЛОКИРОВАН", u"Уровень безопасности: Высокий",
                               u"Устройству нужен пароль ПОЛЬЗОВАТЕЛЯ или МАСТЕРА для разблокировки."});
  }
  lines.push_back(u" ");
}

// The feature sets the report names, with their two texts.
struct FeatureLine {
  bool T_IDE_PASSPORT::*flag;
  const char16_t* supported;
  const char16_t* notSupported;
};
constexpr std::array<FeatureLine, 4> FeatureLines = {{
    {&T_IDE_PASSPORT::smartsupport, u"SMART поддерживается", u"SMART не поддерживается"},
    {&T_IDE_PASSPORT::hpasupport, u"HPA (защищенная узлом область) поддерживается",
     u"HPA (защищенная узлом область) не поддерживается"},
    {&T_IDE_PASSPORT::aamsupport, u"AAM (автоматическое акустическое управление) поддерживается",
     u"AAM (автоматическое акустическое управление) не поддерживается"},
    {&T_IDE_PASSPORT::StreamingSupported, u"Набор потоковых характеристик поддерживается",
     u"Набор потоковых характеристик не поддерживается"},
}};

void AppendFeatures(const T_IDE_PASSPORT& passport, Lines& lines) {
  lines.push_back(u"ХАРАКТЕРИСТИКИ:");
  for (const FeatureLine& feature : FeatureLines)
    lines.push_back(Choose(passport.*feature.flag, feature.supported, feature.notSupported));
  lines.push_back(u" ");
}

// Word 75 holds the depth minus one, hence the + 1.
void AppendQueuing(const T_IDE_PASSPORT& passport, Lines& lines) {
  lines.push_back(u"ОРГАНИЗАЦИЯ ОЧЕРЕДЕЙ:");
  if (passport.QueueDepth > 0) {
    lines.push_back(u"Организация очередей команд поддерживается устройством");
    lines.push_back(u"Максимальная глубина очереди: " + Decimal(passport.QueueDepth + 1));
  } else {
    lines.push_back(u"Организация очередей команд не поддерживается устройством");
  }
}

void AppendHeader(const ProgramState& state, DiagnosticLog& log, char16_t decimalSeparator, LineSink& details) {
  details.AppendLine(u" ");
  details.AppendLine(u"Текущая дата и время: " + log.CurrentDateTimeText());
  details.AppendLine(std::u16string(ProductLine) + u"; " + MakerWebAddress);
  details.AppendLine(u"Детали устройства для " +
                     ComposeDriveTitle(state.DriveTable, state.SelectedDrive, decimalSeparator));
  details.AppendLine(u" ");
}

}  // namespace

std::vector<std::u16string> DeviceDetailsBody(const T_IDE_PASSPORT& passport, char16_t decimalSeparator) {
  Lines lines;
  AppendIdentity(passport, decimalSeparator, lines);
  AppendPhysicalParameters(passport, lines);
  AppendSecurity(passport, lines);
  AppendFeatures(passport, lines);
  AppendQueuing(passport, lines);
  return lines;
}

bool IdentifyForDetails(System& system, Handle handle, const TIdentifyDeviceData& drive,
                        std::span<std::uint8_t, 512> identify) {
  if (IdentifyDevice(system, handle, drive.IsIDESlave, identify)) return true;
  return drive.BusType == BusTypeAta && IdentifyDevice(system, handle, drive.IsIDESlave, identify);
}

void ShowDeviceDetails(System& system, const ProgramState& state, DiagnosticLog& log, LineSink& details) {
  const char16_t decimalSeparator = system.GetRegionalSettings().decimalSeparator;
  AppendHeader(state, log, decimalSeparator, details);
  const TIdentifyDeviceData& drive = state.SelectedEntry().IdentifyData;
  const Handle handle = state.DriveHandle.Get();
  std::array<std::uint8_t, 512> identify{};
  const bool answered = IdentifyForDetails(system, handle, drive, identify);
  if (!answered && drive.BusType == BusTypeAta) {
    details.AppendLine(u"Детали недоступны: Внутренняя ошибка.");
    details.AppendLine(std::u16string(u"Отправьте эту проблему на ") + SupportForumAddress);
    return;
  }
  if (!answered) {
    // An NVMe drive answers no ATA IDENTIFY; its own Identify data take the place of the body.
    const auto nvme = drive.BusType == BusTypeNvme ? ReadNvmeDetails(system, handle) : std::nullopt;
    if (!nvme) {
      details.AppendLine(u"Детали недоступны для этого устройства.");
      return;
    }
    for (const std::u16string& line : *nvme) details.AppendLine(line);
    return;
  }
  const T_IDE_PASSPORT passport = DecodeIdentifyData(identify, system.GetACP());
  for (const std::u16string& line : DeviceDetailsBody(passport, decimalSeparator))
    details.AppendLine(line);
  details.AppendLine(u" ");
  for (const std::u16string& line : AtaEraseDetails(DecodeEraseCapabilities(identify))) details.AppendLine(line);
}

}  // namespace trelvane
