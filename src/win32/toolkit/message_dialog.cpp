#include "win32/toolkit/message_dialog.h"

#include <algorithm>
#include <array>
#include <vector>

#include "win32/toolkit/message_loop.h"
#include "win32/toolkit/win32_text.h"
#include "win32/toolkit/win32_task_dialog.h"
#include "win32/toolkit/window_base.h"
#include "win32/toolkit/window_fonts.h"

namespace trelvane {

namespace {

constexpr int Margin = 12;
constexpr int IconSize = 32;
constexpr int ButtonWidth = 80;
constexpr int ButtonHeight = 24;
constexpr int ButtonGap = 8;
constexpr int TextWidthLimit = 420;

struct TypeIcon {
  MessageDialogType type;
  PCWSTR icon;
};
const std::array<TypeIcon, 4> TypeIcons{{
    {MessageDialogType::Information, IDI_INFORMATION},
    {MessageDialogType::Warning, IDI_WARNING},
    {MessageDialogType::Error, IDI_ERROR},
    {MessageDialogType::Confirmation, IDI_QUESTION},
}};

// Esc answers with the first of these the dialog has.
constexpr std::array<int, 3> EscapeOrder{DialogResult::Cancel, DialogResult::No, DialogResult::Ok};

PCWSTR IconOf(MessageDialogType type) {
  for (const TypeIcon& row : TypeIcons) {
    if (row.type == type) return row.icon;
  }
  return nullptr;
}

class MessageDialogWindow final : public WindowBase {
 public:
  MessageDialogWindow(const std::u16string& caption, MessageDialogType type, const std::u16string& content,
                      int buttons);
  int Run(HWND owner);

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  SIZE TextSize(const std::u16string& content);
  void Answer(int result);
  void AnswerEscape();

  FontHandle font_;
  std::vector<int> results_;
  bool finished_ = false;
  int result_ = DialogResult::Cancel;
};

MessageDialogWindow::MessageDialogWindow(const std::u16string& caption, MessageDialogType type,
                                         const std::u16string& content, int buttons) {
  LOGFONTW face{};
  SetSystemFont(face);
  font_ = MakeFont(face);
  for (const MessageDialogButtonCaption& row : MessageDialogButtonCaptions) {
    if ((buttons & row.button) != 0) results_.push_back(row.modalResult);
  }
  const SIZE text = TextSize(content);
  const PCWSTR icon = IconOf(type);
  const int textLeft = Margin + (icon != nullptr ? IconSize + Margin : 0);
  const int buttonsWidth = static_cast<int>(results_.size()) * (ButtonWidth + ButtonGap) - ButtonGap;
  const int width = std::max(textLeft + static_cast<int>(text.cx), buttonsWidth) + Margin;
  const int bodyHeight = std::max(static_cast<int>(text.cy), icon != nullptr ? IconSize : 0);
  const int height = Margin + bodyHeight + Margin + ButtonHeight + Margin;
  Create(MessageDialogClass, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, std::max(width, 200), height);
  SetWindowText(Handle(), caption);
  if (icon != nullptr) {
    HWND picture = CreateControl(Handle(), L"STATIC", u"", SS_ICON, -1, RECT{Margin, Margin, Margin + IconSize, Margin + IconSize});
    SendMessageW(picture, STM_SETICON, reinterpret_cast<WPARAM>(LoadIconW(nullptr, icon)), 0);
  }
  CreateControl(Handle(), L"STATIC", content, SS_LEFT | SS_NOPREFIX, -1,
                RECT{textLeft, Margin, textLeft + static_cast<int>(text.cx), Margin + static_cast<int>(text.cy)});
  int left = (std::max(width, 200) - buttonsWidth) / 2;
  const bool hasCancel = std::find(results_.begin(), results_.end(), DialogResult::Cancel) != results_.end();
  for (const MessageDialogButtonCaption& row : MessageDialogButtonCaptions) {
    if ((buttons & row.button) == 0) continue;
    const bool isDefault = hasCancel ? row.modalResult == DialogResult::Cancel : row.modalResult == results_.front();
    CreateControl(Handle(), L"BUTTON", row.caption, WS_TABSTOP | (isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON),
                  row.modalResult, RECT{left, height - Margin - ButtonHeight, left + ButtonWidth, height - Margin});
    left += ButtonWidth + ButtonGap;
  }
  ApplyFont(Handle(), font_.get());
}

SIZE MessageDialogWindow::TextSize(const std::u16string& content) {
  HDC screen = GetDC(nullptr);
  HGDIOBJ previous = SelectObject(screen, font_.get());
  RECT bounds{0, 0, TextWidthLimit, 0};
  const std::wstring text = Wide(content);
  DrawTextW(screen, text.c_str(), static_cast<int>(text.size()), &bounds, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
  SelectObject(screen, previous);
  ReleaseDC(nullptr, screen);
  return SIZE{bounds.right, bounds.bottom};
}

int MessageDialogWindow::Run(HWND owner) {
  CentreOnWindow(Handle(), owner);
  HWND focus = nullptr;
  for (int id : results_) {
    if ((GetWindowLongW(Control(id), GWL_STYLE) & BS_DEFPUSHBUTTON) != 0) focus = Control(id);
  }
  if (focus != nullptr) SetFocus(focus);
  RunModal(Handle(), owner, finished_);
  return result_;
}

void MessageDialogWindow::Answer(int result) {
  result_ = result;
  finished_ = true;
}

void MessageDialogWindow::AnswerEscape() {
  for (int result : EscapeOrder) {
    if (std::find(results_.begin(), results_.end(), result) != results_.end()) return Answer(result);
  }
}

LRESULT MessageDialogWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) {
    Answer(DialogResult::Cancel);
    return 0;
  }
  if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
    const int id = LOWORD(wParam);
    // Esc reaches the dialog as IDCANCEL without a control behind it.
    if (lParam == 0 && id == IDCANCEL) {
      AnswerEscape();
    } else if (std::find(results_.begin(), results_.end(), id) != results_.end()) {
      Answer(id);
    }
    return 0;
  }
  return Default(message, wParam, lParam);
}

}  // namespace

int RunMessageDialog(HWND owner, const std::u16string& caption, MessageDialogType type, const std::u16string& content,
                     int buttons) {
  MessageDialogWindow dialog(caption, type, content, buttons);
  return dialog.Run(owner);
}

}  // namespace trelvane
