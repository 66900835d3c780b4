#pragma once
// Drives the Windows program's real windows in a test: an emulated machine, a session whose end is
// recorded, message pumping, and modal windows answered from a timer while their loops run.

#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include <windows.h>

#include "backends/emulated/emulated_system.h"
#include "test_support.h"
#include "win32/win32_session.h"

namespace trelvane::testing {

// One step of a script: acts when the window it waits for is there; true once it has acted.
using Step = std::function<bool()>;

class Win32Harness {
 public:
  // `drives` is the JSON array's contents; `system` the JSON object of the "system" field, or empty.
  explicit Win32Harness(const std::string& drives, const std::string& system = "", const std::u16string& argument = u"");
  ~Win32Harness();

  // Shows the main window and handles messages until its start has finished (the steps answer the
  // chooser and any box on the way).
  void Start(std::deque<Step> steps);
  // Runs `action` (a click that opens modal windows) with `steps` answering them.
  void Run(std::deque<Step> steps, const std::function<void()>& action);
  bool StepsDone() const;

  Win32Session& Session() { return *session_; }
  EmulatedSystem& System() { return *system_; }
  HWND Main();
  HWND Control(HWND window, int id) { return GetDlgItem(window, id); }
  std::filesystem::path Image(int drive) const;
  std::vector<int> endCodes;

 private:
  TempDir dir_;
  std::unique_ptr<EmulatedSystem> system_;
  std::unique_ptr<Win32Session> session_;
};

// The visible, enabled top-level window of this thread of class `className` (and caption), or null.
HWND FindModal(const wchar_t* className, const std::u16string& caption = u"");
// Clicks a push button or check box through its parent, as the mouse would.
void Click(HWND button);
std::u16string Text(HWND window);
// The text of list-view row `row`, column `column`.
std::u16string ItemText(HWND list, int row, int column);
void Pump();
// Posts a key press to `window` with Ctrl and Shift held or not, and handles it.
void PressKey(HWND window, UINT key, bool ctrl = false, bool shift = false);

// Common steps.
Step ClickIn(const wchar_t* className, int id);
Step PressInTaskDialog(int button, std::u16string* texts = nullptr);  // button 0: Enter on the focused one
Step CloseMessageBox(std::u16string* caption = nullptr, std::u16string* text = nullptr);

}  // namespace trelvane::testing
