#pragma once
// One run of the Windows program: the four windows of MainWindowSession as native windows.

#include <string>

#include "app/main_window_session.h"
#include "win32/toolkit/win32_message_boxes.h"

namespace trelvane {

class TFmChoose;
class TFmDebug;
class TFmMain;
class TFmScan;

class Win32Session final : public MainWindowSession<TFmMain, TFmChoose, TFmScan, TFmDebug, Win32MessageBoxes> {
 public:
  // `firstArgument` is the program's first command-line argument (empty when there is none).
  Win32Session(System& system, std::u16string firstArgument);
  ~Win32Session() override;

  // Centres the main window on the screen and shows it; its first showing runs the start.
  void Show();

 private:
  void CloseWindows() override;
};

}  // namespace trelvane
