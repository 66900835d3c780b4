// The main window over emulated machines: its layout, the order of the start, the fatal ends of the
// start, the page default buttons, and closing the window while a zero fill runs.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QMenu>
#include <QRegularExpression>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

#include "common/product.h"
#include "format/firmware_erase_method.h"
#include "format/firmware_erase_run.h"
#include "format/progress_text.h"
#include "ui/fm_debug.h"
#include "ui/gui_session.h"
#include "common/system_error_text.h"
#include "ui/toolkit/qt_text.h"
#include "os/win_constants.h"
#include "text/u16.h"
#include "test_support.h"
#include "ui/fm_choose.h"
#include "ui/fm_main.h"
#include "ui/fm_scan.h"
#include "ui/link_label.h"
#include "ui/status_panels.h"
#include "ui_harness.h"

namespace trelvane {
namespace {

using testing::BoxIcon;
using testing::BoxText;
using testing::Child;
using testing::Click;
using testing::ModalScript;
using testing::PressFirstButton;
using testing::PressKey;
using testing::RunUntil;

// Records whether each showing of a window was modal.
class ShowRecorder final : public QObject {
 public:
  explicit ShowRecorder(QWidget& window) { window.installEventFilter(this); }
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show) modality.push_back(static_cast<QWidget*>(watched)->isModal());
    return false;
  }
  std::vector<bool> modality;
};

void ChooseLastDrive(QWidget& chooser) { PressKey(Child<QTreeWidget>(chooser, QStringLiteral("DriveList")), Qt::Key_Return); }
void LeaveChooser(QWidget& chooser) { PressKey(Child<QTreeWidget>(chooser, QStringLiteral("DriveList")), Qt::Key_Escape); }

class MainWindow : public ::testing::Test {
 protected:
  void SetUp() override { testing::EnsureApplication(); }

  // Drive 0: 98,304 sectors with a real drive's blocks, `more` fields (", \"x\": 1 ...").
  std::string OneDrive(const std::string& more = "") {
    return "{\"drives\": [" + testing::DriveJson(0, 98304 * 512, testing::RealDriveFields("ST320410A--3.39") + more) +
           "]}";
  }

  void Start(const std::string& json, const std::u16string& argument = u"") {
    session_.reset();  // its drive handle closes through the old machine
    system_ = EmulatedMachineFromJson(json, dir_.path());
    session_ = std::make_unique<GuiSession>(*system_, argument);
    session_->SetEndHandler([this](int exitCode) { endCodes_.push_back(exitCode); });
  }

  // Shows the main window and handles events until its show handler has returned.
  // The modal windows of the start are answered meanwhile by the test's ModalScript.
  void ShowAndWait() {
    session_->Show();
    ASSERT_TRUE(RunUntil([&] { return session_->FmMain().StartupFinished(); }));
  }

  QWidget& Main() { return session_->FmMain(); }
  template <typename T>
  T& Get(const char* name) {
    return Child<T>(Main(), QString::fromLatin1(name));
  }
  QString Memo(const char* name) { return Get<QPlainTextEdit>(name).toPlainText(); }

  bool OpenedForWriting() const {
    for (const RecordedRequest& request : system_->Requests()) {
      if (request.call == "CreateFile" && (request.access & Access::GenericWrite) != 0) return true;
    }
    return false;
  }

  testing::TempDir dir_;
  std::vector<int> endCodes_;
  std::unique_ptr<EmulatedSystem> system_;
  std::unique_ptr<GuiSession> session_;
};

