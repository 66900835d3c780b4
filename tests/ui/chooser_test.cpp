// The drive chooser on its own: a drive table filled by hand, the real window driven by mouse and
// keyboard, modal boxes answered as they come up.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include "common/product.h"
#include "ui/toolkit/qt_message_boxes.h"
#include "test_support.h"
#include "text/u16.h"
#include "ui/fm_choose.h"
#include "ui/link_label.h"
#include "ui_harness.h"

namespace trelvane {
namespace {

using testing::BoxText;
using testing::Child;
using testing::Click;
using testing::ClickRow;
using testing::ModalScript;
using testing::PressKey;
using testing::RunUntil;

class RecordingEnding final : public ProgramEnding {
 public:
  void EndProgram(int exitCode) override { codes.push_back(exitCode); }
  std::vector<int> codes;
};

class Chooser : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::EnsureApplication();
    system_ = EmulatedMachineFromJson("{}", ".");
    chooser_ = std::make_unique<TFmChoose>(*system_, state_, boxes_, ending_);
  }

  void AddDrive(const std::u16string& model, std::int64_t sectors, const std::u16string& volumes = u"",
                std::int64_t busType = 11, std::int64_t sectorSize = 512) {
    TDeviceTable& entry = state_.DriveTable[++state_.DriveCount];
    entry.IdentifyData.Model = model;
    entry.IdentifyData.FW = u"FW" + Decimal(state_.DriveCount);
    entry.IdentifyData.SN = u"SN" + Decimal(state_.DriveCount);
    entry.IdentifyData.LBA = sectors;
    entry.IdentifyData.SectorSize = sectorSize;
    entry.IdentifyData.BusType = busType;
    entry.AssociatedPartitions = volumes;
  }

  // Runs the chooser with `script` answering its modal windows; returns RunDriveChooser's result.
  bool Run(ModalScript& script) {
    bool chosen = false;
    bool returned = false;
    QTimer::singleShot(0, [&] {
      chosen = chooser_->RunDriveChooser();
      returned = true;
    });
    EXPECT_TRUE(RunUntil([&] { return returned; }));
    EXPECT_TRUE(script.Finished()) << script.Seen().join(u',').toStdString();
    return chosen;
  }

  QWidget& Window() { return *chooser_; }
  QTreeWidget& List() { return Child<QTreeWidget>(Window(), QStringLiteral("DriveList")); }
  QPushButton& Continue() { return Child<QPushButton>(Window(), QStringLiteral("btContinue")); }

  std::unique_ptr<EmulatedSystem> system_;
  ProgramState state_;
  QtMessageBoxes boxes_;
  RecordingEnding ending_;
  std::unique_ptr<TFmChoose> chooser_;
};

