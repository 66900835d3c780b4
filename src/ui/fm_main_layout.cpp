// The main window's components and where they sit. Sizes are those of the design at a client area
// of 768 x 499; the logs grow with the window and the command controls keep to the bottom.

#include <algorithm>

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QStyleFactory>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "format/progress_text.h"
#include "ui/toolkit/qt_text.h"
#include "ui/toolkit/system_font.h"
#include "ui/toolkit/widget_colours.h"
#include "ui/fm_main.h"
#include "ui/link_label.h"
#include "ui/status_panels.h"

namespace trelvane {

namespace {

// The width a button was designed with, kept for fitting it again when the window's face changes.
constexpr const char* DesignWidthProperty = "designWidth";

// At least the design width; wider where the face needs it, so that the caption keeps a clear margin
// from the button's borders on both sides.
void FitButtonToCaption(QPushButton& button) {
  constexpr int CaptionMargin = 14;
  QString caption = button.text();
  caption.remove(u'&');
  const int needed = button.fontMetrics().horizontalAdvance(caption) + 2 * CaptionMargin;
  button.setMinimumWidth(std::max({button.property(DesignWidthProperty).toInt(), needed, button.sizeHint().width()}));
}

// The classic style's scroll bars: a raised handle over a light, patterned track.
QStyle* ClassicScrollBarStyle() {
  static QStyle* const style = [] {
    QStyle* made = QStyleFactory::create(QStringLiteral("Windows"));
    if (made != nullptr) made->setParent(QCoreApplication::instance());
    return made;
  }();
  return style;
}

// Reports and logs: read-only, no wrapping, white.
QPlainTextEdit* MakeMemo(const QString& name) {
  auto* memo = new QPlainTextEdit;
  memo->setObjectName(name);
  memo->setReadOnly(true);
  memo->setLineWrapMode(QPlainTextEdit::NoWrap);
  memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  memo->setTabChangesFocus(true);
  QPalette palette = memo->palette();
  palette.setColor(QPalette::Base, Qt::white);
  memo->setPalette(palette);
  // Some desktop styles (Fusion, Qt's fallback) draw a scroll bar's handle lighter than its track:
  // beside a white memo the darker track reads as the handle, at the end of the bar while the text
  // shows its start, and after one wheel step as two handles either side of the real one. The memos'
  // bars take the classic style, whose raised handle cannot be mistaken for the track.
  if (QStyle* classic = ClassicScrollBarStyle()) {
    memo->verticalScrollBar()->setStyle(classic);
    memo->horizontalScrollBar()->setStyle(classic);
  }
  return memo;
}

QLabel* MakeCaption(const QString& name) {
  auto* label = new QLabel;
  label->setObjectName(name);
  label->setTextFormat(Qt::PlainText);
  label->setFont(TahomaFont(21));
  return label;
}

// The page's default button. A button that answers Enter when focused (autoDefault) drops its default
// mark when the focus leaves it outside a dialog; this one takes the mark back.
class PageDefaultButton final : public QPushButton {
 public:
  using QPushButton::QPushButton;