TEST_F(MainWindow, IsCreatedHiddenWithEveryComponentAndTheDetailsPageActive) {
  Start(OneDrive());
  for (const char* name : {"lbDiskName", "pages", "Log_Details", "Log_BenchMark", "pbCurrentTask", "lbCurrentPercent",
                           "lbSpeed", "lbCurrentPosition", "cbQuickWipe", "btStop", "btRunBenchmarks", "Log_Smart",
                           "btGetSmart", "lbMakerLink", "StatusBar"}) {
    EXPECT_NE(Main().findChild<QWidget*>(QString::fromLatin1(name)), nullptr) << name;
  }
  EXPECT_EQ(Main().objectName(), QStringLiteral("FmMain"));
  EXPECT_EQ(session_->FmChoose().objectName(), QStringLiteral("FmChoose"));
  EXPECT_EQ(session_->FmScan().objectName(), QStringLiteral("FmScan"));
  EXPECT_EQ(session_->FmDebug().objectName(), QStringLiteral("FmDebug"));
  EXPECT_FALSE(Main().isVisible() || session_->FmChoose().isVisible() || session_->FmDebug().isVisible());
  auto& pages = Get<QTabWidget>("pages");
  EXPECT_EQ(pages.currentIndex(), 0);
  EXPECT_EQ(pages.tabText(0) + u'|' + pages.tabText(1) + u'|' + pages.tabText(2),
            QStringLiteral("Детали устройства|НИЗКОУРОВНЕВОЕ ФОРМАТИРОВАНИЕ|S.M.A.R.T."));
  EXPECT_FALSE(Get<QPushButton>("btStop").isEnabled());
  EXPECT_FALSE(Get<QCheckBox>("cbQuickWipe").isChecked());
  EXPECT_FALSE(Get<QCheckBox>("cbVerify").isChecked());
  auto& bar = Get<QProgressBar>("pbCurrentTask");
  EXPECT_EQ(bar.minimum(), 0);
  EXPECT_EQ(bar.maximum(), 100);
  EXPECT_EQ(bar.value(), 0);
  EXPECT_EQ(Main().size(), QSize(768, 499));
  EXPECT_EQ(Main().minimumSize(), QSize(750, 450));
  for (const char* memo : {"Log_Details", "Log_Smart"}) {
    EXPECT_TRUE(QFontInfo(Get<QPlainTextEdit>(memo).font()).fixedPitch()) << memo;
    EXPECT_TRUE(Get<QPlainTextEdit>(memo).isReadOnly()) << memo;
    EXPECT_EQ(Get<QPlainTextEdit>(memo).lineWrapMode(), QPlainTextEdit::NoWrap) << memo;
    // Qt's own texts are Russian: no Latin letter before a context menu entry's shortcut.
    const std::unique_ptr<QMenu> menu(Get<QPlainTextEdit>(memo).createStandardContextMenu());
    EXPECT_EQ(menu->actions().size(), 3);  // "Копировать", a separator, "Выделить всё"
    for (const QAction* action : menu->actions())
      EXPECT_FALSE(action->text().section(u'\t', 0, 0).contains(QRegularExpression(QStringLiteral("[A-Za-z]")))) << action->text().toStdString();
  }
  EXPECT_TRUE(Get<QLabel>("lbDiskName").font().bold());
  EXPECT_EQ(session_->FmDebug().windowTitle(), QStringLiteral("Отладка"));
  EXPECT_EQ(Child<QPlainTextEdit>(session_->FmDebug(), QStringLiteral("Memo1")).toPlainText(),
            QStringLiteral("Окно отладки"));
}

TEST_F(MainWindow, ShrinksToItsMinimumSizeWithoutClippingTheCommands) {
  Start(OneDrive());
  Main().resize(750, 450);
  Main().show();
  session_->SetEndHandler([](int) {});
  ASSERT_TRUE(RunUntil([&] { return Main().size() == QSize(750, 450); }));
  Get<QTabWidget>("pages").setCurrentIndex(1);
  auto& page = *Get<QTabWidget>("pages").currentWidget();
  for (const char* name : {"btRunBenchmarks", "btStop", "cbQuickWipe", "cbVerify", "lbCurrentPosition"}) {
    auto& widget = Get<QWidget>(name);
    const QRect inPage(widget.mapTo(&page, QPoint(0, 0)), widget.size());
    EXPECT_TRUE(page.rect().contains(inPage)) << name;
  }
  auto& verify = Get<QWidget>("cbVerify");
  EXPECT_LE(verify.mapTo(&page, QPoint(verify.sizeHint().width(), 0)).x(), Get<QWidget>("btStop").mapTo(&page, QPoint(0, 0)).x());
  // The sector caption of the largest sector number a 48-bit address can reach shows whole.
  auto& position = Get<QLabel>("lbCurrentPosition");
  const QString widest = ToQString(PositionCaption(281474976710655));
  EXPECT_LE(QFontMetrics(position.font()).horizontalAdvance(widest), position.contentsRect().width());
}

