#pragma once
// Recording fakes of the core's view interfaces (memos, boxes, start-up windows, the format page's
// progress view, command controls and dialogs), for tests.

#include <functional>
#include <string>
#include <vector>

#include "common/views.h"
#include "format/command_controls.h"
#include "shell/task_dialog.h"

namespace trelvane::testing {

class RecordingSink : public LineSink {
 public:
  void AppendLine(const std::u16string& text) override { lines.push_back(text); }
  std::vector<std::u16string> lines;
};

class RecordingBoxes : public MessageBoxes {
 public:
  struct Box {
    std::u16string text;
    std::u16string caption;
    MessageIcon icon;
  };
  void ShowMessageBox(const std::u16string& text, const std::u16string& caption, MessageIcon icon) override {
    boxes.push_back({text, caption, icon});
  }
  std::vector<Box> boxes;
};

class RecordingStartupWindows : public StartupWindows {
 public:
  void ShowDebugWindowModeless() override { events.push_back(u"show debug window"); }
  void SetChooserCaption(const std::u16string& text) override { events.push_back(u"chooser caption: " + text); }
  void SetProgramNameLabel(const std::u16string& text) override { events.push_back(u"program name: " + text); }
  void SetMainCaption(const std::u16string& text) override { events.push_back(u"main caption: " + text); }
  void SetMainStatusPanel(int panel, const std::u16string& text) override {
    events.push_back(u"status panel " + std::u16string(1, static_cast<char16_t>(u'0' + panel)) + u": " + text);
  }
  void SetChooserMakerNotice(const std::u16string& text) override { events.push_back(u"maker notice: " + text); }
  void SetMakerLink(const std::u16string& text) override { events.push_back(u"maker link: " + text); }
  void SetChooserStatusText(const std::u16string& text) override { events.push_back(u"chooser status: " + text); }
  std::vector<std::u16string> events;
};

class RecordingProgressView : public ProgressView {
 public:
  void SetProgressPosition(int percent) override { positions.push_back(percent); }
  void SetProgressState(ProgressState state) override { states.push_back(state); }
  void SetPercentCaption(const std::u16string& text) override { percentCaptions.push_back(text); }
  void SetPositionCaption(const std::u16string& text) override { positionCaptions.push_back(text); }
  void SetSpeedCaption(const std::u16string& text) override {
    speed = text;
    speedCaptions.push_back(text);
  }
  std::u16string SpeedCaption() const override { return speed; }
  void SetAmountCaption(const std::u16string& text) override { amountCaptions.push_back(text); }
  // Calls onProcessMessages with the number of this call (1 for the first).
  void ProcessMessages() override {
    ++processMessagesCalls;
    if (onProcessMessages) onProcessMessages(processMessagesCalls);
  }

  std::vector<int> positions;
  std::vector<ProgressState> states;
  std::vector<std::u16string> percentCaptions;
  std::vector<std::u16string> positionCaptions;
  std::vector<std::u16string> speedCaptions;
  std::vector<std::u16string> amountCaptions;
  std::u16string speed;
  int processMessagesCalls = 0;
  std::function<void(int)> onProcessMessages;
};

// Records every control change as "FormatButton 0", "Stop 1", "FocusStop" ...
class FakeCommandControls : public CommandControls {
 public:
  void SetFormatButtonEnabled(bool enabled) override { Note("FormatButton", enabled); }
  void SetSmartButtonEnabled(bool enabled) override { Note("SmartButton", enabled); }
  void SetEraseOptionsEnabled(bool enabled) override { Note("EraseOptions", enabled); }
  void SetStopEnabled(bool enabled) override { Note("Stop", enabled); }
  void FocusStop() override { events.push_back("FocusStop"); }

  std::vector<std::string> events;

 private:
  void Note(const std::string& what, bool enabled) { events.push_back(what + (enabled ? " 1" : " 0")); }
};

struct TaskDialogCall {
  EntryAddress entry = 0;
  std::u16string title;
  std::u16string instruction;
  std::u16string content;
  int buttons = 0;
  int icon = 0;
};

struct MessageDialogCall {
  MessageDialogType type = MessageDialogType::None;
  std::u16string content;
  int buttons = 0;
};

// Answers every dialog with a fixed value and records what it was asked to show.
class FakeTaskDialogPresenter : public TaskDialogPresenter {
 public:
  int ShowTaskDialogWindow(EntryAddress entry, const std::u16string& title, const std::u16string& instruction,
                           const std::u16string& content, int buttons, int icon) override {
    taskDialogs.push_back({entry, title, instruction, content, buttons, icon});
    if (whileShown) whileShown();
    return pressed;
  }
  int ShowMessageDialog(MessageDialogType type, const std::u16string& content, int buttons) override {
    messageDialogs.push_back({type, content, buttons});
    return modalResult;
  }

  std::function<void()> whileShown;  // what the user does while the dialog is open
  int pressed = PressedButton::Yes;
  int modalResult = DialogResult::Yes;
  std::vector<TaskDialogCall> taskDialogs;
  std::vector<MessageDialogCall> messageDialogs;
};

}  // namespace trelvane::testing
