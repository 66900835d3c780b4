#pragma once
// Driving the real windows in tests: the offscreen application, waiting while Qt handles events,
// finding components by object name, and answering modal windows as they come up.

#include <deque>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include "machine_json.h"
#include "backends/emulated/emulated_system.h"

namespace trelvane::testing {

// Creates the application once per test program, on the offscreen platform unless one is chosen.
void EnsureApplication();

// Handles events until `condition` holds. The limit only keeps a broken test from hanging; no test
// depends on how long anything takes.
bool RunUntil(const std::function<bool()>& condition);

template <typename T>
T& Child(QWidget& root, const QString& name) {
  T* found = root.findChild<T*>(name);
  if (found == nullptr) throw std::runtime_error("no component " + name.toStdString());
  return *found;
}

void Click(QWidget& widget);
void ClickRow(QWidget& chooser, int row);
void PressKey(QWidget& widget, int key);

// What a message box shows, and its first button pressed.
QString BoxText(QWidget& box);
int BoxIcon(QWidget& box);  // a QMessageBox::Icon
void PressFirstButton(QWidget& box);

// Answers modal windows in order: each step waits until a modal window with its object name is the
// active one, then runs its action on it. A modal window that no step expects is closed after a
// while and recorded, so that a broken test fails instead of hanging.
class ModalScript {
 public:
  using Action = std::function<void(QWidget&)>;
  ModalScript();
  ~ModalScript();
  ModalScript& Then(const QString& windowName, Action action);
  bool Finished() const { return steps_.empty() && !pending_; }
  // The names of the modal windows answered, then "unexpected <name>" for any closed unanswered.
  const QStringList& Seen() const { return seen_; }

 private:
  void Poll();
  struct Step {
    QString name;
    Action action;
  };
  std::deque<Step> steps_;
  QStringList seen_;
  QTimer timer_;
  bool pending_ = false;
  int idlePolls_ = 0;
};

// Runs `action` once, the first time `condition` holds while events are handled (also inside a
// zero fill's message handling).
class Watch {
 public:
  Watch(std::function<bool()> condition, std::function<void()> action);

 private:
  QTimer timer_;
};

}  // namespace trelvane::testing
