// The Qt task dialog and its fallback message dialog, and the window fonts.

#include <gtest/gtest.h>

#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include "ui/toolkit/qt_task_dialog.h"
#include "ui/toolkit/system_font.h"
#include "ui_harness.h"

namespace trelvane {
namespace {

using testing::Child;
using testing::Click;
using testing::ModalScript;
using testing::PressKey;
using testing::RunUntil;

class Dialogs : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::EnsureApplication();
    presenter_.SetProgramTitle(QStringLiteral("Trelvane 4.40    "));
  }

  // Shows the task dialog with `answer` run on it; returns the pressed-button value.
  int TaskDialog(int buttons, int icon, const std::function<void(QWidget&)>& answer) {
    ModalScript script;
    script.Then(QStringLiteral("TaskDialog"), answer);
    const int pressed = presenter_.ShowTaskDialogWindow(1, u"Заголовок", u"Главный текст", u"Текст\r\nвторая строка",
                                                        buttons, icon);
    EXPECT_TRUE(script.Finished());
    return pressed;
  }

  int MessageDialog(MessageDialogType type, int buttons, const std::function<void(QWidget&)>& answer) {
    ModalScript script;
    script.Then(QStringLiteral("MessageDialog"), answer);
    const int result = presenter_.ShowMessageDialog(type, u"Только содержание", buttons);
    EXPECT_TRUE(script.Finished());
    return result;
  }

  QtTaskDialogPresenter presenter_{nullptr};
};

QStringList ButtonCaptions(QWidget& dialog) {
  QStringList captions;
  for (QPushButton* button : dialog.findChildren<QPushButton*>()) captions << button->text();
  return captions;
}

TEST_F(Dialogs, FormatQuestionShowsItsTextsAndAnswersYesOrCancel) {
  constexpr int YesCancel = TaskDialogButton::Yes | TaskDialogButton::Cancel;
  const int yes = TaskDialog(YesCancel, TaskDialogIcon::Warning, [](QWidget& dialog) {
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Заголовок"));
    EXPECT_EQ(Child<QLabel>(dialog, QStringLiteral("TaskDialogInstruction")).text(), QStringLiteral("Главный текст"));
    EXPECT_TRUE(Child<QLabel>(dialog, QStringLiteral("TaskDialogInstruction")).font().bold());
    EXPECT_EQ(Child<QLabel>(dialog, QStringLiteral("TaskDialogContent")).text(), QStringLiteral("Текст\nвторая строка"));
    EXPECT_NE(dialog.findChild<QLabel*>(QStringLiteral("TaskDialogIcon")), nullptr);
    EXPECT_EQ(ButtonCaptions(dialog), QStringList({QStringLiteral("&Да"), QStringLiteral("Отмена")}));
    // Enter alone never confirms: Cancel is the default button.
    EXPECT_TRUE(Child<QPushButton>(dialog, QStringLiteral("TaskDialogCancel")).isDefault());
    Click(Child<QPushButton>(dialog, QStringLiteral("TaskDialogYes")));
  });
  EXPECT_EQ(yes, PressedButton::Yes);
  // Escape, the close box and Enter all cancel.
  for (const auto& answer : std::vector<std::function<void(QWidget&)>>{
           [](QWidget& dialog) { PressKey(dialog, Qt::Key_Escape); }, [](QWidget& dialog) { dialog.close(); },
           [](QWidget& dialog) { PressKey(dialog, Qt::Key_Return); }})
    EXPECT_EQ(TaskDialog(YesCancel, TaskDialogIcon::Warning, answer), PressedButton::Cancel);
}

TEST_F(Dialogs, TaskDialogWithoutCancelIgnoresEscapeAndItsCloseBox) {
  const int pressed = TaskDialog(TaskDialogButton::Ok | TaskDialogButton::Close, 0, [](QWidget& dialog) {
    EXPECT_EQ(dialog.findChild<QLabel*>(QStringLiteral("TaskDialogIcon")), nullptr);
    PressKey(dialog, Qt::Key_Escape);
    dialog.close();
    EXPECT_TRUE(dialog.isVisible());
    Click(Child<QPushButton>(dialog, QStringLiteral("TaskDialogClose")));
  });
  EXPECT_EQ(pressed, PressedButton::Close);
  EXPECT_EQ(TaskDialog(0, 0, [](QWidget& dialog) { Click(Child<QPushButton>(dialog, QStringLiteral("TaskDialogOk"))); }),
            PressedButton::Ok);
}

