#include "ui/toolkit/qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace trelvane {

// "qtbase" holds the widgets' texts ("&Copy", "Select All", "&Yes"). The catalogue is looked up by a
// fixed Russian locale, not the desktop's: the rest of the window is Russian in every locale.
bool InstallQtTranslations(QCoreApplication& application) {
  auto* translator = new QTranslator(&application);
  const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
  if (!translator->load(QLocale(QLocale::Russian, QLocale::Russia), QStringLiteral("qtbase"), QStringLiteral("_"),
                        folder)) {
    delete translator;
    return false;
  }
  return QCoreApplication::installTranslator(translator);
}

}  // namespace trelvane