// The debug switch (in any case) shows the debug window, then again modally before the chooser, and
// Escape does not close it; another argument leaves it hidden. Either way the chooser shows the
// program's title and the drive count, and leaving the chooser ends the program with nothing opened
// for writing; without the switch the format log holds just its warning.
TEST_F(MainWindow, DebugSwitchOrNotTheStartRunsToTheChooser) {
  for (const char16_t* argument : {u"--DeBuG", u"-debug"}) {
    const bool debug = argument[1] == u'-';
    SCOPED_TRACE(debug);
    endCodes_.clear();
    Start(OneDrive(), argument);
    ShowRecorder shows(session_->FmDebug());
    QStringList debugLines;
    bool debugSurvivedEscape = false;
    ModalScript script;
    if (debug) {
      script.Then(QStringLiteral("FmDebug"), [&](QWidget& window) {
        debugLines = Child<QPlainTextEdit>(window, QStringLiteral("Memo1")).toPlainText().split(u'\n');
        PressKey(Child<QPlainTextEdit>(window, QStringLiteral("Memo1")), Qt::Key_Escape);
        debugSurvivedEscape = window.isVisible();
        window.close();
      });
    }
    script.Then(QStringLiteral("FmChoose"), [&](QWidget& chooser) {
      EXPECT_EQ(chooser.windowTitle(), QStringLiteral("Выбор устройства - Trelvane 4.40    "));
      EXPECT_EQ(Child<QLabel>(chooser, QStringLiteral("lbProgramName")).text(), QStringLiteral("TRELVANE 4.40    "));
      EXPECT_EQ(Child<QLabel>(chooser, QStringLiteral("StatusText")).text(), QStringLiteral("Найдено дисков: 1"));
      LeaveChooser(chooser);
    });
    ShowAndWait();
    EXPECT_EQ(script.Seen().size(), debug ? 2 : 1);
    EXPECT_EQ(shows.modality, debug ? std::vector<bool>({false, true}) : std::vector<bool>{});
    EXPECT_EQ(debugSurvivedEscape, debug);
    if (debug) {
      ASSERT_GE(debugLines.size(), 3);
      EXPECT_EQ(debugLines[0], QStringLiteral("Окно отладки"));
      EXPECT_TRUE(debugLines[1].endsWith(QStringLiteral("   Режим отладки активирован"))) << debugLines[1].toStdString();
      EXPECT_EQ(debugLines.filter(QStringLiteral("Итерация через устройства...")).size(), 1);
    } else {
      EXPECT_EQ(Child<QPlainTextEdit>(session_->FmDebug(), QStringLiteral("Memo1")).toPlainText(),
                QStringLiteral("Окно отладки"));
      const QStringList format = Memo("Log_BenchMark").split(u'\n');
      ASSERT_EQ(format.size(), 3);
      EXPECT_TRUE(format[0].endsWith(QStringLiteral("   * * * * * * * * * * * ПРЕДУПРЕЖДЕНИЕ!!! * * * * * * * * * * * ")));
      EXPECT_TRUE(format[2].endsWith(QStringLiteral("   ВСЕ ДАННЫЕ БУДУТ ПОЛНОСТЬЮ И БЕЗВОЗВРАТНО СТЕРТЫ! ")));
    }
    EXPECT_EQ(Main().windowTitle(), QStringLiteral("Trelvane 4.40    "));
    EXPECT_EQ(Child<StatusPanels>(Main(), QStringLiteral("StatusBar")).PanelText(0), QStringLiteral("Trelvane 4.40    "));
    EXPECT_EQ(endCodes_, std::vector<int>{0});
    EXPECT_FALSE(OpenedForWriting());
  }
}

