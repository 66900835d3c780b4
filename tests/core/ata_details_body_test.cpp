// The body of the device details report for decoded drives.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ata/device_details.h"
#include "test_support.h"

namespace trelvane {
namespace {

using Lines = std::vector<std::u16string>;

// Lines of `lines` from the one equal to `heading` up to the next blank line (exclusive).
Lines Section(const Lines& lines, const std::u16string& heading) {
  Lines section;
  bool inside = false;
  for (const auto& line : lines) {
    if (line == heading) inside = true;
    if (inside && line == u" ") break;
    if (inside) section.push_back(line);
  }
  return section;
}

TEST(DeviceDetailsBody, CountsAreGroupedAndCapacityUses512ByteSectors) {
  T_IDE_PASSPORT passport;
  passport.lba28support = passport.lba48support = true;
  passport.lba28sectors = 268435455;
  passport.lba48sectors = passport.lbasectors = 976773168;
  passport.sectorsize = 4096;  // not used: the capacity always counts 512 bytes a sector
  passport.buffersize = 8388608;
  const Lines lines = DeviceDetailsBody(passport, u',');
  EXPECT_EQ(lines[3], u"Размер буфера: 8388,6 КБ");
  EXPECT_EQ(Section(lines, u"ФИЗИЧЕСКИЕ ПАРАМЕТРЫ:"),
            (Lines{u"ФИЗИЧЕСКИЕ ПАРАМЕТРЫ:", u"Режим LBA поддерживается", u"Режим LBA-48 поддерживается",
                   u"Сектора, доступные с командами LBA: 268,435,455",
                   u"Сектора, доступные с командами LBA-48: 976,773,168",
                   u"Полная емкость устройства: 500,107,862,016 байт"}));
  EXPECT_EQ(DeviceDetailsBody(passport, u'.')[3], u"Размер буфера: 8388.6 КБ");
}

TEST(DeviceDetailsBody, LockedDriveShowsItsSecurityLevel) {
  T_IDE_PASSPORT passport;
  passport.securitysupport = passport.locked = passport.lockedmax = true;
  EXPECT_EQ(Section(DeviceDetailsBody(passport, u','), u"БЕЗОПАСНОСТЬ:"),
            (Lines{u"БЕЗОПАСНОСТЬ:", u"Средства защиты поддерживаются", u"Диск в данное время ЗАБЛОКИРОВАН",
                   u"Уровень безопасности: Максимум", u"Устройству нужен пароль ПОЛЬЗОВАТЕЛЯ для разблокировки.",
                   u"Если пароль ПОЛЬЗОВАТЕЛЯ неизвестен, устройство могло бы быть стерто паролем МАСТЕРА."}));
  passport.lockedmax = false;
  EXPECT_EQ(Section(DeviceDetailsBody(passport, u','), u"БЕЗОПАСНОСТЬ:"),
            (Lines{u"БЕЗОПАСНОСТЬ:", u"Средства защиты поддерживаются", u"Диск в данное время ЗАБЛОКИРОВАН",
                   u"Уровень безопасности: Высокий",
                   u"Устройству нужен пароль ПОЛЬЗОВАТЕЛЯ или МАСТЕРА для разблокировки."}));
}

}  // namespace
}  // namespace trelvane
