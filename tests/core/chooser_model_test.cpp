#include <gtest/gtest.h>

#include "app/chooser_model.h"
#include "recording_views.h"
#include "test_support.h"

namespace trelvane {
namespace {

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
