// The health verdict over real drives' SMART data and an NVMe health log, with the bytes that move a
// verdict changed one at a time, and the warning for a drive whose password outlives an erase.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "ata/drive_health.h"
#include "test_support.h"
#include "text/u16.h"

namespace trelvane {
namespace {

std::array<std::uint8_t, 512> Block(const std::filesystem::path& file) {
  const std::vector<unsigned char> bytes = testing::ReadBinaryFile(file);
  std::array<std::uint8_t, 512> block{};
  std::copy_n(bytes.begin(), std::min<std::size_t>(bytes.size(), block.size()), block.begin());
  return block;
}

struct AtaCase {
  const char* drive;
  int selfTestStatus;  // -1: as recorded
  std::u16string first;  // after "Состояние накопителя: "
  std::u16string figures;
};

TEST(DriveHealth, AtaVerdictFromCountersAndTheLastSelfTest) {
  const AtaCase cases[] = {
      {"FUJITSU_MHY2120BH--0084000D", -1, u"в норме (переназначенных, ожидающих и неисправимых секторов нет)",
       // Attribute 5 keeps another figure in its upper bytes: the count is the low 32 bits, 0.
       u"Температура: 28 °C; часы работы: 2208; переназначенные сектора: 0; ожидающие сектора: 0"},
      {"INTEL_SSDSA2CW120G3--4PC10302", -1, u"в норме (переназначенных, ожидающих и неисправимых секторов нет)",
       u"Температура: нет данных; часы работы: 45; переназначенные сектора: 0; ожидающие сектора: нет данных"},
      {"ST320410A--3.39", -1, u"есть признаки износа (переназначенных секторов: 5)",
       u"Температура: 40 °C; часы работы: 30,387; переназначенные сектора: 5; ожидающие сектора: 0"},
      {"WDC_WD2500JB--00REA0-20.00K20", -1, u"есть признаки износа (ожидающих секторов: 1)",
       u"Температура: 17 °C; часы работы: 2379; переназначенные сектора: 0; ожидающие сектора: 1"},
      // Status 2 is a self-test the host interrupted; 3 to 8 are failures.
      {"FUJITSU_MHY2120BH--0084000D", 2, u"в норме (переназначенных, ожидающих и неисправимых секторов нет)", u""},
      {"FUJITSU_MHY2120BH--0084000D", 3, u"неисправен (последняя самопроверка накопителя завершилась ошибкой)", u""},
      {"WDC_WD2500JB--00REA0-20.00K20", 8,
       u"неисправен (последняя самопроверка накопителя завершилась ошибкой, ожидающих секторов: 1)", u""},
      // No counter at all (an emulated or bridged drive's blank block) is no evidence of health.
      {"", -1, u"нет данных (накопитель не ведёт счётчиков переназначенных, ожидающих и неисправимых секторов)",
       u"Температура: нет данных; часы работы: нет данных; переназначенные сектора: нет данных; ожидающие сектора: нет данных"},
  };
  for (const AtaCase& c : cases) {
    std::array<std::uint8_t, 512> smart{};
    if (*c.drive != '\0') smart = Block(testing::RealDriveFile(std::string(c.drive) + ".smart.bin"));
    if (c.selfTestStatus >= 0) smart[363] = static_cast<std::uint8_t>(c.selfTestStatus << 4);
    const std::vector<std::u16string> lines = HealthLines(AtaHealth(smart));
    ASSERT_EQ(lines.size(), 2u) << c.drive;
    EXPECT_EQ(ToUtf8(lines[0]), ToUtf8(u"Состояние накопителя: " + c.first)) << c.drive << " " << c.selfTestStatus;
    EXPECT_TRUE(c.figures.empty() || lines[1] == c.figures) << ToUtf8(lines[1]);
  }
}

struct NvmeCase {
  std::size_t offset;  // the byte changed, 0 with value 0 for the log as recorded (its own bit 1 cleared)
  std::uint8_t value;
  std::u16string first;  // after "Состояние накопителя: "
};

TEST(DriveHealth, NvmeVerdictFromCriticalWarningLifeUsedAndMediaErrors) {
  const NvmeCase cases[] = {
      {0, 0, u"в норме (критических предупреждений нет)"},
      {0, 0x09, u"неисправен (критическое предупреждение: запас ниже порога, носитель только для чтения)"},
      {5, 79, u"в норме (критических предупреждений нет)"},
      {5, 80, u"есть признаки износа (израсходовано 80 % ресурса)"},
      {175, 1, u"есть признаки износа (ошибок носителя: 1329227995784915872903807060280344576)"},
  };
  for (const NvmeCase& c : cases) {
    std::array<std::uint8_t, 512> log = Block(testing::TestDataFile("testdata/nvme/qemu-4k.smart-log.bin"));
    log[0] = 0;
    log[c.offset] = c.value;
    const std::vector<std::u16string> lines = HealthLines(NvmeHealth(log));
    EXPECT_EQ(ToUtf8(lines[0]), ToUtf8(u"Состояние накопителя: " + c.first)) << c.offset << "=" << int(c.value);
    EXPECT_EQ(lines[1].rfind(u"Температура: 50 °C; часы работы: 0;", 0), 0u) << c.offset;
  }
}

TEST(DriveHealth, SecurityWarningOnlyWhenAPasswordIsSetOrTheDriveLocked) {
  EXPECT_EQ(SecurityWarning({.supported = true, .frozen = true}), u"");
  EXPECT_NE(SecurityWarning({.supported = true, .enabled = true}).find(u"установлен пароль"), std::u16string::npos);
  EXPECT_NE(SecurityWarning({.enabled = true, .locked = true}).find(u"заблокирован"), std::u16string::npos);
}

}  // namespace
}  // namespace trelvane