 protected:
  void focusOutEvent(QFocusEvent* event) override {
    QPushButton::focusOutEvent(event);
    setDefault(true);
  }
};

QPushButton* MakeButton(const QString& name, const QString& caption, int width, bool pageDefault = false) {
  QPushButton* button = pageDefault ? new PageDefaultButton(caption) : new QPushButton(caption);
  button->setObjectName(name);
  button->setFixedHeight(26);
  button->setProperty(DesignWidthProperty, width);
  FitButtonToCaption(*button);
  // A focused button answers Enter itself, as on the platform.
  button->setAutoDefault(true);
  return button;
}

QVBoxLayout* Column(QWidget* owner, int margin) {
  auto* layout = new QVBoxLayout(owner);
  layout->setContentsMargins(margin, margin, margin, margin);
  layout->setSpacing(0);
  return layout;
}

}  // namespace

void TFmMain::FitButtons() {
  for (QPushButton* button : {btStop, btRunBenchmarks, btGetSmart}) FitButtonToCaption(*button);
}

void TFmMain::BuildLayout() {
  auto* central = new QWidget;
  QVBoxLayout* layout = Column(central, 0);
  layout->addWidget(BuildTopStrip());
  layout->addWidget(BuildPages(), 1);
  layout->addWidget(BuildBottomStrip());
  setCentralWidget(central);
  StatusBar = new StatusPanels({{450, Qt::AlignLeft}, {450, Qt::AlignLeft}, {50, Qt::AlignRight}});
  StatusBar->setObjectName(QStringLiteral("StatusBar"));
  setStatusBar(StatusBar);
}

QWidget* TFmMain::BuildTopStrip() {
  auto* strip = new QWidget;
  FillBackground(*strip, Qt::white);
  strip->setFixedHeight(32);
  auto* row = new QHBoxLayout(strip);
  row->setContentsMargins(15, 6, 15, 6);
  lbDiskName = new QLabel;
  lbDiskName->setObjectName(QStringLiteral("lbDiskName"));
  lbDiskName->setTextFormat(Qt::PlainText);
  row->addWidget(lbDiskName);
  return strip;
}

QWidget* TFmMain::BuildPages() {
  auto* area = new QWidget;
  Column(area, 10);
  pages = new QTabWidget;
  pages->setObjectName(QStringLiteral("pages"));
  pages->addTab(BuildDetailsPage(), QStringLiteral("Детали устройства"));
  pages->addTab(BuildFormatPage(), QStringLiteral("НИЗКОУРОВНЕВОЕ ФОРМАТИРОВАНИЕ"));
  pages->addTab(BuildSmartPage(), QStringLiteral("S.M.A.R.T."));
  area->layout()->addWidget(pages);
  return area;
}

QWidget* TFmMain::BuildDetailsPage() {
  auto* page = new QWidget;
  auto* panel = new QWidget;
  Column(page, 10)->addWidget(panel);
  // The health verdict sits above the report, in the window's face: it is read first.
  lbHealth = new QLabel;
  lbHealth->setObjectName(QStringLiteral("lbHealth"));
  lbHealth->setTextFormat(Qt::PlainText);
  lbHealth->setWordWrap(true);
  lbHealth->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Minimum);
  Log_Details = MakeMemo(QStringLiteral("Log_Details"));
  Log_Details->setFont(MonospacedFont(12));
  QVBoxLayout* column = Column(panel, 10);
  column->setSpacing(6);
  column->addWidget(lbHealth);
  column->addWidget(Log_Details, 1);
  return page;
}

QWidget* TFmMain::BuildFormatPage() {
  auto* page = new QWidget;
  QVBoxLayout* layout = Column(page, 5);
  Log_BenchMark = MakeMemo(QStringLiteral("Log_BenchMark"));
  Log_BenchMark->setMinimumHeight(40);
  layout->addWidget(Log_BenchMark, 1);
  layout->addWidget(BuildErrorList());
  layout->addWidget(BuildSummary());
  layout->addWidget(BuildMethodRow());
  auto* group = new QGroupBox(QStringLiteral("Текущий ход выполнения задачи"));
  group->setObjectName(QStringLiteral("gbCurrentTask"));
  group->setFixedHeight(77);
  pbCurrentTask = new QProgressBar;
  pbCurrentTask->setObjectName(QStringLiteral("pbCurrentTask"));
  pbCurrentTask->setRange(0, 100);
  pbCurrentTask->setValue(0);
  pbCurrentTask->setTextVisible(false);
  // Under the bar, in the window's own face: the bytes and times run longer than the large captions
  // below could show.
  lbAmount = new QLabel;
  lbAmount->setObjectName(QStringLiteral("lbAmount"));
  lbAmount->setTextFormat(Qt::PlainText);
  lbAmount->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
  auto* groupLayout = new QVBoxLayout(group);
  groupLayout->setContentsMargins(10, 6, 10, 4);
  groupLayout->setSpacing(2);
  groupLayout->addWidget(pbCurrentTask, 1);
  groupLayout->addWidget(lbAmount);
  layout->addWidget(group);
  layout->addWidget(BuildFormatControls());
  return page;
}

