// The question box: which dialog is shown, which texts reach it and what its answer means.

#include <gtest/gtest.h>

#include "program_bench.h"
#include "shell/task_dialog.h"

namespace trelvane::testing {
namespace {

std::unique_ptr<EmulatedSystem> Machine(const std::string& system) {
  return EmulatedMachineFromJson(R"({"system": {)" + system + "}}", std::filesystem::temp_directory_path());
}

int Ask(System& system, FakeTaskDialogPresenter& presenter, const std::u16string& content = u"Текст") {
  return ShowTaskDialog(system, presenter, u"Заголовок", u"Инструкция", content, TaskDialogIcon::Warning,
                        TaskDialogButton::Yes | TaskDialogButton::Cancel);
}

TEST(IsVistaOrLater, FromMajorVersionSix) {
  EXPECT_FALSE(IsVistaOrLater(*Machine(R"("version": [5, 1, 2600])")));
  EXPECT_TRUE(IsVistaOrLater(*Machine(R"("version": [6, 0, 6000])")));
  EXPECT_TRUE(IsVistaOrLater(*Machine(R"("version": [10, 0, 19045])")));
}

TEST(ShowTaskDialog, PassesTheTextsButtonsAndIconAndFreesTheLibrary) {
  auto system = Machine("");
  FakeTaskDialogPresenter presenter;
  EXPECT_EQ(Ask(*system, presenter), DialogResult::Yes);
  ASSERT_EQ(presenter.taskDialogs.size(), 1u);
  const TaskDialogCall& call = presenter.taskDialogs[0];
  EXPECT_NE(call.entry, 0u);
  EXPECT_EQ(call.title, u"Заголовок");
  EXPECT_EQ(call.instruction, u"Инструкция");
  EXPECT_EQ(call.content, u"Текст");
  EXPECT_EQ(call.buttons, 10);
  EXPECT_EQ(call.icon, 84);
  const ModuleUse use = system->ModuleUsage(u"comctl32.dll");
  EXPECT_EQ(use.loads, 1);
  EXPECT_EQ(use.frees, 1);
  EXPECT_EQ(use.references, 0);
  EXPECT_TRUE(presenter.messageDialogs.empty());
}

TEST(ShowTaskDialog, MapsThePressedButton) {
  auto system = Machine("");
  FakeTaskDialogPresenter presenter;
  const std::vector<std::pair<int, int>> map{{1, 1}, {2, 2}, {3, 1}, {4, 4}, {5, 1},
                                             {6, 6}, {7, 7}, {8, 3}, {9, 1}};
  for (const auto& [pressed, result] : map) {
    presenter.pressed = pressed;
    EXPECT_EQ(Ask(*system, presenter), result) << "pressed " << pressed;
  }
  // A dialog that could not be shown is no answer, not OK.
  presenter.pressed = 0;
  EXPECT_EQ(Ask(*system, presenter), DialogResult::NothingShown);
  EXPECT_EQ(system->ModuleUsage(u"comctl32.dll").references, 0);
}

TEST(ShowTaskDialog, MissingLibraryOrEntryShowsNothing) {
  FakeTaskDialogPresenter presenter;
  auto absent = Machine(R"("modules": {"comctl32.dll": {"absent": true}})");
  EXPECT_EQ(Ask(*absent, presenter), 0);
  auto missing = Machine(R"("modules": {"comctl32.dll": {"missing": ["TaskDialog"]}})");
  EXPECT_EQ(Ask(*missing, presenter), 0);
  EXPECT_EQ(missing->ModuleUsage(u"comctl32.dll").frees, 1);
  EXPECT_EQ(missing->ModuleUsage(u"comctl32.dll").references, 0);
  EXPECT_TRUE(presenter.taskDialogs.empty());
  EXPECT_TRUE(presenter.messageDialogs.empty());
}

TEST(ShowTaskDialog, TextOf1025CharactersOrMoreArrivesEmpty) {
  auto system = Machine("");
  FakeTaskDialogPresenter presenter;
  const std::u16string fits(1024, u'я');
  const std::u16string tooLong(1025, u'я');
  ShowTaskDialog(*system, presenter, tooLong, fits, tooLong, TaskDialogIcon::Error, TaskDialogButton::Ok);
  ASSERT_EQ(presenter.taskDialogs.size(), 1u);
  EXPECT_EQ(presenter.taskDialogs[0].title, u"");
  EXPECT_EQ(presenter.taskDialogs[0].instruction, fits);
  EXPECT_EQ(presenter.taskDialogs[0].content, u"");
}

TEST(ShowTaskDialog, BeforeVersionSixShowsTheMessageDialogWithTheContentOnly) {
  auto system = Machine(R"("version": [5, 1, 2600], "modules": {"comctl32.dll": {"absent": true}})");
  FakeTaskDialogPresenter presenter;
  presenter.modalResult = DialogResult::Cancel;
  EXPECT_EQ(Ask(*system, presenter, u"Вопрос?"), DialogResult::Cancel);
  ASSERT_EQ(presenter.messageDialogs.size(), 1u);
  EXPECT_EQ(presenter.messageDialogs[0].type, MessageDialogType::Warning);
  EXPECT_EQ(presenter.messageDialogs[0].content, u"Вопрос?");
  EXPECT_EQ(presenter.messageDialogs[0].buttons, MessageDialogButton::Yes | MessageDialogButton::Cancel);
  EXPECT_TRUE(presenter.taskDialogs.empty());
  EXPECT_EQ(system->ModuleUsage(u"comctl32.dll").loads, 0);
}

TEST(ShowTaskDialog, FallbackTypesAndButtons) {
  EXPECT_EQ(MessageDialogTypeOfIcon(81), MessageDialogType::Information);
  EXPECT_EQ(MessageDialogTypeOfIcon(84), MessageDialogType::Warning);
  EXPECT_EQ(MessageDialogTypeOfIcon(98), MessageDialogType::Error);
  EXPECT_EQ(MessageDialogTypeOfIcon(99), MessageDialogType::Confirmation);
  EXPECT_EQ(MessageDialogTypeOfIcon(0), MessageDialogType::None);
  EXPECT_EQ(MessageDialogTypeOfIcon(82), MessageDialogType::None);

  EXPECT_EQ(MessageDialogButtonsOf(1), MessageDialogButton::Ok);
  EXPECT_EQ(MessageDialogButtonsOf(2 | 4), MessageDialogButton::Yes | MessageDialogButton::No);
  EXPECT_EQ(MessageDialogButtonsOf(8 | 16 | 32),
            MessageDialogButton::Cancel | MessageDialogButton::Retry | MessageDialogButton::Abort);
  EXPECT_EQ(MessageDialogButtonsOf(64), 0);

  EXPECT_EQ(MessageDialogCaption(MessageDialogType::Confirmation), u"Подтвердить");
  EXPECT_EQ(MessageDialogCaption(MessageDialogType::None), u"");
}

}  // namespace
}  // namespace trelvane::testing