// What the user does in the chooser: with several drives the last is preselected, so Enter confirms
// it; a click on empty space clears the choice and disables Continue, a row chosen by keyboard then
// enables it again, and a double-click confirms; Escape outside the list does nothing, Escape in the list and the
// close box end the program; without drives Continue stays disabled and Enter does nothing.
TEST_F(Chooser, ChoosesOrEndsAsTheUserDoes) {
  struct Case {
    const char* name;
    int drives;
    std::function<bool(QWidget& window)> act;  // says whether what it saw on the way held
    bool chosen;
    std::int64_t selected;
  };
  const std::vector<Case> cases{
      {"Enter confirms the preselected last", 3,
       [&](QWidget&) {
         const bool preselected = Continue().isEnabled() && List().currentItem() == List().topLevelItem(2) &&
                                  List().topLevelItem(2)->isSelected() && List().hasFocus();
         PressKey(List(), Qt::Key_Return);
         return preselected;
       },
       true, 3},
      {"empty space, then a double-click", 2,
       [&](QWidget&) {
         QTest::mouseClick(List().viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(10, List().viewport()->height() - 5));
         const bool cleared = List().selectedItems().isEmpty() && !Continue().isEnabled();
         PressKey(List(), Qt::Key_Up);
         const bool keyboardChoseOne = !List().selectedItems().isEmpty() && Continue().isEnabled();
         QTest::mouseDClick(List().viewport(), Qt::LeftButton, Qt::NoModifier,
                            List().visualItemRect(List().topLevelItem(0)).center());
         return cleared && keyboardChoseOne;
       },
       true, 1},
      {"Escape outside the list, then the close box", 1,
       [&](QWidget& window) {
         Continue().setFocus();
         PressKey(Continue(), Qt::Key_Escape);
         const bool survived = window.isVisible() && ending_.codes.empty();
         window.close();
         return survived;
       },
       false, -1},
      {"no drives: Enter, then Escape", 0,
       [&](QWidget& window) {
         const bool empty = List().topLevelItemCount() == 0 && !Continue().isEnabled() &&
                            Child<QLabel>(window, QStringLiteral("StatusText")).text() == QStringLiteral("Найдено дисков: 0");
         PressKey(List(), Qt::Key_Return);
         const bool enterIgnored = window.isVisible() && ending_.codes.empty();
         PressKey(List(), Qt::Key_Escape);
         return empty && enterIgnored;
       },
       false, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    chooser_.reset();
    state_.DriveTable = {}, state_.DriveCount = 0, state_.SelectedDrive = -1, state_.DriveChosen = false;
    ending_.codes.clear();
    chooser_ = std::make_unique<TFmChoose>(*system_, state_, boxes_, ending_);
    chooser_->SetStatusText(QStringLiteral("Найдено дисков: ") + QString::number(c.drives));
    for (int drive = 0; drive < c.drives; ++drive) AddDrive(u"DRIVE", 100000);
    bool held = false;
    ModalScript script;
    script.Then(QStringLiteral("FmChoose"), [&](QWidget& window) { held = c.act(window); });
    EXPECT_EQ(Run(script), c.chosen);
    EXPECT_TRUE(held);
    EXPECT_EQ(std::pair(state_.DriveChosen, state_.SelectedDrive), std::pair(c.chosen, c.selected));
    EXPECT_EQ(ending_.codes, c.chosen ? std::vector<int>{} : std::vector<int>{0});
  }
}

// The row texts themselves are the chooser model's; here they reach the list under its captions.
TEST_F(Chooser, RowsShowTheSixColumnsFromTheTable) {
  AddDrive(u"  WDC WD2500JB-00REA0 \t", 488397168, u"C: D:");
  AddDrive(u"ST320410A", 65535, u"", 0, 4096);
  ModalScript script;
  script.Then(QStringLiteral("FmChoose"), [&](QWidget&) { PressKey(List(), Qt::Key_Escape); });
  Run(script);
  ASSERT_EQ(List().topLevelItemCount(), 2);
  QStringList first;
  for (int column = 0; column < List().columnCount(); ++column) first << List().topLevelItem(0)->text(column);
  EXPECT_EQ(first.join(u'|'), QStringLiteral("SATA|WDC WD2500JB-00REA0 (C: D:)|FW1|SN1|488397168|250,05 ГБ"));
  EXPECT_EQ(List().topLevelItem(1)->text(5), QStringLiteral("268,43 МБ"));
  // A cell cut by its column (a long serial) names its whole text in the tooltip.
  EXPECT_EQ(List().topLevelItem(0)->toolTip(3), QStringLiteral("SN1"));
  QStringList captions;
  for (int column = 0; column < List().columnCount(); ++column) captions << List().headerItem()->text(column);
  EXPECT_EQ(captions.join(u'|'), QStringLiteral("ШИНА|МОДЕЛЬ|ПРОШИВКА|СЕРИЙНЫЙ НОМЕР|LBA|ЕМКОСТЬ"));
  EXPECT_EQ(List().columnWidth(1), 220);
  EXPECT_EQ(List().columnWidth(3), 160);
}

TEST_F(Chooser, DriveBelow65535SectorsIsRefusedAndTheChooserStaysOpen) {
  AddDrive(u"JUST ENOUGH", 65535);
  AddDrive(u"TOO SMALL", 65534);
  ModalScript script;
  script.Then(QStringLiteral("FmChoose"), [&](QWidget&) { Click(Continue()); })
      .Then(QStringLiteral("MessageBox"),
            [&](QWidget& box) {
              EXPECT_EQ(BoxText(box),
                        QStringLiteral("К этому устройству нет доступа, потому что в нем меньше 65535 секторов.  "));
              EXPECT_EQ(box.windowTitle(), QStringLiteral("Нет доступа к этому устройству"));
              EXPECT_EQ(testing::BoxIcon(box), QMessageBox::Information);
              EXPECT_FALSE(state_.DriveChosen);
              testing::PressFirstButton(box);
            })
      .Then(QStringLiteral("FmChoose"), [&](QWidget&) {
        ClickRow(Window(), 0);
        Click(Continue());
      });
  EXPECT_TRUE(Run(script));
  EXPECT_EQ(state_.SelectedDrive, 1);
}

TEST_F(Chooser, LinksOpenThroughTheShellAndTheWebLinkTurnsRedWhileHeld) {
  AddDrive(u"ONLY", 100000);
  ModalScript script;
  script.Then(QStringLiteral("FmChoose"), [&](QWidget& window) {
    auto& web = Child<LinkLabel>(window, QStringLiteral("Label1"));
    auto& disks = Child<LinkLabel>(window, QStringLiteral("lbDiskManagement"));
    EXPECT_EQ(web.TextColour(), QColor(0, 0, 255));
    EXPECT_EQ(disks.TextColour(), QColor(0, 0, 255));
    EXPECT_TRUE(disks.font().underline());
    EXPECT_EQ(web.cursor().shape(), Qt::PointingHandCursor);
    QTest::mousePress(&web, Qt::RightButton);
    EXPECT_EQ(web.TextColour(), QColor(0, 0, 255));
    QTest::mouseRelease(&web, Qt::RightButton);
    QTest::mousePress(&web, Qt::LeftButton);
    EXPECT_EQ(web.TextColour(), QColor(255, 0, 0));
    QTest::mouseRelease(&web, Qt::LeftButton);
    EXPECT_EQ(web.TextColour(), QColor(0, 0, 255));
    Click(disks);
    EXPECT_TRUE(window.isVisible());
    PressKey(List(), Qt::Key_Escape);
  });
  Run(script);
  std::vector<std::pair<std::u16string, std::uint32_t>> launches;
  for (const RecordedRequest& request : system_->Requests()) {
    if (request.call == "ShellExecute" && request.verb == u"open") launches.emplace_back(request.path, request.code);
  }
  const std::vector<std::pair<std::u16string, std::uint32_t>> expected{{MakerWebAddress, 5u}, {u"diskmgmt.msc", 1u}};
  EXPECT_EQ(launches, expected);
}

}  // namespace
}  // namespace trelvane
