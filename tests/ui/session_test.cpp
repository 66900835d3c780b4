// A whole session on an emulated machine with two drives: choose the second, read its details and
// its SMART data twice, quick-wipe it, then stop a full run. Both drives' images are checked byte
// by byte where it matters: only the chosen one changes, and only where the wipe writes.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>

#include "ui/gui_session.h"
#include "ui/toolkit/qt_text.h"
#include "test_support.h"
#include "ui/fm_main.h"
#include "ui/status_panels.h"
#include "ui_harness.h"

namespace trelvane {
namespace {

using testing::Child;
using testing::Click;
using testing::ClickRow;
using testing::ModalScript;
using testing::RunUntil;

constexpr std::int64_t DriveSectors = 98304;  // 48 MiB
constexpr std::int64_t DriveBytes = DriveSectors * 512;
constexpr std::int64_t QuickHead = 10240000;
constexpr std::int64_t QuickTail = 1048576;
constexpr char Pattern = '\xA5';

class Session : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::EnsureApplication();
    testing::FillFileRange(Image(0), 0, DriveBytes, Pattern);
    testing::FillFileRange(Image(1), 0, DriveBytes, Pattern);
    const std::string json = "{\"drives\": [" +
                             testing::DriveJson(0, DriveSectors * 512, testing::RealDriveFields("ST320410A--3.39") +
                                                ImageField(0)) + ", " +
                             testing::DriveJson(1, DriveSectors * 512,
                                                testing::RealDriveFields("INTEL_SSDSA2CW120G3--4PC10302") + ImageField(1) +
                                                ", \"device\": {\"product\": \"INTEL SSDSA2CW120G3\"}, "
                                                "\"write_delay_us_per_mib\": 2000") +
                             "]}";
    system_ = EmulatedMachineFromJson(json, dir_.path());
    session_ = std::make_unique<GuiSession>(*system_, u"");
    session_->SetEndHandler([this](int exitCode) { endCodes_.push_back(exitCode); });
  }

  std::filesystem::path Image(int drive) const { return dir_.path() / ("drive" + std::to_string(drive) + ".img"); }
  std::string ImageField(int drive) const { return ", \"image\": \"" + Image(drive).generic_string() + "\""; }
  QWidget& Main() { return session_->FmMain(); }
  template <typename T>
  T& Get(const char* name) {
    return Child<T>(Main(), QString::fromLatin1(name));
  }
  QString Memo(const char* name) { return Get<QPlainTextEdit>(name).toPlainText(); }

  // Whether the chosen drive has zeros in the quick wipe's head and tail and its pattern in between.
  bool OnlyTheQuickWipesExtentsAreZero() const {
    return testing::FileRangeIs(Image(1), 0, QuickHead, '\0') &&
           testing::FileRangeIs(Image(1), QuickHead, DriveBytes - QuickTail, Pattern) &&
           testing::FileRangeIs(Image(1), DriveBytes - QuickTail, DriveBytes, '\0');
  }

  // Shows the main window and chooses the second drive in the chooser.
  void ChooseTheSecondDrive() {
    ModalScript start;
    start.Then(QStringLiteral("FmChoose"), [](QWidget& chooser) {
      ClickRow(chooser, 1);
      Click(Child<QPushButton>(chooser, QStringLiteral("btContinue")));
    });
    session_->Show();
    ASSERT_TRUE(RunUntil([&] { return session_->FmMain().StartupFinished(); }));
    ASSERT_TRUE(start.Finished());
  }

  // Runs the format command with the confirmation answered Yes; returns when the command is done.
  void FormatConfirmed(QString* confirmationContent = nullptr) {
    ModalScript script;
    script.Then(QStringLiteral("TaskDialog"), [confirmationContent](QWidget& dialog) {
      if (confirmationContent != nullptr) {
        *confirmationContent = dialog.windowTitle() + u'|' +
                               Child<QLabel>(dialog, QStringLiteral("TaskDialogInstruction")).text() + u'|' +
                               Child<QLabel>(dialog, QStringLiteral("TaskDialogContent")).text();
      }
      Click(Child<QPushButton>(dialog, QStringLiteral("TaskDialogYes")));
    });
    Click(Get<QPushButton>("btRunBenchmarks"));
    EXPECT_TRUE(script.Finished());
  }

  testing::TempDir dir_;
  std::vector<int> endCodes_;
  std::unique_ptr<EmulatedSystem> system_;
  std::unique_ptr<GuiSession> session_;
};

