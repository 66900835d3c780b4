#pragma once
// The libraries a backend offers for run-time binding, with the loader's rules: names compared
// without letter case, ".dll" implied, 126 for a missing module, 127 for a missing entry. Which
// modules and entries exist is the backend's configuration; handles and entry addresses are made-up
// numbers that are never called.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "os/system.h"

namespace trelvane {

// The name under which LoadLibraryW finds a module: ASCII letters in lower case, ".dll" added when
// the name has no extension ("KERNEL32" and "kernel32.dll" are one module).
std::u16string ModuleKey(std::u16string_view name);

// One module as a backend offers it.
struct ModuleOffer {
  bool absent = false;
  std::vector<std::string> missing;                // entries that fail; letter case significant
  std::optional<std::vector<std::string>> only;    // when set, the only entries the module has
};

// The modules by ModuleKey(), and whether a module the map does not name is present with every entry.
struct ModuleCatalog {
  std::map<std::u16string, ModuleOffer> modules;
  bool othersPresent = true;
};

// How the program has used one module (LoadLibraryW and friends are not request-log calls, so tests
// ask here).
struct ModuleUse {
  int loads = 0;       // successful LoadLibraryW calls
  int frees = 0;       // FreeLibrary calls on a loaded handle
  int lookups = 0;     // GetProcAddress calls, found or not
  int references = 0;  // loads not yet freed
};

class ModuleTable {
 public:
  explicit ModuleTable(ModuleCatalog catalog);

  // 0 and `error` 126 for an absent module; `error` 0 on success.
  ModuleHandle Load(const std::u16string& name, std::uint32_t& error);
  // 0 and `error` 127 for a missing entry, or 6 for a handle that is not loaded; `error` 0 on success.
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
  const ModuleOffer* OfferFor(const std::u16string& key) const;
  bool HasEntry(const std::u16string& key, const std::string& entry) const;

  ModuleCatalog catalog_;
  std::map<std::u16string, Module> modules_;  // every module ever loaded, by key
};

}  // namespace trelvane
