// The main window's components as the presenter names them: texts, controls, the progress bar,
// the logs, the pages and the peer windows.

#include <algorithm>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>

#include "ui/fm_debug.h"
#include "ui/toolkit/qt_text.h"
#include "ui/toolkit/widget_colours.h"
#include "ui/fm_choose.h"
#include "ui/fm_main.h"
#include "ui/link_label.h"
#include "ui/reports_folder.h"
#include "ui/status_panels.h"

namespace trelvane {

namespace {

// The paused state of the bar: the platform draws it yellow.
const QString PausedBarStyle = QStringLiteral(
    "QProgressBar { border: 1px solid #a0a0a0; background: #e6e6e6; }"
    "QProgressBar::chunk { background-color: #dcc000; }");

}  // namespace

QWidget* TFmMain::ControlOf(MainControl control) const {
  switch (control) {
    case MainControl::FormatButton: return btRunBenchmarks;
    case MainControl::StopButton: return btStop;
    case MainControl::SmartButton: return btGetSmart;
    case MainControl::QuickWipeBox: return cbQuickWipe;
    case MainControl::VerifyBox: return cbVerify;
    case MainControl::MethodList: return cbMethod;
  }
  return nullptr;
}

QPlainTextEdit* TFmMain::MemoOf(MainLog log) const {
  switch (log) {
    case MainLog::Details: return Log_Details;
    case MainLog::Format: return Log_BenchMark;
    case MainLog::Smart: return Log_Smart;
  }
  return nullptr;
}

void TFmMain::SetText(MainText which, const std::u16string& text) {
  const QString shown = ToQString(text);
  switch (which) {
    case MainText::DiskName: lbDiskName->setText(shown); break;
    case MainText::PercentCaption: lbCurrentPercent->setText(shown); break;
    case MainText::PositionCaption: lbCurrentPosition->setText(shown); break;
    case MainText::SpeedCaption: lbSpeed->setText(shown); break;
    case MainText::AmountCaption: lbAmount->setText(shown); break;
    case MainText::MakerLink: lbMakerLink->setText(shown); break;
    case MainText::ChooserCaption: chooser_->setWindowTitle(shown); break;
    case MainText::ChooserProgramName: chooser_->SetProgramName(shown); break;
    case MainText::ChooserMakerNotice: chooser_->SetMakerNotice(shown); break;
    case MainText::ChooserStatus: chooser_->SetStatusText(shown); break;
    case MainText::StopCaption: lbStopReason->setText(shown); break;
    case MainText::HealthSummary: lbHealth->setText(shown); break;
  }
}

// Only the speed caption is read back: a run keeps the last speed when a block took no time.
std::u16string TFmMain::Text(MainText which) const {
  return which == MainText::SpeedCaption ? ToU16(lbSpeed->text()) : std::u16string();
}

void TFmMain::SetTitle(const std::u16string& text) {
  setWindowTitle(ToQString(text));
  taskDialogs_.SetProgramTitle(ToQString(text));
}

void TFmMain::SetStatusPanel(int panel, const std::u16string& text) { StatusBar->SetPanelText(panel, ToQString(text)); }

void TFmMain::SetEnabled(MainControl control, bool enabled) { ControlOf(control)->setEnabled(enabled); }
bool TFmMain::CanPress(MainControl control) const { return ControlOf(control)->isEnabled(); }
bool TFmMain::IsTicked(MainControl box) const {
  return (box == MainControl::VerifyBox ? cbVerify : cbQuickWipe)->isChecked();
}
void TFmMain::Focus(MainControl control) { ControlOf(control)->setFocus(); }

void TFmMain::SetMethodEntries(const std::vector<std::u16string>& titles) {
  cbMethod->clear();
  for (const std::u16string& title : titles) cbMethod->addItem(ToQString(title));
  cbMethod->setCurrentIndex(0);
}

int TFmMain::SelectedMethod() const { return cbMethod->currentIndex(); }

void TFmMain::SetProgressPosition(int percent) { pbCurrentTask->setValue(percent); }

void TFmMain::SetProgressPaused(bool paused) {
  pbCurrentTask->setProperty("paused", paused);
  pbCurrentTask->setStyleSheet(paused ? PausedBarStyle : QString());
}

void TFmMain::ShowSummary(const RunSummary& summary, bool reportLink) {
  pnSummary->setVisible(!summary.verdict.empty());
  lbVerdict->setText(ToQString(summary.verdict));
  QFont bold = font();
  bold.setBold(true);
  lbVerdict->setFont(bold);
  const ToneColour colour = ColourOf(summary.tone);
  SetTextColour(*lbVerdict, QColor(colour.red, colour.green, colour.blue));
  lbSummary->setText(ToQString(summary.details));
  lbSummary->setToolTip(lbSummary->text());
  lbFigures->setText(ToQString(summary.figures));
  lbReportLink->setVisible(reportLink);
  FitLogRoom();
}

// The summary and the error list take their room from the format log first: at the smallest window
// size the page could not hold them beside a log of its usual least height without squeezing the
// commands below.
void TFmMain::FitLogRoom() {
  const bool crowded = !pnSummary->isHidden() || !lvErrors->isHidden();
  Log_BenchMark->setMinimumHeight(crowded ? 1 : 40);
  Log_BenchMark->setSizePolicy(QSizePolicy::Expanding, crowded ? QSizePolicy::Ignored : QSizePolicy::Expanding);
}

void TFmMain::ShowErrorList(const std::vector<ErrorListRow>& rows) {
  lvErrors->clear();
  QList<QTreeWidgetItem*> items;
  items.reserve(static_cast<qsizetype>(rows.size()));
  for (const ErrorListRow& row : rows) {
    auto* item = new QTreeWidgetItem(
        QStringList{ToQString(row.offset), ToQString(row.length), ToQString(row.code), ToQString(row.text)});
    for (int column = 0; column < 3; ++column) item->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
    item->setToolTip(3, item->text(3));
    items.push_back(item);
  }
  lvErrors->addTopLevelItems(items);
  // As tall as its rows, up to five, where the page has the room: in a short window the log gives up
  // its room first, and neither squeezes the commands below.
  const int row = lvErrors->fontMetrics().height() + 4;
  const int chrome = 2 * lvErrors->frameWidth() + lvErrors->header()->sizeHint().height();
  lvErrors->setMaximumHeight(chrome + static_cast<int>(std::clamp<std::size_t>(rows.size(), 1, 5)) * row);
  lvErrors->setVisible(!rows.empty());
  FitLogRoom();
}

void TFmMain::ProcessMessages() { QCoreApplication::processEvents(); }

LineSink& TFmMain::Log(MainLog which) {
  switch (which) {
    case MainLog::Details: return *detailsSink_;
    case MainLog::Format: return *formatSink_;
    case MainLog::Smart: break;
  }
  return *smartSink_;
}

void TFmMain::ScrollToTop(MainLog which) { MemoOf(which)->moveCursor(QTextCursor::Start); }
MainPage TFmMain::CurrentPage() const { return static_cast<MainPage>(pages->currentIndex()); }

void TFmMain::ShowDebugWindow() { debug_->show(); }

void TFmMain::RunDebugWindowModally() {
  debug_->close();
  debug_->exec();
}

bool TFmMain::RunDriveChooser() { return chooser_->RunDriveChooser(); }
void TFmMain::Close() { close(); }
std::filesystem::path TFmMain::ReportsFolder() const { return trelvane::ReportsFolder(); }

}  // namespace trelvane
