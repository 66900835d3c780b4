#include <gtest/gtest.h>

#include "app/chooser_model.h"
#include "recording_views.h"
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

// The smallest drive that may be chosen has 65535 sectors, whatever their size; one sector fewer is
// refused with the information box and leaves the earlier choice as it was.
TEST(ChooseDrive, SixtyFiveThousandFiveHundredThirtyFiveSectorsIsTheSmallestDriveAccepted) {
  struct Case {
    std::int64_t sectors;
    std::int64_t sectorSize;
    bool accepted;
  };
  for (const Case& c : {Case{65535, 512, true}, Case{65534, 512, false}, Case{65535, 4096, true},
                        Case{65534, 4096, false}, Case{0, 512, false}}) {
    ProgramState state;
    state.DriveCount = 2;
    state.DriveTable[1].IdentifyData.LBA = 1'000'000;
    state.DriveTable[2].IdentifyData.LBA = c.sectors;
    state.DriveTable[2].IdentifyData.SectorSize = c.sectorSize;
    testing::RecordingBoxes boxes;
    ASSERT_TRUE(ChooseDrive(state, 1, boxes));
    EXPECT_EQ(ChooseDrive(state, 2, boxes), c.accepted) << c.sectors << " x " << c.sectorSize;
    EXPECT_TRUE(state.DriveChosen);
    EXPECT_EQ(state.SelectedDrive, c.accepted ? 2 : 1);
    if (c.accepted) {
      EXPECT_TRUE(boxes.boxes.empty());
    } else {
      ASSERT_EQ(boxes.boxes.size(), 1u);
      EXPECT_EQ(boxes.boxes[0].text, u"К этому устройству нет доступа, потому что в нем меньше 65535 секторов.  ");
      EXPECT_EQ(boxes.boxes[0].caption, u"Нет доступа к этому устройству");
      EXPECT_EQ(boxes.boxes[0].icon, MessageIcon::Information);
    }
  }
}

}  // namespace
}  // namespace trelvane
