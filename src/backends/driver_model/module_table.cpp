#include "backends/driver_model/module_table.h"

#include <algorithm>
#include <utility>

#include "os/win_constants.h"
#include "text/u16.h"

namespace trelvane {

namespace {

// Module handles are spaced apart like load addresses, far above the values below 32 that
// LoadLibraryW's callers take for failure.
constexpr ModuleHandle FirstModuleHandle = 0x10000000;
constexpr ModuleHandle ModuleSpacing = 0x100000;
constexpr EntryAddress FirstEntryOffset = 0x1000;
constexpr EntryAddress EntrySpacing = 16;

bool Lists(const std::vector<std::string>& names, const std::string& name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

}  // namespace

std::u16string ModuleKey(std::u16string_view name) {
  std::u16string key = AsciiLower(name);
  const std::size_t lastSeparator = key.find_last_of(u"\\/");
  const std::size_t fileStart = lastSeparator == std::u16string::npos ? 0 : lastSeparator + 1;
  if (key.find(u'.', fileStart) == std::u16string::npos) key += u".dll";
  return key;
}

ModuleTable::ModuleTable(ModuleCatalog catalog) : catalog_(std::move(catalog)) {}

const ModuleOffer* ModuleTable::OfferFor(const std::u16string& key) const {
  const auto offer = catalog_.modules.find(key);
  return offer == catalog_.modules.end() ? nullptr : &offer->second;
}

bool ModuleTable::HasEntry(const std::u16string& key, const std::string& entry) const {
  const ModuleOffer* offer = OfferFor(key);
  if (offer == nullptr) return true;
  if (offer->only && !Lists(*offer->only, entry)) return false;
  return !Lists(offer->missing, entry);
}

ModuleHandle ModuleTable::Load(const std::u16string& name, std::uint32_t& error) {
  const std::u16string key = ModuleKey(name);
  const ModuleOffer* offer = OfferFor(key);
  if (offer == nullptr ? !catalog_.othersPresent : offer->absent) {
    error = ErrorCode::ModuleNotFound;
    return 0;
  }
  auto [module, inserted] = modules_.try_emplace(key);
  if (inserted) {
    module->second.key = key;
    module->second.handle = FirstModuleHandle + ModuleSpacing * (modules_.size() - 1);
  }
  ++module->second.use.loads;
  ++module->second.use.references;
  error = ErrorCode::Success;
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
    error = ErrorCode::InvalidHandle;
    return 0;
  }
  ++module->use.lookups;
  if (!HasEntry(module->key, entry)) {
    error = ErrorCode::ProcNotFound;
    return 0;
  }
  auto [address, inserted] = module->entries.try_emplace(entry, 0);
  if (inserted) address->second = handle + FirstEntryOffset + EntrySpacing * (module->entries.size() - 1);
  error = ErrorCode::Success;
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

}  // namespace trelvane
