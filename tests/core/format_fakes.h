#pragma once
// Recording fakes of the format page (progress view, command controls, dialogs, format log) and a
// bench that puts an emulated machine, a program state and a log together for the format tests.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/diagnostic_log.h"
#include "common/program_state.h"
#include "common/views.h"
#include "format/command_controls.h"
#include "os/emulated/emulated_system.h"
#include "platform/task_dialog.h"
#include "recording_views.h"
#include "test_support.h"

namespace trelvane::testing {

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
  std::u16string speed;
  int processMessagesCalls = 0;
  std::function<void(int)> onProcessMessages;
};

// Records every control change as "RunBenchmarks 0", "Stop 1", "FocusStop" ...
class FakeCommandControls : public CommandControls {
 public:
  void SetRunBenchmarksEnabled(bool enabled) override { Note("RunBenchmarks", enabled); }
  void SetGetSmartEnabled(bool enabled) override { Note("GetSmart", enabled); }
  void SetQuickWipeEnabled(bool enabled) override { Note("QuickWipe", enabled); }
  void SetStopEnabled(bool enabled) override { Note("Stop", enabled); }
  void FocusStop() override { events.push_back("FocusStop"); }
  bool QuickWipeChecked() const override { return quickWipe; }
  bool VerifyChecked() const override { return verify; }

  bool quickWipe = false;
  bool verify = false;
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

// The frozen clock every bench starts from, and its log stamp.
inline constexpr const char* BenchClock = "2026-12-07T10:15:30.250";
inline const std::u16string BenchStamp = u"07.12.2026 10:15:30   ";

// A byte that is never 0, different at neighbouring offsets and for different drives.
inline std::uint8_t PatternByte(std::int64_t offset, int drive) {
  return static_cast<std::uint8_t>(1 + (offset + drive * 7) % 251);
}

// Writes a drive image of `bytes` filled with PatternByte.
void WritePatternImage(const std::filesystem::path& file, std::int64_t bytes, int drive);

// Offsets of the first byte in [from, to) of `image` that is not 0 (zeroed = true) or that does not
// hold the drive's pattern (zeroed = false); -1 when every byte is as expected.
std::int64_t FirstUnexpectedByte(const std::vector<unsigned char>& image, std::int64_t from,
                                 std::int64_t to, bool zeroed, int drive);

// An emulated machine in a temporary folder, a program state whose selected drive (entry 1) is
// drive 0 opened as DriveHandle, a format log and the fakes.
struct PatternImage {
  std::string name;
  std::int64_t bytes = 0;
  int drive = 0;
};

class FormatBench {
 public:
  // `images` are written into the bench's folder before the machine (which may name them) is loaded.
  // `sectorCount`/`sectorSize` become the selected entry's description.
  FormatBench(const std::string& machineJson, std::int64_t sectorCount, std::int64_t sectorSize = 512,
              const std::vector<PatternImage>& images = {});

  std::vector<std::u16string> LogTexts() const;  // the log lines without their stamps
  std::vector<unsigned char> Image(const std::string& name) const;
  // The requests of one call kind, in order.
  std::vector<RecordedRequest> Requests(const std::string& call) const;

  TempDir dir;
  std::unique_ptr<EmulatedSystem> system;
  ProgramState state;
  RecordingSink formatLog;
  std::unique_ptr<DiagnosticLog> log;
  RecordingProgressView view;
  FakeCommandControls controls;
  FakeTaskDialogPresenter dialogs;
};

// The machine file of `drives` (a JSON array) and `volumes`, with the bench's clock stepped by
// `clockStepMs` on every reading (0 freezes it).
std::string MachineJson(const std::string& drives, const std::string& volumes = "[]", int clockStepMs = 0,
                        const std::string& moreSystem = "");

}  // namespace trelvane::testing