// Rows from the top: the quick-wipe box at the right; the percent and speed captions; the sector
// caption; the verification box at the left, Stop and the format button at the right (the box is short
// enough to sit beside the buttons at the window's minimum width). The box has a row to itself because with the
// wider faces of some desktops it would not fit beside the captions; the sector caption has one
// because beside the buttons the largest sector number a drive can report would not fit at the
// window's minimum width.
QWidget* TFmMain::BuildFormatControls() {
  auto* controls = new QWidget;
  auto* grid = new QGridLayout(controls);
  grid->setContentsMargins(17, 4, 19, 8);
  grid->setHorizontalSpacing(0);
  grid->setVerticalSpacing(2);
  cbQuickWipe = new QCheckBox(QStringLiteral("Выполнить быструю очистку (просто удалить разделы и MBR)"));
  cbQuickWipe->setObjectName(QStringLiteral("cbQuickWipe"));
  grid->addWidget(cbQuickWipe, 0, 0, 1, 2, Qt::AlignRight);
  lbCurrentPercent = MakeCaption(QStringLiteral("lbCurrentPercent"));
  // Wide enough for the widest percent caption, so the speed caption beside it never touches it.
  lbCurrentPercent->setMinimumWidth(
      lbCurrentPercent->fontMetrics().horizontalAdvance(ToQString(PercentCaption(RunPhase::Check, 100))) + 24);
  lbSpeed = MakeCaption(QStringLiteral("lbSpeed"));
  lbCurrentPosition = MakeCaption(QStringLiteral("lbCurrentPosition"));
  // The captions take the width the row has; they never widen the window's minimum.
  lbSpeed->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  lbCurrentPosition->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  grid->addWidget(lbCurrentPercent, 1, 0);
  grid->addWidget(lbSpeed, 1, 1);
  grid->addWidget(lbCurrentPosition, 2, 0, 1, 2);
  grid->setColumnStretch(1, 1);
  auto* buttons = new QHBoxLayout;
  buttons->setSpacing(16);
  btStop = MakeButton(QStringLiteral("btStop"), QStringLiteral("Остановить"), 94);
  btStop->setEnabled(false);
  btRunBenchmarks = MakeButton(QStringLiteral("btRunBenchmarks"), QStringLiteral("ФОРМАТИРОВАТЬ ЭТО УСТРОЙСТВО"), 225, true);
  btRunBenchmarks->setDefault(true);
  cbVerify = new QCheckBox(QStringLiteral("Проверить после записи"));
  cbVerify->setObjectName(QStringLiteral("cbVerify"));
  buttons->addWidget(cbVerify);
  buttons->addStretch(1);
  buttons->addWidget(btStop);
  buttons->addWidget(btRunBenchmarks);
  grid->addLayout(buttons, 3, 0, 1, 2);
  // Under the buttons, right-aligned to them: why Stop is disabled while the drive erases itself.
  lbStopReason = new QLabel;
  lbStopReason->setObjectName(QStringLiteral("lbStopReason"));
  lbStopReason->setTextFormat(Qt::PlainText);
  lbStopReason->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  lbStopReason->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
  lbStopReason->setFixedHeight(lbStopReason->fontMetrics().height() + 4);
  grid->addWidget(lbStopReason, 4, 0, 1, 2);
  return controls;
}

// The end of the last run, under the format log: the verdict and the link to its report on one line,
// the figures under them. Hidden until a run ends, and again while the next one runs; the log gives
// it the room.
QWidget* TFmMain::BuildSummary() {
  pnSummary = new QWidget;
  pnSummary->setObjectName(QStringLiteral("pnSummary"));
  auto* column = new QVBoxLayout(pnSummary);
  column->setContentsMargins(12, 4, 19, 0);
  column->setSpacing(2);
  auto* top = new QHBoxLayout;
  lbVerdict = new QLabel;
  lbVerdict->setObjectName(QStringLiteral("lbVerdict"));
  lbVerdict->setTextFormat(Qt::PlainText);
  lbReportLink = new LinkLabel;
  lbReportLink->setObjectName(QStringLiteral("lbReportLink"));
  lbReportLink->setText(QStringLiteral("Открыть отчет"));
  lbReportLink->SetTextColour(LinkBlue());
  lbFigures = new QLabel;
  lbFigures->setObjectName(QStringLiteral("lbFigures"));
  lbFigures->setTextFormat(Qt::PlainText);
  lbFigures->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  lbFigures->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  top->setSpacing(16);
  top->addWidget(lbVerdict);
  top->addWidget(lbFigures, 1);
  top->addWidget(lbReportLink);
  column->addLayout(top);
  lbSummary = new QLabel;
  lbSummary->setObjectName(QStringLiteral("lbSummary"));
  lbSummary->setTextFormat(Qt::PlainText);
  lbSummary->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  column->addWidget(lbSummary);
  pnSummary->hide();
  return pnSummary;
}