// The fatal ends of the start: a drive another program holds (after the chooser), a failing process
// query, a platform outside the NT family. Each shows its box and ends with 3, nothing opened for
// writing but the chosen drive's refused open, no drive left open, no details written, the window never shown.
TEST_F(MainWindow, FatalEndsOfTheStartShowTheirBoxAndEnd) {
  struct Case {
    std::string json;
    bool chooses;
    std::uint32_t openError;  // the box names this error's text after its own
    QString text, title;     // an empty title is not checked
    std::optional<QMessageBox::Icon> icon;
  };
  const std::string drives = "\"drives\": [" + testing::DriveJson(0, 98304 * 512, testing::RealDriveFields("ST320410A--3.39"));
  const Case cases[] = {
      {OneDrive(", \"exclusive_open_error\": 32"), true, 32, QStringLiteral("Ошибка открытия устройства: "),
       QStringLiteral("Ошибка"), QMessageBox::Critical},
      {"{\"system\": {\"wow64\": \"fails\"}, " + drives + "]}", false, 0, QStringLiteral("Плохой дескриптор процесса"),
       {}, QMessageBox::Critical},
      {"{\"system\": {\"platform_id\": 1}}", false, 0,
       QStringLiteral("Только следующие версии Windows поддерживаются: 2003, 2008, XP, Vista, 7"),
       QStringLiteral("Error"), std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text.toStdString());
    endCodes_.clear();
    Start(c.json);
    ModalScript script;
    if (c.chooses) script.Then(QStringLiteral("FmChoose"), ChooseLastDrive);
    script.Then(QStringLiteral("MessageBox"), [&](QWidget& box) {
      EXPECT_EQ(BoxText(box), c.text + (c.openError ? ToQString(SystemErrorText(*system_, c.openError)) : QString()));
      if (!c.title.isEmpty()) { EXPECT_EQ(box.windowTitle(), c.title); }
      if (c.icon) { EXPECT_EQ(BoxIcon(box), *c.icon); }
      PressFirstButton(box);
    });
    ShowAndWait();
    EXPECT_EQ(script.Seen().size(), c.chooses ? 2 : 1);
    EXPECT_EQ(endCodes_, std::vector<int>{3});
    EXPECT_TRUE(Memo("Log_Details").isEmpty());
    EXPECT_EQ(Memo("Log_BenchMark").isEmpty(), !c.chooses);  // the format log's warning comes before the chooser
    EXPECT_TRUE(Child<StatusPanels>(Main(), QStringLiteral("StatusBar")).PanelText(1).isEmpty());
    EXPECT_EQ(OpenedForWriting(), c.openError != 0);  // only the refused open of the chosen drive
    EXPECT_FALSE(Main().isVisible());
    EXPECT_EQ(session_->State().DriveHandle.Get(), InvalidHandle);
  }
}

