#include "ui/fm_choose.h"

#include <array>

#include <QHeaderView>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QStatusBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/chooser_model.h"
#include "common/product.h"
#include "ui/toolkit/qt_text.h"
#include "ui/toolkit/system_font.h"
#include "ui/toolkit/widget_colours.h"
#include "os/win_constants.h"
#include "ui/link_label.h"

namespace trelvane {

namespace {

// The columns' widths in pixels, in the order of ChooserColumnCaptions; 0: the remaining width.
constexpr std::array<int, ChooserColumnCount> ColumnWidths{78, 220, 90, 160, 117, 0};

}  // namespace

TFmChoose::TFmChoose(System& system, ProgramState& state, MessageBoxes& boxes, ProgramEnding& ending,
                     QWidget* parent)
    : QDialog(parent), system_(system), state_(state), boxes_(boxes), ending_(ending) {
  setObjectName(QStringLiteral("FmChoose"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  setFont(TahomaPointFont(9));
  BuildLayout();
  FormCreate();
}

void TFmChoose::BuildLayout() {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(BuildHeader());
  auto* separator = new QFrame;
  separator->setFrameShape(QFrame::HLine);
  separator->setFrameShadow(QFrame::Sunken);
  separator->setFixedHeight(2);
  layout->addWidget(separator);
  layout->addWidget(BuildListBand(), 1);
  layout->addWidget(BuildBottomBand());
  StatusBar = new QStatusBar;
  StatusBar->setObjectName(QStringLiteral("StatusBar"));
  StatusBar->setSizeGripEnabled(false);
  StatusBar->setFixedHeight(20);
  StatusText = new QLabel;
  StatusText->setObjectName(QStringLiteral("StatusText"));
  StatusText->setTextFormat(Qt::PlainText);
  StatusText->setIndent(4);
  StatusBar->addWidget(StatusText, 1);
  layout->addWidget(StatusBar);
  setFixedSize(881, 368);
}

QWidget* TFmChoose::BuildHeader() {
  auto* header = new QWidget;
  FillBackground(*header, Qt::white);
  header->setFixedHeight(44);
  auto* row = new QHBoxLayout(header);
  row->setContentsMargins(15, 0, 15, 0);
  lbProgramName = new QLabel;
  lbProgramName->setObjectName(QStringLiteral("lbProgramName"));
  lbProgramName->setTextFormat(Qt::PlainText);
  Label1 = new LinkLabel;
  Label1->setObjectName(QStringLiteral("Label1"));
  Label1->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  Label1->setText(ToQString(MakerWebAddress));
  row->addWidget(lbProgramName);
  row->addStretch(1);
  row->addWidget(Label1);
  connect(Label1, &LinkLabel::clicked, this, [this] { Label1Click(); });
  connect(Label1, &LinkLabel::mousePressed, this, [this](Qt::MouseButton button) { Label1MouseDown(button); });
  connect(Label1, &LinkLabel::mouseReleased, this, [this](Qt::MouseButton button) { Label1MouseUp(button); });
  return header;
}

QWidget* TFmChoose::BuildListBand() {
  auto* band = new QWidget;
  auto* layout = new QVBoxLayout(band);
  layout->setContentsMargins(20, 20, 20, 20);
  DriveList = new QTreeWidget;
  DriveList->setObjectName(QStringLiteral("DriveList"));
  DriveList->setRootIsDecorated(false);
  DriveList->setItemsExpandable(false);
  DriveList->setUniformRowHeights(true);
  DriveList->setAllColumnsShowFocus(true);
  DriveList->setSelectionMode(QAbstractItemView::SingleSelection);
  DriveList->setSelectionBehavior(QAbstractItemView::SelectRows);
  DriveList->setEditTriggers(QAbstractItemView::NoEditTriggers);
  QStringList captions;
  for (const char16_t* caption : ChooserColumnCaptions()) captions << QString::fromUtf16(caption);
  DriveList->setHeaderLabels(captions);
  DriveList->header()->setSectionsMovable(false);
  DriveList->header()->setStretchLastSection(true);
  for (std::size_t index = 0; index < ColumnWidths.size(); ++index) {
    if (ColumnWidths[index] > 0) DriveList->header()->resizeSection(static_cast<int>(index), ColumnWidths[index]);
  }
  DriveList->installEventFilter(this);
  DriveList->viewport()->installEventFilter(this);
  layout->addWidget(DriveList);
  return band;
}

QWidget* TFmChoose::BuildBottomBand() {
  auto* band = new QWidget;
  band->setFixedHeight(69);
  auto* row = new QHBoxLayout(band);
  row->setContentsMargins(20, 2, 20, 10);
  lbMakerNotice = new QLabel;
  lbMakerNotice->setObjectName(QStringLiteral("lbMakerNotice"));
  lbMakerNotice->setTextFormat(Qt::PlainText);
  lbMakerNotice->setWordWrap(true);
  lbMakerNotice->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  row->addWidget(lbMakerNotice, 1);
  auto* right = new QVBoxLayout;
  lbDiskManagement = new LinkLabel;
  lbDiskManagement->setObjectName(QStringLiteral("lbDiskManagement"));
  lbDiskManagement->setText(QStringLiteral("Открыть консоль управления дисками"));
  right->addWidget(lbDiskManagement, 0, Qt::AlignRight);
  right->addStretch(1);
  auto* prompt = new QHBoxLayout;
  Label2 = new QLabel(QStringLiteral("Пожалуйста, выберите устройство"));
  Label2->setObjectName(QStringLiteral("Label2"));
  btContinue = new QPushButton(QStringLiteral("Продолжить >>>"));
  btContinue->setObjectName(QStringLiteral("btContinue"));
  btContinue->setFixedSize(135, 26);
  btContinue->setDefault(true);
  btContinue->setEnabled(false);
  prompt->addWidget(Label2);
  prompt->addSpacing(10);
  prompt->addWidget(btContinue);
  right->addLayout(prompt);
  row->addLayout(right);
  connect(lbDiskManagement, &LinkLabel::clicked, this, [this] { lbDiskManagementClick(); });
  connect(btContinue, &QPushButton::clicked, this, [this] { btContinueClick(); });
  // The selection also changes by keyboard (arrows after a click on empty space): Continue follows it.
  connect(DriveList, &QTreeWidget::itemSelectionChanged, this,
          [this] { btContinue->setEnabled(!DriveList->selectedItems().isEmpty()); });
  return band;
}

void TFmChoose::SetProgramName(const QString& text) { lbProgramName->setText(text); }
void TFmChoose::SetMakerNotice(const QString& text) { lbMakerNotice->setText(text); }
void TFmChoose::SetStatusText(const QString& text) { StatusText->setText(text); }

bool TFmChoose::RunDriveChooser() {
  FillDriveList();
  exec();
  return state_.DriveChosen;
}

void TFmChoose::FillDriveList() {
  DriveList->clear();
  const char16_t separator = system_.GetRegionalSettings().decimalSeparator;
  for (const ChooserRowTexts& texts : ChooserRows(state_, separator)) {
    QStringList columns;
    for (const std::u16string& text : texts) columns << ToQString(text);
    auto* row = new QTreeWidgetItem(columns);
    row->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    // A column too narrow for its text (a long serial) cuts it with "…"; the tooltip names it whole.
    for (int column = 0; column < columns.size(); ++column) row->setToolTip(column, columns[column]);
    DriveList->addTopLevelItem(row);
  }
}

void TFmChoose::FormCreate() {
  SetWindowFont(system_, *this);
  QFont nameFont = lbProgramName->font();
  nameFont.setBold(true);
  nameFont.setPointSizeF(nameFont.pointSizeF() > 0 ? nameFont.pointSizeF() * 1.4 : 14);
  lbProgramName->setFont(nameFont);
  SetExplorerTheme(system_, *DriveList);
  Label1->SetTextColour(LinkBlue());
  lbDiskManagement->SetTextColour(LinkBlue());
  QFont underlined = lbDiskManagement->font();
  underlined.setUnderline(true);
  lbDiskManagement->setFont(underlined);
}

void TFmChoose::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  FormShow();
}

void TFmChoose::FormShow() {
  DriveList->setFocus();
  const int preselected = PreselectedRow(DriveList->topLevelItemCount());
  if (preselected < 0) return;
  btContinue->setEnabled(true);
  QTreeWidgetItem* row = DriveList->topLevelItem(preselected);
  DriveList->setCurrentItem(row);
  row->setSelected(true);
}

void TFmChoose::done(int result) {
  FormClose();
  QDialog::done(result);
}

void TFmChoose::FormClose() {
  if (!state_.DriveChosen) ending_.EndProgram(0);
}

bool TFmChoose::eventFilter(QObject* watched, QEvent* event) {
  if (watched == DriveList && event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
    DriveListKeyDown();
    return true;
  }
  if (watched == DriveList->viewport() && event->type() == QEvent::MouseButtonRelease) {
    DriveListClick(static_cast<QMouseEvent*>(event)->position().toPoint());
  }
  if (watched == DriveList->viewport() && event->type() == QEvent::MouseButtonDblClick) {
    QDialog::eventFilter(watched, event);
    DriveListDblClick();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

// Esc outside the list neither closes the chooser nor ends the program; Enter still reaches the
// default button.
void TFmChoose::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

void TFmChoose::DriveListClick(const QPoint& position) {
  if (DriveList->itemAt(position) == nullptr) DriveList->clearSelection();
  btContinue->setEnabled(!DriveList->selectedItems().isEmpty());
}

void TFmChoose::DriveListDblClick() {
  if (!DriveList->selectedItems().isEmpty()) btContinueClick();
}

// Esc in the list leaves the chooser without a choice, which ends the program (FormClose).
void TFmChoose::DriveListKeyDown() { reject(); }

void TFmChoose::btContinueClick() {
  const QList<QTreeWidgetItem*> selected = DriveList->selectedItems();
  if (selected.isEmpty()) return;
  const std::int64_t index = DriveList->indexOfTopLevelItem(selected.first()) + 1;
  if (ChooseDrive(state_, index, boxes_)) accept();
}

void TFmChoose::Label1Click() { system_.ShellExecuteW(u"open", MakerWebAddress, ShowCommandShow); }

void TFmChoose::Label1MouseDown(Qt::MouseButton button) {
  if (button == Qt::LeftButton) Label1->SetTextColour(LinkRed());
}

void TFmChoose::Label1MouseUp(Qt::MouseButton button) {
  if (button == Qt::LeftButton) Label1->SetTextColour(LinkBlue());
}

void TFmChoose::lbDiskManagementClick() {
  system_.ShellExecuteW(u"open", u"diskmgmt.msc", ShowCommandShowNormal);
}

}  // namespace trelvane