// The failed ranges of the last run, between the format log and the summary: hidden while there are
// none, and then sharing the log's room with it (ShowErrorList sets its height by its rows).
QWidget* TFmMain::BuildErrorList() {
  lvErrors = new QTreeWidget;
  lvErrors->setObjectName(QStringLiteral("lvErrors"));
  lvErrors->setRootIsDecorated(false);
  lvErrors->setUniformRowHeights(true);
  lvErrors->setSelectionMode(QAbstractItemView::SingleSelection);
  lvErrors->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  QStringList captions;
  for (const char16_t* caption : ErrorListCaptions) captions << ToQString(caption);
  lvErrors->setHeaderLabels(captions);
  // Offsets and lengths of the largest drive, grouped, fit their columns; the text takes the rest.
  const int digits = lvErrors->fontMetrics().horizontalAdvance(QStringLiteral("99,999,999,999,999")) + 12;
  lvErrors->setColumnWidth(0, digits);
  lvErrors->setColumnWidth(1, lvErrors->fontMetrics().horizontalAdvance(QStringLiteral("9,999,999,999")) + 12);
  lvErrors->setColumnWidth(2, lvErrors->fontMetrics().horizontalAdvance(QStringLiteral("99999")) + 12);
  lvErrors->header()->setStretchLastSection(true);
  lvErrors->header()->setSectionsMovable(false);
  lvErrors->setMinimumHeight(1);
  QPalette palette = lvErrors->palette();
  palette.setColor(QPalette::Base, Qt::white);
  lvErrors->setPalette(palette);
  lvErrors->hide();
  return lvErrors;
}

// Between the format log and the progress: the erase method list, as wide as the row allows.
QWidget* TFmMain::BuildMethodRow() {
  auto* row = new QWidget;
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(12, 6, 19, 2);
  layout->setSpacing(8);
  auto* caption = new QLabel(QStringLiteral("Способ стирания"));
  caption->setObjectName(QStringLiteral("lbMethod"));
  cbMethod = new QComboBox;
  cbMethod->setObjectName(QStringLiteral("cbMethod"));
  cbMethod->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  cbMethod->setMinimumContentsLength(20);
  cbMethod->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  caption->setBuddy(cbMethod);
  layout->addWidget(caption);
  layout->addWidget(cbMethod, 1);
  return row;
}

QWidget* TFmMain::BuildSmartPage() {
  auto* page = new QWidget;
  QVBoxLayout* layout = Column(page, 5);
  Log_Smart = MakeMemo(QStringLiteral("Log_Smart"));
  Log_Smart->setFont(MonospacedFont(12));
  layout->addWidget(Log_Smart, 1);
  btGetSmart = MakeButton(QStringLiteral("btGetSmart"), QStringLiteral("&Получить данные SMART"), 169, true);
  btGetSmart->setDefault(true);
  auto* row = new QHBoxLayout;
  row->setContentsMargins(0, 15, 30, 15);
  row->addStretch(1);
  row->addWidget(btGetSmart);
  layout->addLayout(row);
  return page;
}

QWidget* TFmMain::BuildBottomStrip() {
  auto* strip = new QWidget;
  strip->setFixedHeight(21);
  auto* row = new QHBoxLayout(strip);
  row->setContentsMargins(6, 2, 6, 2);
  lbMakerLink = new LinkLabel;
  lbMakerLink->setObjectName(QStringLiteral("lbMakerLink"));
  QFont font = TahomaFont(11);
  font.setBold(true);
  lbMakerLink->setFont(font);
  row->addWidget(lbMakerLink);
  row->addStretch(1);
  return strip;
}

}  // namespace trelvane
