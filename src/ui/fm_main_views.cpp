// The main window as the core sees it: the progress view of the zero fill, the command controls,
// and the window texts that start-up sets.

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "ui/fm_debug.h"
#include "ui/toolkit/qt_text.h"
#include "ui/fm_choose.h"
#include "ui/fm_main.h"
#include "ui/link_label.h"
#include "ui/status_panels.h"

namespace trelvane {

namespace {

// The paused state of the bar: the platform draws it yellow.
const QString PausedBarStyle = QStringLiteral(
    "QProgressBar { border: 1px solid #a0a0a0; background: #e6e6e6; }"
    "QProgressBar::chunk { background-color: #dcc000; }");

}  // namespace

void TFmMain::SetProgressPosition(int percent) { pbCurrentTask->setValue(percent); }

void TFmMain::SetProgressState(ProgressState state) {
  const bool paused = state == ProgressState::Paused;
  pbCurrentTask->setProperty("paused", paused);
  pbCurrentTask->setStyleSheet(paused ? PausedBarStyle : QString());
}

void TFmMain::SetPercentCaption(const std::u16string& text) { lbCurrentPercent->setText(ToQString(text)); }
void TFmMain::SetPositionCaption(const std::u16string& text) { lbCurrentPosition->setText(ToQString(text)); }
void TFmMain::SetSpeedCaption(const std::u16string& text) { lbSpeed->setText(ToQString(text)); }
std::u16string TFmMain::SpeedCaption() const { return ToU16(lbSpeed->text()); }

void TFmMain::ProcessMessages() { QCoreApplication::processEvents(); }

void TFmMain::SetFormatButtonEnabled(bool enabled) { btRunBenchmarks->setEnabled(enabled); }
void TFmMain::SetSmartButtonEnabled(bool enabled) { btGetSmart->setEnabled(enabled); }
// The verification box goes with the quick-wipe box: both are read when a run starts.
void TFmMain::SetEraseOptionsEnabled(bool enabled) {
  cbQuickWipe->setEnabled(enabled);
  cbVerify->setEnabled(enabled);
}
void TFmMain::SetStopEnabled(bool enabled) { btStop->setEnabled(enabled); }
void TFmMain::FocusStop() { btStop->setFocus(); }

void TFmMain::ShowDebugWindowModeless() { debug_->show(); }
void TFmMain::SetChooserCaption(const std::u16string& text) { chooser_->setWindowTitle(ToQString(text)); }
void TFmMain::SetProgramNameLabel(const std::u16string& text) { chooser_->SetProgramName(ToQString(text)); }

void TFmMain::SetMainCaption(const std::u16string& text) {
  setWindowTitle(ToQString(text));
  applicationTitle_ = ToQString(text);
  taskDialogs_.SetProgramTitle(applicationTitle_);
}

void TFmMain::SetMainStatusPanel(int panel, const std::u16string& text) {
  StatusBar->SetPanelText(panel, ToQString(text));
}

void TFmMain::SetChooserMakerNotice(const std::u16string& text) { chooser_->SetMakerNotice(ToQString(text)); }
void TFmMain::SetMakerLink(const std::u16string& text) { lbMakerLink->setText(ToQString(text)); }
void TFmMain::SetChooserStatusText(const std::u16string& text) { chooser_->SetStatusText(ToQString(text)); }

}  // namespace trelvane
