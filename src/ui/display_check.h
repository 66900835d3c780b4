#pragma once
// Whether the windowed program has a display to open its windows on. Qt's X11 and Wayland platforms
// abort the process when they find none ("could not connect to display", exit 134, with advice to
// reinstall); the program says why in one line and ends with 3 instead. Platforms that need no display
// server (offscreen, vnc, eglfs, linuxfb) are left to Qt.

#include <functional>
#include <optional>
#include <string>

namespace trelvane {

// `environment` reads a variable of the process environment; empty when it is not set.
// The message when the platform Qt would use needs a display server and none is named.
std::optional<std::u16string> MissingDisplayText(const std::function<std::string(const char*)>& environment);

}  // namespace trelvane
