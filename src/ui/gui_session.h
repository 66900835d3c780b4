#pragma once
// One run of the windowed program over Qt: the four windows of MainWindowSession as Qt windows.

#include <string>

#include "app/main_window_session.h"
#include "ui/toolkit/qt_message_boxes.h"

namespace trelvane {

class TFmChoose;
class TFmDebug;
class TFmMain;
class TFmScan;

class GuiSession final : public MainWindowSession<TFmMain, TFmChoose, TFmScan, TFmDebug, QtMessageBoxes> {
 public:
  // `firstArgument` is the program's first command-line argument (empty when there is none).
  GuiSession(System& system, std::u16string firstArgument);
  ~GuiSession() override;

  // Centres the main window on the screen and shows it; its first showing runs the start.
  void Show();

 private:
  void CloseWindows() override;
};

}  // namespace trelvane
