#pragma once
// The libraries the program binds at run time, as this backend offers them. There are no such
// libraries on Linux; what the program looks them up for is done here or in the Qt front end, so
// each is present as a table of entry names. The addresses are tokens that are never called.
//   "SetupApi.dll"  every entry the start-up binds (setup_api.h)
//   "comctl32.dll"  "TaskDialog"
//   "kernel32"      "IsWow64Process"
// Module names are compared without letter case, and a name without an extension gets ".dll", as
// the platform's loader does. Any other module is missing (error 126).

#include <cstdint>
#include <string>

#include "os/system.h"

namespace trelvane::linux_platform {

class ModuleTable {
 public:
  // 0 with `error` 126 for an unknown module.
  ModuleHandle Load(const std::u16string& name, std::uint32_t& error) const;
  // 0 with `error` 127 for an unknown entry; entry names are case-sensitive.
  EntryAddress Find(ModuleHandle module, const std::string& entry, std::uint32_t& error) const;
};

}  // namespace trelvane::linux_platform