// Enter presses the page's default button; Enter twice on the format page cancels. Ctrl+Shift+Tab
// switches pages, also from a memo; Tab leaves a memo; the format button keeps its default mark.
TEST_F(MainWindow, EnterPressesTheDefaultButtonOfTheCurrentPageOnly) {
  Start(OneDrive());
  ModalScript script;
  script.Then(QStringLiteral("FmChoose"), ChooseLastDrive)
      .Then(QStringLiteral("TaskDialog"), [](QWidget& dialog) { PressKey(*dialog.focusWidget(), Qt::Key_Return); });
  ShowAndWait();
  auto& pages = Get<QTabWidget>("pages");
  PressKey(Get<QPlainTextEdit>("Log_Details"), Qt::Key_Return);
  EXPECT_TRUE(Memo("Log_Smart").isEmpty());
  QTest::keyClick(&Get<QPlainTextEdit>("Log_Details"), Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
  ASSERT_EQ(pages.currentIndex(), 2);
  PressKey(Get<QPlainTextEdit>("Log_Smart"), Qt::Key_Return);
  EXPECT_FALSE(Memo("Log_Smart").isEmpty());
  Get<QPlainTextEdit>("Log_Smart").setFocus();
  QTest::keyClick(&Get<QPlainTextEdit>("Log_Smart"), Qt::Key_Tab);
  EXPECT_EQ(Main().focusWidget(), &Get<QPushButton>("btGetSmart"));
  QTest::keyClick(&Get<QPushButton>("btGetSmart"), Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
  ASSERT_EQ(pages.currentIndex(), 1);
  Main().activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&Main()));
  Get<QPushButton>("btRunBenchmarks").setFocus();
  Get<QCheckBox>("cbQuickWipe").setFocus();
  EXPECT_TRUE(Get<QPushButton>("btRunBenchmarks").isDefault());
  PressKey(Get<QCheckBox>("cbQuickWipe"), Qt::Key_Return);
  ASSERT_TRUE(RunUntil([&] { return script.Finished(); }));
  EXPECT_EQ(script.Seen().last(), QStringLiteral("TaskDialog"));
  EXPECT_EQ(system_->WrittenBytes(0), 0);
  EXPECT_TRUE(Get<QPushButton>("btRunBenchmarks").isEnabled());
}

TEST_F(MainWindow, MakerLinkIsGreyBlueUnderThePointerRedWhileHeldAndOpensTheWebPage) {
  Start(OneDrive());
  ModalScript script;
  script.Then(QStringLiteral("FmChoose"), ChooseLastDrive);
  ShowAndWait();
  auto& link = Get<LinkLabel>("lbMakerLink");
  EXPECT_TRUE(link.text().endsWith(ToQString(MakerWebAddress))) << link.text().toStdString();
  EXPECT_EQ(link.TextColour(), QColor(128, 128, 128));
  QTest::mouseMove(&link);
  ASSERT_TRUE(RunUntil([&] { return link.TextColour() == QColor(0, 0, 255); }));
  QTest::mousePress(&link, Qt::LeftButton);
  EXPECT_EQ(link.TextColour(), QColor(255, 0, 0));
  QTest::mouseRelease(&link, Qt::LeftButton);
  EXPECT_EQ(link.TextColour(), QColor(128, 128, 128));
  QTest::mouseMove(&Get<QWidget>("lbDiskName"));
  ASSERT_TRUE(RunUntil([&] { return link.TextColour() == QColor(128, 128, 128); }));
  int launches = 0;
  for (const RecordedRequest& request : system_->Requests()) {
    if (request.call != "ShellExecute") continue;
    ++launches;
    EXPECT_EQ(request.verb, u"open");
    EXPECT_EQ(request.path, MakerWebAddress);
    EXPECT_EQ(request.code, 5u);
  }
  EXPECT_EQ(launches, 1);
}

