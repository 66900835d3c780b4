#include <gtest/gtest.h>

#include <algorithm>

#include "backends/emulated/emulated_system.h"
#include "shell/setup_api.h"
#include "test_support.h"

namespace trelvane {
namespace {

TEST(LoadSetupApi, BindsEveryEntryAndASecondLoadOnlyCounts) {
  auto system = EmulatedMachineFromJson("{}", ".");
  SetupApiBinding binding;
  ASSERT_TRUE(LoadSetupApi(*system, binding));
  EXPECT_TRUE(IsSetupApiLoaded(binding));
  EXPECT_TRUE(std::all_of(binding.SetupApiEntries.begin(), binding.SetupApiEntries.end(),
                          [](EntryAddress entry) { return entry != 0; }));
  binding.SetupApiEntries[7] = 0;  // a second load must not look anything up again
  EXPECT_TRUE(LoadSetupApi(*system, binding));
  EXPECT_EQ(binding.ReferenceCount, 2);
  EXPECT_EQ(binding.SetupApiEntries[7], 0u);
  UnloadSetupApi(*system, binding);
  EXPECT_TRUE(IsSetupApiLoaded(binding));
  UnloadSetupApi(*system, binding);
  EXPECT_FALSE(IsSetupApiLoaded(binding));
}

TEST(LoadSetupApi, OneMissingEntryClearsEverySlotAndFreesTheLibrary) {
  auto system = EmulatedMachineFromJson(
      R"({"system": {"modules": {"SetupApi.dll": {"missing": ["SetupDiGetWizardPage"]}}}})", ".");
  SetupApiBinding binding;
  EXPECT_FALSE(LoadSetupApi(*system, binding));
  EXPECT_FALSE(IsSetupApiLoaded(binding));
  EXPECT_EQ(binding.ReferenceCount, 0);
  EXPECT_TRUE(std::all_of(binding.SetupApiEntries.begin(), binding.SetupApiEntries.end(),
                          [](EntryAddress entry) { return entry == 0; }));
}

TEST(LoadSetupApi, AnAbsentLibraryKeepsTheCountRaised) {
  auto system = EmulatedMachineFromJson(R"({"system": {"modules": {"setupapi.dll": {"absent": true}}}})", ".");
  SetupApiBinding binding;
  EXPECT_FALSE(LoadSetupApi(*system, binding));
  EXPECT_FALSE(IsSetupApiLoaded(binding));
  EXPECT_EQ(binding.ReferenceCount, 1);
}

}  // namespace
}  // namespace trelvane
