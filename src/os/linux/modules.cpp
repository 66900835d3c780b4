#include "os/linux/modules.h"

#include <algorithm>
#include <array>
#include <vector>

#include "platform/setup_api.h"
#include "text/u16.h"

namespace trelvane::linux_platform {

namespace {

constexpr std::uint32_t ErrorModuleNotFound = 126;
constexpr std::uint32_t ErrorProcNotFound = 127;

// Module handles are above 31: the loader's results below 32 mean failure.
constexpr ModuleHandle SetupApiModule = 0x1000;
constexpr ModuleHandle CommonControlsModule = 0x2000;
constexpr ModuleHandle KernelModule = 0x3000;

struct KnownModule {
  const char16_t* name;  // lower case, with extension
  ModuleHandle handle;
};

constexpr std::array<KnownModule, 3> Modules{{
    {u"setupapi.dll", SetupApiModule},
    {u"comctl32.dll", CommonControlsModule},
    {u"kernel32.dll", KernelModule},
}};

const std::vector<std::string>& EntriesOf(ModuleHandle module) {
  static const std::vector<std::string> none;
  static const std::vector<std::string> commonControls{"TaskDialog"};
  static const std::vector<std::string> kernel{"IsWow64Process"};
  if (module == SetupApiModule) return SetupApiSlotNames();
  if (module == CommonControlsModule) return commonControls;
  if (module == KernelModule) return kernel;
  return none;
}

}  // namespace

ModuleHandle ModuleTable::Load(const std::u16string& name, std::uint32_t& error) const {
  std::u16string key = AsciiLower(Trim(name));
  if (key.find(u'.') == std::u16string::npos) key += u".dll";
  for (const KnownModule& module : Modules) {
    if (key == module.name) {
      error = 0;
      return module.handle;
    }
  }
  error = ErrorModuleNotFound;
  return 0;
}

EntryAddress ModuleTable::Find(ModuleHandle module, const std::string& entry, std::uint32_t& error) const {
  const std::vector<std::string>& entries = EntriesOf(module);
  const auto found = std::find(entries.begin(), entries.end(), entry);
  if (found == entries.end()) {
    error = ErrorProcNotFound;
    return 0;
  }
  error = 0;
  return module + 1 + static_cast<EntryAddress>(found - entries.begin());
}

}  // namespace trelvane::linux_platform
