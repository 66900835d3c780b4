// The main window's components and where they sit. Sizes are those of the design at a client area
// of 768 x 499; the logs grow with the window and the command controls keep to the bottom.

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "platform/qt/system_font.h"
#include "ui/fm_main.h"
#include "ui/link_label.h"
#include "ui/status_panels.h"

namespace trelvane {

namespace {

// Reports and logs: read-only, no wrapping, white.
QPlainTextEdit* MakeMemo(const QString& name) {
  auto* memo = new QPlainTextEdit;
  memo->setObjectName(name);
  memo->setReadOnly(true);
  memo->setLineWrapMode(QPlainTextEdit::NoWrap);
  memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  QPalette palette = memo->palette();
  palette.setColor(QPalette::Base, Qt::white);
  memo->setPalette(palette);
  return memo;
}

QLabel* MakeCaption(const QString& name) {
  auto* label = new QLabel;
  label->setObjectName(name);
  label->setTextFormat(Qt::PlainText);
  label->setFont(PixelFont(QStringLiteral("Tahoma"), 21));
  return label;
}

QPushButton* MakeButton(const QString& name, const QString& caption, int width) {
  auto* button = new QPushButton(caption);
  button->setObjectName(name);
  button->setFixedSize(width, 26);
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
  strip->setAutoFillBackground(true);
  QPalette palette = strip->palette();
  palette.setColor(QPalette::Window, Qt::white);
  strip->setPalette(palette);
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
  formatPage_ = BuildFormatPage();
  pages->addTab(formatPage_, QStringLiteral("НИЗКОУРОВНЕВОЕ ФОРМАТИРОВАНИЕ"));
  smartPage_ = BuildSmartPage();
  pages->addTab(smartPage_, QStringLiteral("S.M.A.R.T."));
  area->layout()->addWidget(pages);
  return area;
}

QWidget* TFmMain::BuildDetailsPage() {
  auto* page = new QWidget;
  auto* panel = new QWidget;
  Column(page, 10)->addWidget(panel);
  Log_Details = MakeMemo(QStringLiteral("Log_Details"));
  Log_Details->setFont(MonospacedFont(12));
  Column(panel, 10)->addWidget(Log_Details);
  return page;
}

QWidget* TFmMain::BuildFormatPage() {
  auto* page = new QWidget;
  QVBoxLayout* layout = Column(page, 5);
  Log_BenchMark = MakeMemo(QStringLiteral("Log_BenchMark"));
  Log_BenchMark->setMinimumHeight(80);
  layout->addWidget(Log_BenchMark, 1);
  auto* group = new QGroupBox(QStringLiteral("Текущий ход выполнения задачи"));
  group->setObjectName(QStringLiteral("gbCurrentTask"));
  group->setFixedHeight(77);
  pbCurrentTask = new QProgressBar;
  pbCurrentTask->setObjectName(QStringLiteral("pbCurrentTask"));
  pbCurrentTask->setRange(0, 100);
  pbCurrentTask->setValue(0);
  pbCurrentTask->setTextVisible(false);
  auto* groupLayout = new QVBoxLayout(group);
  groupLayout->setContentsMargins(10, 10, 10, 10);
  groupLayout->addWidget(pbCurrentTask);
  layout->addSpacing(10);
  layout->addWidget(group);
  layout->addWidget(BuildFormatControls());
  return page;
}

// The run's three captions at the left; the quick-wipe box, Stop and the format button at the right.
QWidget* TFmMain::BuildFormatControls() {
  auto* controls = new QWidget;
  auto* row = new QHBoxLayout(controls);
  row->setContentsMargins(17, 6, 19, 8);
  auto* captions = new QGridLayout;
  captions->setHorizontalSpacing(0);
  lbCurrentPercent = MakeCaption(QStringLiteral("lbCurrentPercent"));
  lbCurrentPercent->setMinimumWidth(192);
  lbSpeed = MakeCaption(QStringLiteral("lbSpeed"));
  lbCurrentPosition = MakeCaption(QStringLiteral("lbCurrentPosition"));
  captions->addWidget(lbCurrentPercent, 0, 0);
  captions->addWidget(lbSpeed, 0, 1);
  captions->addWidget(lbCurrentPosition, 1, 0, 1, 2);
  row->addLayout(captions, 1);
  auto* commands = new QVBoxLayout;
  cbQuickWipe = new QCheckBox(QStringLiteral("Выполнить быструю очистку (просто удалить разделы и MBR)"));
  cbQuickWipe->setObjectName(QStringLiteral("cbQuickWipe"));
  commands->addWidget(cbQuickWipe);
  commands->addSpacing(8);
  auto* buttons = new QHBoxLayout;
  btStop = MakeButton(QStringLiteral("btStop"), QStringLiteral("Остановить"), 94);
  btStop->setEnabled(false);
  btRunBenchmarks = MakeButton(QStringLiteral("btRunBenchmarks"), QStringLiteral("ФОРМАТИРОВАТЬ ЭТО УСТРОЙСТВО"), 225);
  btRunBenchmarks->setDefault(true);
  buttons->addWidget(btStop);
  buttons->addStretch(1);
  buttons->addWidget(btRunBenchmarks);
  commands->addLayout(buttons);
  row->addLayout(commands);
  return controls;
}

QWidget* TFmMain::BuildSmartPage() {
  auto* page = new QWidget;
  QVBoxLayout* layout = Column(page, 5);
  Log_Smart = MakeMemo(QStringLiteral("Log_Smart"));
  Log_Smart->setFont(MonospacedFont(12));
  layout->addWidget(Log_Smart, 1);
  btGetSmart = MakeButton(QStringLiteral("btGetSmart"), QStringLiteral("&Получить данные SMART"), 169);
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
  QFont font = PixelFont(QStringLiteral("Tahoma"), 11);
  font.setBold(true);
  lbMakerLink->setFont(font);
  row->addWidget(lbMakerLink);
  row->addStretch(1);
  return strip;
}

}  // namespace trelvane
