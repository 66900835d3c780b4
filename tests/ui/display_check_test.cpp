// The windowed program without a display: one line and exit 3, unless Qt's platform needs none.

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "ui/display_check.h"

namespace trelvane {
namespace {

TEST(MissingDisplayText, OnlyWhenEveryPlatformNamedNeedsADisplayServerAndNoneIsSet) {
  using Environment = std::map<std::string, std::string>;
  const std::pair<Environment, bool> cases[] = {
      {{}, true},
      {{{"DISPLAY", ":0"}}, false},
      {{{"WAYLAND_DISPLAY", "wayland-0"}}, false},
      {{{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}}, true},
      {{{"QT_QPA_PLATFORM", "offscreen"}}, false},
      {{{"QT_QPA_PLATFORM", "xcb:nograb"}}, true},
      {{{"QT_QPA_PLATFORM", "wayland;xcb"}}, true},
      {{{"QT_QPA_PLATFORM", "wayland-egl;vnc:size=800x600"}}, false},
      {{{"QT_QPA_PLATFORM", "xcb"}, {"DISPLAY", ":1"}}, false},
  };
  for (const auto& [environment, missing] : cases) {
    const auto text = MissingDisplayText([&environment](const char* name) {
      const auto found = environment.find(name);
      return found != environment.end() ? found->second : std::string();
    });
    EXPECT_EQ(text.has_value(), missing) << testing::PrintToString(environment);
    if (text) {
      EXPECT_NE(text->find(u"trelvane-cli"), std::u16string::npos);
    }
  }
}

}  // namespace
}  // namespace trelvane
