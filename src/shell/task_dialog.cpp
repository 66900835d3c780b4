#include "shell/task_dialog.h"

#include <cstddef>

namespace trelvane {

namespace {

// The task dialog copies each text into a terminated buffer of this many characters; a text that
// does not fit together with its terminator is handed over empty.
constexpr std::size_t TaskDialogTextBuffer = 1025;

// Handle values below this are the library loader's error codes, not modules.
constexpr ModuleHandle SmallestModuleHandle = 32;

struct IconType {
  int icon;
  MessageDialogType type;
};
constexpr std::array<IconType, 4> IconTypes{{
    {TaskDialogIcon::Information, MessageDialogType::Information},
    {TaskDialogIcon::Warning, MessageDialogType::Warning},
    {TaskDialogIcon::Error, MessageDialogType::Error},
    {TaskDialogIcon::Question, MessageDialogType::Confirmation},
}};

struct ButtonPair {
  int taskDialogButton;
  int messageDialogButton;
};
constexpr std::array<ButtonPair, 6> ButtonPairs{{
    {TaskDialogButton::Ok, MessageDialogButton::Ok},
    {TaskDialogButton::Yes, MessageDialogButton::Yes},
    {TaskDialogButton::No, MessageDialogButton::No},
    {TaskDialogButton::Cancel, MessageDialogButton::Cancel},
    {TaskDialogButton::Retry, MessageDialogButton::Retry},
    {TaskDialogButton::Close, MessageDialogButton::Abort},
}};

struct PressedResult {
  int pressed;
  int result;
};
// Every pressed-button value not listed here reads as DialogResult::Ok.
constexpr std::array<PressedResult, 5> PressedResults{{
    {PressedButton::Cancel, DialogResult::Cancel},
    {PressedButton::Retry, DialogResult::Retry},
    {PressedButton::Yes, DialogResult::Yes},
    {PressedButton::No, DialogResult::No},
    {PressedButton::Close, DialogResult::Abort},
}};

std::u16string FittingText(const std::u16string& text) {
  return text.size() < TaskDialogTextBuffer ? text : std::u16string();
}

int ShowPlatformTaskDialog(System& system, TaskDialogPresenter& presenter, const std::u16string& title,
                           const std::u16string& instruction, const std::u16string& content, int icon,
                           int buttons) {
  const ModuleHandle library = system.LoadLibraryW(u"comctl32.dll");
  if (library < SmallestModuleHandle) return DialogResult::NothingShown;
  const EntryAddress entry = system.GetProcAddress(library, "TaskDialog");
  if (entry == 0) {
    system.FreeLibrary(library);
    return DialogResult::NothingShown;
  }
  const int pressed = presenter.ShowTaskDialogWindow(entry, FittingText(title), FittingText(instruction),
                                                     FittingText(content), buttons, icon);
  // A dialog that could not be shown reports no button; it must not read as OK.
  const int result = pressed == 0 ? DialogResult::NothingShown : TaskDialogResult(pressed);
  system.FreeLibrary(library);
  return result;
}

}  // namespace

std::u16string MessageDialogCaption(MessageDialogType type) {
  for (const MessageDialogTypeCaption& row : MessageDialogTypeCaptions) {
    if (row.type == type) return row.caption;
  }
  return {};
}

bool IsVistaOrLater(System& system) { return system.GetVersionExW().major >= 6u; }

MessageDialogType MessageDialogTypeOfIcon(int icon) {
  for (const IconType& row : IconTypes) {
    if (row.icon == icon) return row.type;
  }
  return MessageDialogType::None;
}

int MessageDialogButtonsOf(int taskDialogButtons) {
  int buttons = 0;
  for (const ButtonPair& pair : ButtonPairs) {
    if ((taskDialogButtons & pair.taskDialogButton) != 0) buttons |= pair.messageDialogButton;
  }
  return buttons;
}

int TaskDialogResult(int pressedButton) {
  for (const PressedResult& row : PressedResults) {
    if (row.pressed == pressedButton) return row.result;
  }
  return DialogResult::Ok;
}

int ShowTaskDialog(System& system, TaskDialogPresenter& presenter, const std::u16string& title,
                   const std::u16string& instruction, const std::u16string& content, int icon,
                   int buttons) {
  if (IsVistaOrLater(system)) {
    return ShowPlatformTaskDialog(system, presenter, title, instruction, content, icon, buttons);
  }
  return presenter.ShowMessageDialog(MessageDialogTypeOfIcon(icon), content,
                                     MessageDialogButtonsOf(buttons));
}

}  // namespace trelvane
