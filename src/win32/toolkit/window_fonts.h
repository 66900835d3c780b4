#pragma once
// The windows' fonts and the list view's theme: what makes the windows look native on the desktop
// the program runs on. Nothing here keeps state; every call asks the system again.

#include <memory>
#include <string>
#include <type_traits>

#include <windows.h>

#include "os/system.h"

namespace trelvane {

// An owned GDI font; deleted with the object.
struct FontDeleter {
  void operator()(HFONT font) const { DeleteObject(font); }
};
using FontHandle = std::unique_ptr<std::remove_pointer_t<HFONT>, FontDeleter>;

FontHandle MakeFont(const LOGFONTW& description);

// The design face at a height in pixels, or in points on this screen.
LOGFONTW FaceOfPixels(const wchar_t* face, int pixelHeight, bool bold = false);
LOGFONTW FaceOfPoints(const wchar_t* face, int points);

// The memos' monospaced face: "Courier New", or where it is not installed a face with its metrics or
// any fixed-pitch face, so the report tables keep their columns either way.
LOGFONTW MonospacedFace(int pixelHeight);

// The system's stock user-interface font (DEFAULT_GUI_FONT).
void SetDefaultGuiFont(LOGFONTW& font);
// The icon-title font of the desktop; the stock font when it cannot be read.
void SetSystemFont(LOGFONTW& font);
// On platform version 6 and later, and only when "Calibri" is installed, switches `font` to Calibri
// two points larger. A font that is Calibri already keeps its size.
void SetCalibriFont(System& system, LOGFONTW& font);
bool IsFontInstalled(const std::wstring& face);
int PointsOf(const LOGFONTW& font);

// On platform version 6 and later gives a list view the desktop file manager's theme.
void SetExplorerTheme(System& system, HWND window);

// Gives `window` and every child that has no font of its own `font`.
void ApplyFont(HWND window, HFONT font);
// Gives `control` a font of its own, which ApplyFont then leaves alone.
void SetOwnFont(HWND control, HFONT font);

}  // namespace trelvane
