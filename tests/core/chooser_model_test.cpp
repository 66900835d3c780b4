#include <gtest/gtest.h>

#include "app/chooser_model.h"
#include "test_support.h"

namespace trelvane {
namespace {

struct RowCase {
  const char16_t* model;
  std::int64_t sectors;
  const char16_t* volumes;
  std::int64_t busType;
  std::int64_t sectorSize;
  ChooserRowTexts expected;
};

TEST(ChooserRow, SixColumnsFromTheTableEntry) {
  const RowCase cases[] = {
      // The model is trimmed and carries its volumes in brackets.
      {u"  WDC WD2500JB-00REA0 \t", 488397168, u"C: D:", 11, 512,
       {u"SATA", u"WDC WD2500JB-00REA0 (C: D:)", u"FW", u"SN", u"488397168", u"250,05 ГБ"}},
      // The capacity is the sector count times the drive's own sector size.
      {u"ST320410A", 65535, u"", 0, 4096, {u"UNKNOWN", u"ST320410A", u"FW", u"SN", u"65535", u"268,43 МБ"}},
      {u"IMAGE DISK", 100000, u"", 200, 512, {u"IMAGE", u"IMAGE DISK", u"FW", u"SN", u"100000", u"51,2 МБ"}},
      // Only the low 32 bits of the bus code name the bus.
      {u"HIGH BITS", 100000, u"", 0x100000000LL + 11, 512,
       {u"SATA", u"HIGH BITS", u"FW", u"SN", u"100000", u"51,2 МБ"}},
  };
  for (const RowCase& row : cases) {
    TDeviceTable entry;
    entry.IdentifyData = {row.model, u"FW", u"SN", row.sectors, row.sectorSize, row.busType};
    entry.AssociatedPartitions = row.volumes;
    EXPECT_EQ(ChooserRow(entry, u','), row.expected) << ::testing::PrintToString(std::u16string(row.model));
  }
}

}  // namespace
}  // namespace trelvane