TEST_F(Session, SecondDriveDetailsSmartQuickWipeAndStoppedFullRun) {
  ASSERT_NO_FATAL_FAILURE(ChooseTheSecondDrive());
  const ProgramState& state = session_->State();
  ASSERT_EQ(state.SelectedDrive, 2);
  const QString title = ToQString(state.DriveTitle);
  EXPECT_TRUE(title.startsWith(QStringLiteral("[1]"))) << title.toStdString();
  EXPECT_EQ(Get<QLabel>("lbDiskName").text(), title);
  EXPECT_EQ(Child<StatusPanels>(Main(), QStringLiteral("StatusBar")).PanelText(1), title);
  // Cut where the window ends, whole in the tooltip; above the details the verdict and, for this drive
  // with a password set, the warning.
  const auto& titlePanel = Child<QLabel>(Main(), QStringLiteral("StatusBarPanel1"));
  EXPECT_TRUE(titlePanel.text().endsWith(u'…') && titlePanel.toolTip() == title) << titlePanel.text().toStdString();
  const QString health = Get<QLabel>("lbHealth").text();
  EXPECT_TRUE(health.startsWith(QStringLiteral("Состояние накопителя: в норме (")) &&
              health.contains(QStringLiteral("\nВнимание: на накопителе установлен пароль.")))
      << health.toStdString();
  EXPECT_TRUE(Memo("Log_Details").contains(QStringLiteral("INTEL SSDSA2CW120G3"))) << Memo("Log_Details").toStdString();

  // SMART twice: two reports, one below the other, and the commands enabled again.
  Get<QTabWidget>("pages").setCurrentIndex(2);
  Click(Get<QPushButton>("btGetSmart"));
  const qsizetype firstReport = Memo("Log_Smart").size();
  Click(Get<QPushButton>("btGetSmart"));
  EXPECT_EQ(Memo("Log_Smart").count(QStringLiteral("Текущая дата и время: ")), 2);
  EXPECT_GT(Memo("Log_Smart").size(), firstReport);
  EXPECT_TRUE(Get<QPushButton>("btGetSmart").isEnabled());
  EXPECT_TRUE(Get<QPushButton>("btRunBenchmarks").isEnabled());
  EXPECT_TRUE(Get<QCheckBox>("cbQuickWipe").isEnabled());

  // Quick wipe: the head and the tail of the chosen drive only.
  Get<QTabWidget>("pages").setCurrentIndex(1);
  Get<QCheckBox>("cbQuickWipe").setChecked(true);
  QString confirmation;
  FormatConfirmed(&confirmation);
  EXPECT_TRUE(confirmation.startsWith(QStringLiteral("Предупреждение|Все данные на выбранном устройстве будут потеряны|")));
  EXPECT_TRUE(confirmation.contains(title + QStringLiteral("\n\nСпособ: быстрая очистка"))) << confirmation.toStdString();
  QString log = Memo("Log_BenchMark");
  EXPECT_TRUE(log.contains(QStringLiteral("   Низкоуровневое форматирование: ") + title));
  EXPECT_TRUE(log.contains(QStringLiteral("   Низкоуровневое форматирование завершено.")));
  EXPECT_TRUE(log.endsWith(QStringLiteral("   Не забудьте создать новые разделы.")));
  EXPECT_TRUE(OnlyTheQuickWipesExtentsAreZero());
  EXPECT_TRUE(testing::FileRangeIs(Image(0), 0, DriveBytes, Pattern));
  EXPECT_TRUE(Get<QProgressBar>("pbCurrentTask").property("paused").toBool());
  EXPECT_EQ(Get<QProgressBar>("pbCurrentTask").value(), 100);
  EXPECT_FALSE(Get<QPushButton>("btStop").isEnabled());

  // A full run stopped by the Stop button after its first blocks.
  Get<QCheckBox>("cbQuickWipe").setChecked(false);
  const std::int64_t writtenBefore = system_->WrittenBytes(1);
  testing::Watch stop([&] { return system_->WrittenBytes(1) > writtenBefore + QuickHead; },
                      [&] { Click(Get<QPushButton>("btStop")); });
  FormatConfirmed();
  log = Memo("Log_BenchMark");
  EXPECT_TRUE(log.contains(QStringLiteral("   Операция отменена по смещению "))) << log.toStdString();
  EXPECT_FALSE(testing::FileRangeIs(Image(1), QuickHead, DriveBytes - QuickTail, '\0'));
  EXPECT_TRUE(testing::FileRangeIs(Image(0), 0, DriveBytes, Pattern));
  EXPECT_FALSE(session_->FmMain().StopRequested());
  EXPECT_FALSE(Get<QPushButton>("btStop").isEnabled());
  EXPECT_TRUE(Get<QPushButton>("btRunBenchmarks").isEnabled());

  Main().close();
  EXPECT_EQ(endCodes_, std::vector<int>{0});
  EXPECT_EQ(session_->State().DriveHandle.Get(), InvalidHandle);
}

TEST_F(Session, VerifiedQuickWipeReadsBothExtentsBackAndSavesAReport) {
  ASSERT_NO_FATAL_FAILURE(ChooseTheSecondDrive());
  Get<QTabWidget>("pages").setCurrentIndex(1);
  Get<QCheckBox>("cbQuickWipe").setChecked(true);
  Get<QCheckBox>("cbVerify").setChecked(true);
  FormatConfirmed();
  const QString log = Memo("Log_BenchMark");
  EXPECT_TRUE(log.contains(QStringLiteral("   Проверка записи...\n"))) << log.toStdString();
  EXPECT_TRUE(log.contains(QStringLiteral("   Проверено байт: 11,288,576, найдено ошибочных байт: 0\n")));
  EXPECT_TRUE(log.endsWith(QStringLiteral("   Не забудьте создать новые разделы.")));
  const qsizetype at = log.indexOf(QStringLiteral("   Отчет о стирании: "));
  ASSERT_GE(at, 0);
  const QString path = log.mid(at + 21, log.indexOf(u'\n', at) - at - 21);
  EXPECT_TRUE(std::filesystem::exists(path.toStdString())) << path.toStdString();
  EXPECT_TRUE(OnlyTheQuickWipesExtentsAreZero());
  Main().close();
}

}  // namespace
}  // namespace trelvane
