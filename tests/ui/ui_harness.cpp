#include "ui_harness.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <QTreeWidget>

#include "test_support.h"
#include "ui/toolkit/qt_translations.h"

namespace trelvane::testing {

namespace {

constexpr int PollIntervalMs = 10;
// How long an unexpected modal window may stay before it is closed: about half a minute.
constexpr int UnexpectedModalPolls = 3000;

}  // namespace

namespace {

int applicationArgc = 1;
char applicationName[] = "trelvane_ui_tests";
char* applicationArgv[] = {applicationName, nullptr};
QApplication* application = nullptr;

// The application goes when the tests end, before the process's exit handlers run: Qt's own
// globals are gone by then, and an application destroyed after them crashes.
class ApplicationEnvironment final : public ::testing::Environment {
 public:
  void TearDown() override {
    delete application;
    application = nullptr;
  }
};
const ::testing::Environment* const registered = ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment);

}  // namespace

void EnsureApplication() {
  if (application != nullptr) return;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // The windows save an erasure report after every run: into a folder of the tests, not the user's.
  static const TempDir dataHome;
  qputenv("XDG_DATA_HOME", QByteArray::fromStdString(dataHome.path().string()));
  application = new QApplication(applicationArgc, applicationArgv);
  QApplication::setQuitOnLastWindowClosed(false);
  InstallQtTranslations(*application);
}

bool RunUntil(const std::function<bool()>& condition) { return QTest::qWaitFor(condition, 120000); }

void Click(QWidget& widget) { QTest::mouseClick(&widget, Qt::LeftButton); }

void ClickRow(QWidget& chooser, int row) {
  auto& list = Child<QTreeWidget>(chooser, QStringLiteral("DriveList"));
  const QRect rect = list.visualItemRect(list.topLevelItem(row));
  QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
}

void PressKey(QWidget& widget, int key) { QTest::keyClick(&widget, static_cast<Qt::Key>(key)); }

QString BoxText(QWidget& box) {
  auto* messageBox = qobject_cast<QMessageBox*>(&box);
  return messageBox != nullptr ? messageBox->text() : QString();
}

int BoxIcon(QWidget& box) {
  auto* messageBox = qobject_cast<QMessageBox*>(&box);
  return messageBox != nullptr ? messageBox->icon() : -1;
}

void PressFirstButton(QWidget& box) {
  auto* messageBox = qobject_cast<QMessageBox*>(&box);
  if (messageBox == nullptr || messageBox->buttons().isEmpty()) throw std::runtime_error("not a message box");
  Click(*messageBox->buttons().first());
}

ModalScript::ModalScript() {
  QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
  timer_.start(PollIntervalMs);
}

ModalScript::~ModalScript() { timer_.stop(); }

ModalScript& ModalScript::Then(const QString& windowName, Action action) {
  steps_.push_back({windowName, std::move(action)});
  return *this;
}

// The action runs from a timer of its own: it may open a nested modal window, and this poller must
// keep running to answer that one too.
void ModalScript::Poll() {
  QWidget* modal = QApplication::activeModalWidget();
  if (pending_ || modal == nullptr || !modal->isVisible()) {
    idlePolls_ = 0;
    return;
  }
  if (!steps_.empty() && modal->objectName() == steps_.front().name) {
    Step step = std::move(steps_.front());
    steps_.pop_front();
    seen_ << step.name;
    pending_ = true;
    QPointer<QWidget> target(modal);
    QTimer::singleShot(0, [this, step = std::move(step), target] {
      pending_ = false;
      if (target) step.action(*target);
    });
    return;
  }
  if (++idlePolls_ < UnexpectedModalPolls) return;
  idlePolls_ = 0;
  seen_ << QStringLiteral("unexpected ") + modal->objectName();
  if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->done(QDialog::Rejected);
}

Watch::Watch(std::function<bool()> condition, std::function<void()> action) {
  QObject::connect(&timer_, &QTimer::timeout, [this, condition = std::move(condition), action = std::move(action)] {
    if (!condition()) return;
    timer_.stop();
    action();
  });
  timer_.start(0);
}

}  // namespace trelvane::testing
