#pragma once
// The drive chooser: the modal window in which the user picks the one drive the run works on.
// It reads the drive table and sets SelectedDrive and DriveChosen; leaving it without a choice ends
// the program.

#include <QDialog>

#include "common/program_state.h"
#include "common/views.h"
#include "os/system.h"
#include "app/windowed_run.h"

class QLabel;
class QPushButton;
class QStatusBar;
class QTreeWidget;

namespace trelvane {

class LinkLabel;

class TFmChoose final : public QDialog {
  Q_OBJECT

 public:
  TFmChoose(System& system, ProgramState& state, MessageBoxes& boxes, ProgramEnding& ending,
            QWidget* parent = nullptr);

  // Fills the list from the drive table, shows the chooser modally and returns DriveChosen.
  bool RunDriveChooser();

  // The texts the startup sequence sets.
  void SetProgramName(const QString& text);
  void SetMakerNotice(const QString& text);
  // The status bar in its simple-text mode.
  void SetStatusText(const QString& text);

  // Every way of closing (confirm, close box, Alt+F4, Esc in the list) passes here.
  void done(int result) override;

 protected:
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildLayout();
  QWidget* BuildHeader();
  QWidget* BuildListBand();
  QWidget* BuildBottomBand();
  void FillDriveList();

  void FormCreate();
  void FormShow();
  void FormClose();
  void DriveListClick(const QPoint& position);
  void DriveListDblClick();
  void DriveListKeyDown();
  void btContinueClick();
  void Label1Click();
  void Label1MouseDown(Qt::MouseButton button);
  void Label1MouseUp(Qt::MouseButton button);
  void lbDiskManagementClick();

  System& system_;
  ProgramState& state_;
  MessageBoxes& boxes_;
  ProgramEnding& ending_;

  QLabel* lbProgramName = nullptr;
  LinkLabel* Label1 = nullptr;
  QTreeWidget* DriveList = nullptr;
  QLabel* lbMakerNotice = nullptr;
  LinkLabel* lbDiskManagement = nullptr;
  QLabel* Label2 = nullptr;
  QPushButton* btContinue = nullptr;
  QStatusBar* StatusBar = nullptr;
  QLabel* StatusText = nullptr;
};

}  // namespace trelvane