TEST_F(MainWindow, ClosingDuringAZeroFillStopsTheRunAndClosesAfterItsCleanUp) {
  const std::string image = (dir_.path() / "drive0.img").string();
  Start(OneDrive(", \"write_delay_us_per_mib\": 20000, \"image\": \"" + image + "\""));
  ModalScript script;
  script.Then(QStringLiteral("FmChoose"), ChooseLastDrive)
      .Then(QStringLiteral("TaskDialog"), [](QWidget& dialog) { Click(Child<QPushButton>(dialog, QStringLiteral("TaskDialogYes"))); });
  ShowAndWait();
  testing::Watch closeMidway([&] { return system_->WrittenBytes(0) > 0; }, [&] { Main().close(); });
  Click(Get<QPushButton>("btRunBenchmarks"));
  const QString log = Memo("Log_BenchMark");
  EXPECT_TRUE(log.contains(QStringLiteral("Операция отменена по смещению"))) << log.toStdString();
  EXPECT_TRUE(log.contains(QStringLiteral("Не забудьте создать новые разделы.")));
  EXPECT_LT(system_->WrittenBytes(0), 98304LL * 512);
  EXPECT_FALSE(Main().isVisible());
  EXPECT_EQ(endCodes_, std::vector<int>{0});
  EXPECT_EQ(session_->State().DriveHandle.Get(), InvalidHandle);
  // Every write went through the open handle; the handle was closed after the last of them.
  std::ptrdiff_t lastWrite = -1;
  std::ptrdiff_t lastClose = -1;
  const std::vector<RecordedRequest>& requests = system_->Requests();
  for (std::size_t index = 0; index < requests.size(); ++index) {
    if (requests[index].call == "WriteFile") {
      EXPECT_TRUE(requests[index].ok) << "write at " << requests[index].offset;
      lastWrite = static_cast<std::ptrdiff_t>(index);
    }
    if (requests[index].call == "CloseHandle" && requests[index].path == u"\\\\.\\PhysicalDrive0") {
      lastClose = static_cast<std::ptrdiff_t>(index);
    }
  }
  EXPECT_GE(lastWrite, 0);
  EXPECT_GT(lastClose, lastWrite);
}

// During a run the captions name the phase and the amount; at its end the summary shows the report's
// verdict in its colour, the quick wipe's scope and the failed ranges, and its link opens the text report.
TEST_F(MainWindow, RunEndsWithAColouredSummaryWhoseLinkOpensTheReport) {
  Start(OneDrive(", \"write_delay_us_per_mib\": 20000"));
  ModalScript script;
  script.Then(QStringLiteral("FmChoose"), ChooseLastDrive)
      .Then(QStringLiteral("TaskDialog"), [](QWidget& d) { Click(Child<QPushButton>(d, QStringLiteral("TaskDialogYes"))); });
  ShowAndWait();
  Get<QTabWidget>("pages").setCurrentIndex(1);
  Get<QCheckBox>("cbQuickWipe").setChecked(true);
  Get<QCheckBox>("cbVerify").setChecked(true);
  QString during;
  testing::Watch midway([&] { return !Get<QLabel>("lbAmount").text().isEmpty(); }, [&] {
    during = Get<QLabel>("lbCurrentPercent").text() + u'|' + Get<QLabel>("lbAmount").text();
    EXPECT_TRUE(Get<QWidget>("pnSummary").isHidden() && Get<QWidget>("lvErrors").isHidden());
  });
  Click(Get<QPushButton>("btRunBenchmarks"));
  EXPECT_TRUE(during.startsWith(QStringLiteral("Запись: ")) && during.contains(QStringLiteral(" МБ, прошло "))) << during.toStdString();
  EXPECT_TRUE(Get<QLabel>("lbCurrentPercent").text().startsWith(QStringLiteral("Проверка: ")));
  auto& verdict = Get<QLabel>("lbVerdict");
  EXPECT_TRUE(verdict.isVisible() && verdict.text() == QStringLiteral("Стерто не полностью")) << verdict.text().toStdString();
  EXPECT_EQ(verdict.palette().color(QPalette::WindowText), QColor(190, 0, 0));
  // The drive keeps no data (no image): the read-back finds the first sector of each MiB lost.
  EXPECT_EQ(Get<QLabel>("lbSummary").text(), QStringLiteral("Записано нулями: 11,288,576 из 50,331,648 байт (только начало и конец диска)"));
  EXPECT_TRUE(Get<QLabel>("lbFigures").text().endsWith(QStringLiteral("   Сбойных участков: 13")));
  // The 13 ranges are listed between the log and the summary; at the minimum size the log gives its room
  // up first, and the list keeps its first row in view without squeezing the commands.
  auto& list = Get<QTreeWidget>("lvErrors");
  ASSERT_EQ(list.topLevelItemCount(), 13);
  EXPECT_EQ(list.topLevelItem(0)->text(0) + u'|' + list.topLevelItem(0)->text(3), QStringLiteral("0|Проверка: запись не сохранена"));
  Main().resize(750, 450);
  ASSERT_TRUE(RunUntil([&] { return Main().size() == QSize(750, 450); }));
  auto& page = *Get<QTabWidget>("pages").currentWidget();
  const auto place = [&](const char* name) { return QRect(Get<QWidget>(name).mapTo(&page, QPoint(0, 0)), Get<QWidget>(name).size()); };
  EXPECT_TRUE(place("Log_BenchMark").bottom() < place("lvErrors").top() && place("lvErrors").bottom() < place("pnSummary").top());
  EXPECT_TRUE(page.rect().contains(place("btRunBenchmarks")) && list.viewport()->rect().contains(list.visualItemRect(list.topLevelItem(0))));
  ASSERT_TRUE(Get<LinkLabel>("lbReportLink").isVisible());
  QTest::mouseClick(&Get<LinkLabel>("lbReportLink"), Qt::LeftButton);
  const auto& requests = system_->Requests();
  const auto opened = std::find_if(requests.begin(), requests.end(), [](const RecordedRequest& r) { return r.call == "ShellExecute"; });
  ASSERT_NE(opened, requests.end());
  EXPECT_TRUE(opened->path.ends_with(u".txt") && std::filesystem::exists(opened->path)) << ToUtf8(opened->path);
}