TEST_F(Dialogs, FallbackShowsOnlyTheContentWithTheToolkitsCaptions) {
  constexpr int YesCancel = MessageDialogButton::Yes | MessageDialogButton::Cancel;
  const int yes = MessageDialog(MessageDialogType::Warning, YesCancel, [](QWidget& box) {
    EXPECT_EQ(box.windowTitle(), QStringLiteral("Предупреждение"));
    EXPECT_EQ(testing::BoxText(box), QStringLiteral("Только содержание"));
    EXPECT_EQ(testing::BoxIcon(box), QMessageBox::Warning);
    EXPECT_EQ(ButtonCaptions(box), QStringList({QStringLiteral("&Да"), QStringLiteral("Отменить")}));
    for (QPushButton* button : box.findChildren<QPushButton*>()) {
      if (button->text() == QStringLiteral("&Да")) Click(*button);
    }
  });
  EXPECT_EQ(yes, DialogResult::Yes);
  for (const int key : {Qt::Key_Escape, Qt::Key_Return})
    EXPECT_EQ(MessageDialog(MessageDialogType::Warning, YesCancel, [key](QWidget& box) { PressKey(box, key); }), DialogResult::Cancel);
  const int abort = MessageDialog(MessageDialogType::None, MessageDialogButton::Abort | MessageDialogButton::Retry,
                                  [](QWidget& box) {
                                    EXPECT_EQ(box.windowTitle(), QStringLiteral("Trelvane 4.40    "));
                                    EXPECT_EQ(ButtonCaptions(box),
                                              QStringList({QStringLiteral("&Прервать"), QStringLiteral("&Повторить")}));
                                    Click(*box.findChildren<QPushButton*>().first());
                                  });
  EXPECT_EQ(abort, DialogResult::Abort);
}

class Fonts : public ::testing::Test {
 protected:
  void SetUp() override { testing::EnsureApplication(); }
  std::unique_ptr<EmulatedSystem> Version(int major) {
    return EmulatedMachineFromJson("{\"system\": {\"version\": [" + std::to_string(major) + ", 1, 2600]}}", ".");
  }
};

TEST_F(Fonts, CalibriIsTwoPointsLargerOnceAndOnlyFromVersionSixWhenInstalled) {
  const QStringList withCalibri{QStringLiteral("DejaVu Sans"), QStringLiteral("CALIBRI")};
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPointSizeF(9);
  SetCalibriFont(*Version(5), font, withCalibri);
  EXPECT_EQ(font.family(), QStringLiteral("DejaVu Sans"));
  SetCalibriFont(*Version(6), font, {QStringLiteral("DejaVu Sans")});
  EXPECT_EQ(font.pointSizeF(), 9);
  SetCalibriFont(*Version(6), font, withCalibri);
  EXPECT_EQ(font.family(), QStringLiteral("Calibri"));
  EXPECT_EQ(font.pointSizeF(), 11);
  SetCalibriFont(*Version(6), font, withCalibri);
  EXPECT_EQ(font.pointSizeF(), 11);
  QFont lowerCase(QStringLiteral("calibri"));
  lowerCase.setPointSizeF(10);
  SetCalibriFont(*Version(10), lowerCase, withCalibri);
  EXPECT_EQ(lowerCase.pointSizeF(), 10);
}

TEST_F(Fonts, SystemFontReplacesTheDesignFontAndMemosAreMonospaced) {
  QFont font(QStringLiteral("Tahoma"));
  font.setPixelSize(12);
  SetSystemFont(font);
  EXPECT_EQ(font.family(), QFontDatabase::systemFont(QFontDatabase::GeneralFont).family());
  EXPECT_TRUE(QFontInfo(MonospacedFont(12)).fixedPitch());
  EXPECT_EQ(MonospacedFont(12).pixelSize(), 12);
}

}  // namespace
}  // namespace trelvane
