#pragma once
// Qt's own texts in Russian: the memos' context menus, the standard buttons and the tooltips Qt draws
// itself. The program speaks Russian whatever the desktop's language is.

class QCoreApplication;

namespace trelvane {

// Installs Qt's Russian translations into `application`, from Qt's translations folder. False when
// they are missing (Qt then falls back to its English texts).
bool InstallQtTranslations(QCoreApplication& application);

}  // namespace trelvane
