#include "ui/display_check.h"

#include <string_view>

namespace trelvane {

namespace {

// QT_QPA_PLATFORM names one platform or several separated by ';', each with optional ":options".
// Nothing named means Qt's default here, X11 or Wayland.
bool EveryPlatformNeedsADisplayServer(std::string_view platforms) {
  if (platforms.empty()) return true;
  while (!platforms.empty()) {
    const std::size_t end = platforms.find(';');
    std::string_view name = platforms.substr(0, end);
    name = name.substr(0, name.find(':'));
    if (name != "xcb" && !name.starts_with("wayland")) return false;
    platforms = end == std::string_view::npos ? std::string_view() : platforms.substr(end + 1);
  }
  return true;
}

}  // namespace

std::optional<std::u16string> MissingDisplayText(const std::function<std::string(const char*)>& environment) {
  if (!EveryPlatformNeedsADisplayServer(environment("QT_QPA_PLATFORM"))) return std::nullopt;
  if (!environment("DISPLAY").empty() || !environment("WAYLAND_DISPLAY").empty()) return std::nullopt;
  return u"Нет графического дисплея (не заданы DISPLAY и WAYLAND_DISPLAY): окна программы открыть негде. "
         u"Без дисплея работает trelvane-cli.";
}

}  // namespace trelvane
