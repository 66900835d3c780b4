// The windowed program's entry: one platform, one session, the application's message loop.

#include <exception>
#include <memory>
#include <string>

#include <QApplication>
#include <QString>

#include "ui/gui_session.h"
#include "backend/make_system.h"
#include "platform/qt/qt_message_boxes.h"
#include "text/u16.h"

namespace {

// An emulated machine file that cannot be used ends the program before any window exists.
int RefuseBackend(const char* message) {
  trelvane::QtMessageBoxes().ShowMessageBox(trelvane::FromUtf8(message), u"Ошибка", trelvane::MessageIcon::Error);
  return 3;
}

}  // namespace

int main(int argc, char** argv) {
  // Only the first argument is the program's; it is read before Qt takes out the options it knows.
  const std::u16string firstArgument = argc > 1 ? QString::fromLocal8Bit(argv[1]).toStdU16String() : u"";
  QApplication application(argc, argv);
  // The session decides when the program ends, and with which code.
  QApplication::setQuitOnLastWindowClosed(false);
  std::unique_ptr<trelvane::System> system;
  try {
    system = trelvane::MakeSystem(argc, argv);
  } catch (const std::exception& error) {
    return RefuseBackend(error.what());
  }
  trelvane::GuiSession session(*system, firstArgument);
  session.Show();
  const int loopCode = QApplication::exec();
  return session.Ended() ? session.ExitCode() : loopCode;
}