// The method list of each demo drive once it is open (the automatic choice, the zero fill, then only what
// the drive accepts), and a firmware erase: the choice logged before the confirmation, which names the
// category; Stop and the list disabled, with the reason under Stop, until the drive has finished.
TEST_F(MainWindow, MethodListPerDriveAndAFirmwareEraseThatStopCannotCut) {
  const std::tuple<const char*, int, int> cases[] = {{"demo.json", 1, 2}, {"firmware.json", 1, 5}, {"firmware.json", 0, 7}};
  for (const auto& [machine, row, entries] : cases) {
    const std::filesystem::path folder = dir_.path() / (machine + std::to_string(row));
    std::filesystem::copy(std::filesystem::path(TRELVANE_EXAMPLES_DIR) / "demo", folder);
    session_.reset();
    system_ = LoadEmulatedMachine(folder / machine);
    session_ = std::make_unique<GuiSession>(*system_, u"");
    QString confirmation, reason = QStringLiteral("?");
    ModalScript script;
    script.Then(QStringLiteral("FmChoose"), [row](QWidget& chooser) { testing::ClickRow(chooser, row); ChooseLastDrive(chooser); })
        .Then(QStringLiteral("TaskDialog"), [&](QWidget& dialog) {
          confirmation = Child<QLabel>(dialog, QStringLiteral("TaskDialogContent")).text();
          Click(Child<QPushButton>(dialog, QStringLiteral("TaskDialogYes")));
        });
    ShowAndWait();
    auto& list = Get<QComboBox>("cbMethod");
    ASSERT_EQ(list.count(), entries) << machine << row;
    EXPECT_EQ(list.itemText(0), QStringLiteral("Автоматически (рекомендуется)"));
    EXPECT_EQ(list.itemText(1), ToQString(MethodTitle(EraseMethodId::Zero, {})));
    if (entries != 7) continue;
    testing::Watch during([&] { return !Get<QLabel>("lbStopReason").text().isEmpty(); }, [&] {
      reason = Get<QPushButton>("btStop").isEnabled() || list.isEnabled() ? QString() : Get<QLabel>("lbStopReason").text();
    });
    Click(Get<QPushButton>("btRunBenchmarks"));
    const QString log = Memo("Log_BenchMark");
    EXPECT_LT(ToU16(log).find(u"Выбран способ стирания: "), ToU16(log).find(u"Форматирование... "));
    EXPECT_TRUE(confirmation.contains(QStringLiteral("Purge"))) << confirmation.toStdString();
    EXPECT_EQ(reason, ToQString(FirmwareEraseStopText()));
    EXPECT_TRUE(log.contains(QStringLiteral("Проверка чтением"))) << log.toStdString();
    EXPECT_TRUE(Get<QLabel>("lbStopReason").text().isEmpty() && list.isEnabled());
  }
}

