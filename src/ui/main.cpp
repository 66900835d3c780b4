// The windowed program's entry: one platform, one session, the application's message loop.

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <string>

#include <QApplication>
#include <QIcon>
#include <QString>

#include "app/elevation.h"
#include "app/help_text.h"
#include "launch/console.h"
#include "launch/elevation_launcher.h"
#include "launch/make_system.h"
#include "ui/display_check.h"
#include "ui/gui_session.h"
#include "ui/toolkit/qt_message_boxes.h"
#include "ui/toolkit/qt_translations.h"
#include "text/u16.h"

namespace {

// An emulated machine file that cannot be used, or rights that were refused, end the program before
// any window exists.
int RefuseBackend(const std::u16string& message) {
  trelvane::QtMessageBoxes().ShowMessageBox(message, u"Ошибка", trelvane::MessageIcon::Error);
  return 3;
}

}  // namespace

int main(int argc, char** argv) {
#ifdef SIGUSR1
  // kill -USR1 asks a command-line wipe for its progress; the windows show progress already, and the
  // signal must not end a run in them.
  std::signal(SIGUSR1, SIG_IGN);
#endif
  // Only the first argument is the program's; it is read before Qt takes out the options it knows.
  const std::u16string firstArgument = argc > 1 ? QString::fromLocal8Bit(argv[1]).toStdU16String() : u"";
  if (const auto text = trelvane::InformationRequested(trelvane::ProgramKind::Windowed, firstArgument,
                                                         trelvane::HelpLanguageOfUser())) {
    std::fputs(trelvane::ToUtf8(*text).c_str(), stdout);
    return 0;
  }
  if (const auto missing = trelvane::MissingDisplayText([](const char* name) {
        const char* value = std::getenv(name);
        return std::string(value != nullptr ? value : "");
      })) {
    std::fprintf(stderr, "%s\n", trelvane::ToUtf8(*missing).c_str());
    return 3;
  }
  const trelvane::RelaunchOutcome relaunch = trelvane::RelaunchWithAdministratorRights(argc, argv);
  if (relaunch.kind == trelvane::RelaunchOutcome::Kind::Ended) return relaunch.exitCode;
  QApplication application(argc, argv);
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/trelvane-256.png")));
  trelvane::InstallQtTranslations(application);
  if (relaunch.kind == trelvane::RelaunchOutcome::Kind::Refused)
    return RefuseBackend(trelvane::AdministratorRightsNeededText);
  // The session decides when the program ends, and with which code.
  QApplication::setQuitOnLastWindowClosed(false);
  std::unique_ptr<trelvane::System> system;
  try {
    system = trelvane::MakeSystem(argc, argv);
  } catch (const std::exception& error) {
    return RefuseBackend(trelvane::FromUtf8(error.what()));
  }
  trelvane::GuiSession session(*system, firstArgument);
  session.Show();
  const int loopCode = QApplication::exec();
  return session.Ended() ? session.ExitCode() : loopCode;
}
