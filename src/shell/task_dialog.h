#pragma once
// The modal question box of the program. From platform version 6 on it is the platform's task dialog
// ("TaskDialog" of "comctl32.dll", bound at run time); before that it is the toolkit's standard
// message dialog, which shows the content text only. This file decides which dialog is shown, which
// texts reach it and what its answer means; a TaskDialogPresenter (the Qt front end, the command
// line, a test) does the showing.

#include <array>
#include <string>

#include "os/system.h"

namespace trelvane {

// Icon codes, handed to the task dialog unchanged as an integer resource identifier.
namespace TaskDialogIcon {
inline constexpr int Information = 81;
inline constexpr int Warning = 84;
inline constexpr int Error = 98;
inline constexpr int Question = 99;
}  // namespace TaskDialogIcon

// The task dialog's button flags (TDCBF_*), a bit set handed to the task dialog unchanged.
namespace TaskDialogButton {
inline constexpr int Ok = 1;
inline constexpr int Yes = 2;
inline constexpr int No = 4;
inline constexpr int Cancel = 8;
inline constexpr int Retry = 16;
inline constexpr int Close = 32;
}  // namespace TaskDialogButton

// The pressed-button values the task dialog reports (IDOK, IDCANCEL ...).
namespace PressedButton {
inline constexpr int Ok = 1;
inline constexpr int Cancel = 2;
inline constexpr int Retry = 4;
inline constexpr int Yes = 6;
inline constexpr int No = 7;
inline constexpr int Close = 8;
}  // namespace PressedButton

// What ShowTaskDialog returns; the same numbering on both paths. The message dialog's modal results
// use it too (Abort is the fallback's button for Close).
namespace DialogResult {
inline constexpr int NothingShown = 0;
inline constexpr int Ok = 1;
inline constexpr int Cancel = 2;
inline constexpr int Abort = 3;
inline constexpr int Retry = 4;
inline constexpr int Yes = 6;
inline constexpr int No = 7;
}  // namespace DialogResult

enum class MessageDialogType { None, Information, Warning, Error, Confirmation };

// The fallback dialog's buttons, a bit set of its own (not the task dialog's flags). The bits follow
// the order in which the dialog lays its buttons out.
namespace MessageDialogButton {
inline constexpr int Yes = 1 << 0;
inline constexpr int No = 1 << 1;
inline constexpr int Ok = 1 << 2;
inline constexpr int Cancel = 1 << 3;
inline constexpr int Abort = 1 << 4;
inline constexpr int Retry = 1 << 5;
}  // namespace MessageDialogButton

// The fallback dialog's own Russian texts: the window title of each dialog type (the plain dialog
// without a type shows the program's title instead) and each button's caption ("&" marks the
// keyboard mnemonic of the letter after it) with the modal result the button gives.
struct MessageDialogTypeCaption {
  MessageDialogType type;
  const char16_t* caption;
};
inline constexpr std::array<MessageDialogTypeCaption, 4> MessageDialogTypeCaptions{{
    {MessageDialogType::Warning, u"Предупреждение"},
    {MessageDialogType::Error, u"Ошибка"},
    {MessageDialogType::Information, u"Информация"},
    {MessageDialogType::Confirmation, u"Подтвердить"},
}};

struct MessageDialogButtonCaption {
  int button;  // a MessageDialogButton bit
  const char16_t* caption;
  int modalResult;  // a DialogResult
};
// In the order the dialog lays the buttons out.
inline constexpr std::array<MessageDialogButtonCaption, 6> MessageDialogButtonCaptions{{
    {MessageDialogButton::Yes, u"&Да", DialogResult::Yes},
    {MessageDialogButton::No, u"&Нет", DialogResult::No},
    {MessageDialogButton::Ok, u"ОК", DialogResult::Ok},
    {MessageDialogButton::Cancel, u"Отменить", DialogResult::Cancel},
    {MessageDialogButton::Abort, u"&Прервать", DialogResult::Abort},
    {MessageDialogButton::Retry, u"&Повторить", DialogResult::Retry},
}};

// The window title of a fallback dialog of `type`; empty for MessageDialogType::None.
std::u16string MessageDialogCaption(MessageDialogType type);

// Shows the dialogs. Both calls are modal and return when the user has answered.
class TaskDialogPresenter {
 public:
  virtual ~TaskDialogPresenter() = default;
  // Calls the task dialog entry `entry` with the owner window the presenter belongs to, the three
  // texts, the TaskDialogButton bits and the TaskDialogIcon code. Returns the pressed-button value
  // (PressedButton), or 0 when the dialog could not be shown.
  virtual int ShowTaskDialogWindow(EntryAddress entry, const std::u16string& title,
                                   const std::u16string& instruction, const std::u16string& content,
                                   int buttons, int icon) = 0;
  // Shows the standard message dialog centred on the owner window with `content` only and the
  // MessageDialogButton bits; returns the modal result (DialogResult).
  virtual int ShowMessageDialog(MessageDialogType type, const std::u16string& content, int buttons) = 0;
};

// True on platform version 6 and later.
bool IsVistaOrLater(System& system);

// The fallback's dialog type for an icon code (MessageDialogType::None for an unknown code).
MessageDialogType MessageDialogTypeOfIcon(int icon);
// The fallback's MessageDialogButton bits for TaskDialogButton bits.
int MessageDialogButtonsOf(int taskDialogButtons);
// The DialogResult of a pressed-button value.
int TaskDialogResult(int pressedButton);

// Asks the user. Returns a DialogResult; DialogResult::NothingShown (0) when, on version 6 and later,
// "comctl32.dll" or its "TaskDialog" entry is missing or the dialog could not be shown.
int ShowTaskDialog(System& system, TaskDialogPresenter& presenter, const std::u16string& title,
                   const std::u16string& instruction, const std::u16string& content, int icon,
                   int buttons);

}  // namespace trelvane
