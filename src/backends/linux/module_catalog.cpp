#include "backends/linux/module_catalog.h"

namespace trelvane::linux_platform {

ModuleCatalog LinuxModuleCatalog() {
  ModuleCatalog catalog;
  catalog.othersPresent = false;
  catalog.modules[u"setupapi.dll"] = ModuleOffer{};
  catalog.modules[u"comctl32.dll"] = ModuleOffer{false, {}, std::vector<std::string>{"TaskDialog"}};
  catalog.modules[u"kernel32.dll"] = ModuleOffer{false, {}, std::vector<std::string>{"IsWow64Process"}};
  return catalog;
}

}  // namespace trelvane::linux_platform
