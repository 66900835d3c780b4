// The main window as the core sees it: the progress view of the zero fill, the command controls,
// and the window texts that start-up sets.

#include <windows.h>
#include <commctrl.h>

#include "win32/toolkit/message_loop.h"
#include "win32/toolkit/win32_text.h"
#include "win32/fm_choose.h"
#include "win32/fm_debug.h"
#include "win32/fm_main.h"

namespace trelvane {

void TFmMain::SetProgressPosition(int percent) { SendMessageW(pbCurrentTask, PBM_SETPOS, static_cast<WPARAM>(percent), 0); }

// The paused state draws the bar yellow (Common Controls 6 with visual styles).
void TFmMain::SetProgressState(ProgressState state) {
  SendMessageW(pbCurrentTask, PBM_SETSTATE, state == ProgressState::Paused ? PBST_PAUSED : PBST_NORMAL, 0);
}

void TFmMain::SetPercentCaption(const std::u16string& text) { SetWindowText(lbCurrentPercent, text); }
void TFmMain::SetPositionCaption(const std::u16string& text) { SetWindowText(lbCurrentPosition, text); }
void TFmMain::SetSpeedCaption(const std::u16string& text) { SetWindowText(lbSpeed, text); }
std::u16string TFmMain::SpeedCaption() const { return WindowText(lbSpeed); }

void TFmMain::ProcessMessages() { ProcessPendingMessages(); }

void TFmMain::SetFormatButtonEnabled(bool enabled) { EnableWindow(btRunBenchmarks, enabled); }
void TFmMain::SetSmartButtonEnabled(bool enabled) { EnableWindow(btGetSmart, enabled); }
// The verification box goes with the quick-wipe box: both are read when a run starts.
void TFmMain::SetEraseOptionsEnabled(bool enabled) {
  EnableWindow(cbQuickWipe, enabled);
  EnableWindow(cbVerify, enabled);
}
void TFmMain::SetStopEnabled(bool enabled) { EnableWindow(btStop, enabled); }
void TFmMain::FocusStop() { SetFocus(btStop); }

void TFmMain::ShowDebugWindowModeless() { debug_->ShowModeless(); }
void TFmMain::SetChooserCaption(const std::u16string& text) { SetWindowText(chooser_->Handle(), text); }
void TFmMain::SetProgramNameLabel(const std::u16string& text) { chooser_->SetProgramName(text); }

void TFmMain::SetMainCaption(const std::u16string& text) {
  SetWindowText(Handle(), text);
  applicationTitle_ = text;
  taskDialogs_.SetProgramTitle(text);
}

void TFmMain::SetMainStatusPanel(int panel, const std::u16string& text) {
  SendMessageW(StatusBar, SB_SETTEXTW, static_cast<WPARAM>(panel), reinterpret_cast<LPARAM>(Wide(text).c_str()));
}

void TFmMain::SetChooserMakerNotice(const std::u16string& text) { chooser_->SetMakerNotice(text); }
void TFmMain::SetMakerLink(const std::u16string& text) { SetWindowText(lbMakerLink->Handle(), text); }
void TFmMain::SetChooserStatusText(const std::u16string& text) { chooser_->SetStatusText(text); }

}  // namespace trelvane
