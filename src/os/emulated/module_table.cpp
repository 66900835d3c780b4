#include "os/emulated/module_table.h"

#include <algorithm>
#include <utility>

#include "text/u16.h"

namespace trelvane::emulated {

namespace {

constexpr std::uint32_t ErrorModuleNotFound = 126;
constexpr std::uint32_t ErrorProcNotFound = 127;
constexpr std::uint32_t ErrorInvalidHandle = 6;

// Module handles are spaced apart like load addresses, far above the values below 32 that
// LoadLibraryW's callers take for failure.
constexpr ModuleHandle FirstModuleHandle = 0x10000000;
constexpr ModuleHandle ModuleSpacing = 0x100000;

}  // namespace

std::u16string ModuleKey(std::u16string_view name) {
  std::u16string key = AsciiLower(name);
  const std::size_t lastSeparator = key.find_last_of(u"\\/");
  const std::size_t fileStart = lastSeparator == std::u16string::npos ? 0 : lastSeparator + 1;
  if (key.find(u'.', fileStart) == std::u16string::npos) key += u".dll";
  return key;
}

ModuleTable::ModuleTable(std::map<std::u16string, ModuleConfig> modules) : config_(std::move(modules)) {}

ModuleHandle ModuleTable::Load(const std::u16string& name, std::uint32_t& error) {
  const std::u16string key = ModuleKey(name);
  const auto config = config_.find(key);
  if (config != config_.end() && config->second.absent) {
    error = ErrorModuleNotFound;
    return 0;
  }
  auto [module, inserted] = modules_.try_emplace(key);
  if (inserted) {
    module->second.key = key;
    module->second.handle = FirstModuleHandle + ModuleSpacing * (modules_.size() - 1);
  }
  ++module->second.use.loads;
  ++module->second.use.references;
  error = 0;
  return module->second.handle;
}

ModuleTable::Module* ModuleTable::Loaded(ModuleHandle handle) {
  for (auto& [key, module] : modules_)
    if (module.handle == handle && module.use.references > 0) return &module;
  return nullptr;
}

EntryAddress ModuleTable::Lookup(ModuleHandle handle, const std::string& entry, std::uint32_t& error) {
  Module* module = Loaded(handle);
  if (module == nullptr) {
    error = ErrorInvalidHandle;
    return 0;
  }
  ++module->use.lookups;
  const auto config = config_.find(module->key);
  if (config != config_.end() && std::find(config->second.missing.begin(), config->second.missing.end(),
                                           entry) != config->second.missing.end()) {
    error = ErrorProcNotFound;
    return 0;
  }
  auto [address, inserted] = module->entries.try_emplace(entry, 0);
  if (inserted) address->second = handle + 0x1000 + 16 * (module->entries.size() - 1);
  error = 0;
  return address->second;
}

bool ModuleTable::Free(ModuleHandle handle) {
  Module* module = Loaded(handle);
  if (module == nullptr) return false;
  ++module->use.frees;
  --module->use.references;
  return true;
}

ModuleUse ModuleTable::Usage(const std::u16string& name) const {
  const auto module = modules_.find(ModuleKey(name));
  return module == modules_.end() ? ModuleUse{} : module->second.use;
}

}  // namespace trelvane::emulated
