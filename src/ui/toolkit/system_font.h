#pragma once
// The window fonts and the list-view theme: what makes the windows look native on the desktop the
// program runs on. Nothing here keeps state; every call asks the system again.

#include <QFont>
#include <QStringList>

#include "os/system.h"

class QAbstractItemView;
class QWidget;

namespace trelvane {

// Gives `font` the desktop's general user-interface font (the counterpart of the icon-title font).
void SetSystemFont(QFont& font);

// On platform version 6 and later, and only when a font family named "Calibri" is installed, makes
// `font` Calibri two points larger. A font that is Calibri already keeps its size, so a second call
// changes nothing.
void SetCalibriFont(System& system, QFont& font);
// The same with the installed families given (the test seam for desktops without Calibri).
void SetCalibriFont(System& system, QFont& font, const QStringList& installedFamilies);

// What the windows do at creation: SetSystemFont, then SetCalibriFont, on the window's font; the
// components that follow their window's font follow it.
void SetWindowFont(System& system, QWidget& window);

// On platform version 6 and later, gives a list view the look of the desktop's file manager: rows
// light up under the pointer. The Qt styles draw whole-row selection themselves, so this is all the
// "explorer" theme amounts to here.
void SetExplorerTheme(System& system, QAbstractItemView& view);

// The memos' monospaced font at `pixelSize`: "Courier New" where it is installed, otherwise a
// fixed-pitch face, so the report tables keep their columns either way.
QFont MonospacedFont(int pixelSize);

// The design face of the windows, Tahoma, at a size in pixels or points; where Tahoma is not
// installed, a face of about its width.
QFont TahomaFont(int pixelSize);
QFont TahomaPointFont(int pointSize);

}  // namespace trelvane
