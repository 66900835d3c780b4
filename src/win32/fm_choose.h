#pragma once
// The drive chooser: the modal window in which the user picks the one drive the run works on. It
// reads the drive table and sets SelectedDrive and DriveChosen; leaving it without a choice ends
// the program.

#include <memory>
#include <string>

#include "common/program_state.h"
#include "common/views.h"
#include "os/system.h"
#include "win32/toolkit/link_label.h"
#include "win32/toolkit/window_base.h"
#include "win32/toolkit/window_fonts.h"
#include "app/windowed_run.h"

namespace trelvane {

class TFmChoose final : public WindowBase {
 public:
  TFmChoose(System& system, ProgramState& state, MessageBoxes& boxes, ProgramEnding& ending);

  // Fills the list from the drive table, shows the chooser modally over `owner` and returns
  // DriveChosen.
  bool RunDriveChooser(HWND owner);

  // The texts the startup sequence sets.
  void SetProgramName(const std::u16string& text);
  void SetMakerNotice(const std::u16string& text);
  // The status bar in its simple-text mode.
  void SetStatusText(const std::u16string& text);

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void BuildLayout();
  void BuildDriveList();
  void FillDriveList();
  LRESULT ColourStatic(HDC dc, HWND control);
  LRESULT DriveListNotify(const NMHDR& header);
  void Command(int id, LPARAM from);

  void FormCreate();
  void FormShow();
  void FormClose();
  void DriveListClick(int clickedRow);
  void DriveListDblClick();
  void DriveListKeyDown();
  void btContinueClick();
  void Label1Click();
  void Label1MouseDown(MouseButton button);
  void Label1MouseUp(MouseButton button);
  void lbDiskManagementClick();

  int SelectedRow() const;

  System& system_;
  ProgramState& state_;
  MessageBoxes& boxes_;
  ProgramEnding& ending_;
  bool finished_ = true;

  FontHandle windowFont_;
  FontHandle nameFont_;
  FontHandle underlinedFont_;
  HWND lbProgramName = nullptr;
  std::unique_ptr<LinkLabel> Label1;
  HWND DriveList = nullptr;
  HWND lbMakerNotice = nullptr;
  std::unique_ptr<LinkLabel> lbDiskManagement;
  HWND Label2 = nullptr;
  HWND btContinue = nullptr;
  HWND StatusBar = nullptr;
};

}  // namespace trelvane