// A Format NVM that holds its caller for 1.5 s: the window handles its events meanwhile, so the first
// event after the run began comes before the drive's answer, and the close asked then waits for the end.
TEST_F(MainWindow, ABlockingFirmwareCommandLeavesTheWindowLive) {
  const std::filesystem::path folder = dir_.path() / "blocking";
  std::filesystem::copy(std::filesystem::path(TRELVANE_EXAMPLES_DIR) / "demo", folder);
  std::string machine;
  {
    std::ifstream in(folder / "firmware.json");
    machine.assign(std::istreambuf_iterator<char>(in), {});
  }
  const std::string::size_type reads = machine.find("\"status_reads\": 3", machine.find("\"nvme\""));
  ASSERT_NE(reads, std::string::npos) << "the firmware demo machine's NVMe drive has no erase object";
  machine.insert(reads, "\"blocking_ms\": 1500, ");
  std::ofstream(folder / "firmware.json") << machine;
  session_.reset();
  system_ = LoadEmulatedMachine(folder / "firmware.json");
  session_ = std::make_unique<GuiSession>(*system_, u"");
  ModalScript script;
  script.Then(QStringLiteral("FmChoose"), [](QWidget& chooser) { testing::ClickRow(chooser, 1); ChooseLastDrive(chooser); })
      .Then(QStringLiteral("TaskDialog"), [](QWidget& dialog) {
        Click(Child<QPushButton>(dialog, QStringLiteral("TaskDialogYes")));
      });
  ShowAndWait();
  auto& list = Get<QComboBox>("cbMethod");
  const int formatCrypto = list.findText(ToQString(MethodTitle(EraseMethodId::FormatCrypto, ReadDriveEraseFacts(
      *system_, session_->State().DriveHandle.Get(), session_->State().SelectedEntry().IdentifyData))));
  ASSERT_GE(formatCrypto, 0);
  list.setCurrentIndex(formatCrypto);
  // Seen while the drive holds the format: the log has nothing of the run's own yet, the bar has not
  // had the drive's answer, and the elapsed time has moved on from the report made as the command went out.
  bool liveWhileHeld = false;
  QString firstElapsed;
  const QString stopText = ToQString(FirmwareEraseStopText());
  testing::Watch live([&] {
    const QString elapsed = Get<QLabel>("lbCurrentPosition").text();
    if (!Memo("Log_BenchMark").trimmed().endsWith(stopText) || !elapsed.startsWith(QStringLiteral("Прошло: ")) ||
        Get<QProgressBar>("pbCurrentTask").value() == 100)
      return false;
    if (firstElapsed.isEmpty()) firstElapsed = elapsed;
    return elapsed != firstElapsed;
  }, [&] {
    liveWhileHeld = true;
    Main().close();
  });
  Click(Get<QPushButton>("btRunBenchmarks"));
  EXPECT_TRUE(liveWhileHeld);
  const QString log = Memo("Log_BenchMark");
  EXPECT_TRUE(log.contains(QStringLiteral("Окно закроется, когда накопитель закончит встроенное стирание")));
  EXPECT_TRUE(log.contains(QStringLiteral("Накопитель сообщил о завершении стирания"))) << log.toStdString();
}

}  // namespace
}  // namespace trelvane
