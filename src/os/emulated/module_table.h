#pragma once
// The machine's libraries for run-time binding. Every module exists with every entry, unless the
// machine file marks it absent or lists entries as missing; handles and entry addresses are made-up
// numbers that are never called.

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "os/emulated/emulated_system.h"
#include "os/emulated/machine.h"

namespace trelvane::emulated {

// The name under which LoadLibraryW finds a module: ASCII letters in lower case, ".dll" added when
// the name has no extension ("KERNEL32" and "kernel32.dll" are one module).
std::u16string ModuleKey(std::u16string_view name);

class ModuleTable {
 public:
  explicit ModuleTable(std::map<std::u16string, ModuleConfig> modules);

  // 0 and `error` 126 (module not found) for an absent module.
  ModuleHandle Load(const std::u16string& name, std::uint32_t& error);
  // 0 and `error` 127 (entry not found), or 6 for a handle that is not loaded.
  EntryAddress Lookup(ModuleHandle module, const std::string& entry, std::uint32_t& error);
  // false for a handle that is not loaded.
  bool Free(ModuleHandle module);
  ModuleUse Usage(const std::u16string& name) const;

 private:
  struct Module {
    std::u16string key;
    ModuleHandle handle = 0;
    ModuleUse use;
    std::map<std::string, EntryAddress> entries;  // addresses handed out so far
  };
  Module* Loaded(ModuleHandle handle);

  std::map<std::u16string, ModuleConfig> config_;
  std::map<std::u16string, Module> modules_;  // every module ever loaded, by key
};

}  // namespace trelvane::emulated
