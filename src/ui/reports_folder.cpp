#include "ui/reports_folder.h"

#include <QString>
#include <QtGlobal>

namespace trelvane {

namespace {

struct FolderRule {
  const char* variable;
  const char* below;  // the program's folder below the one the variable names
};

// In order of preference: the first variable that is set decides.
constexpr FolderRule Rules[] = {
    {"XDG_DATA_HOME", "trelvane/reports"},
    {"LOCALAPPDATA", "Trelvane/reports"},
    {"HOME", ".local/share/trelvane/reports"},
};

}  // namespace

std::filesystem::path ReportsFolder() {
  for (const FolderRule& rule : Rules) {
    const QString base = qEnvironmentVariable(rule.variable);
    if (!base.isEmpty()) return std::filesystem::path(base.toStdU16String()) / rule.below;
  }
  return std::filesystem::path("trelvane-reports");
}

}  // namespace trelvane
