// The machine's system services: clock, modules, logical drive strings, message texts, version.

#include <gtest/gtest.h>

#include "machine_fixture.h"
#include "backends/driver_model/system_messages.h"
#include "os/win_constants.h"

namespace trelvane::testing {
namespace {

std::string Text(const SystemTime& t) {
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03d", t.year, t.month, t.day, t.hour, t.minute,
                t.second, t.milliseconds);
  return text;
}

TEST(Clock, SteppedClockAdvancesByTheStepOnEveryReading) {
  Machine machine(R"({"system": {"clock": "2026-12-31T23:59:59.900", "clock_step_ms": 250}})");
  EXPECT_EQ(Text(machine->GetLocalTime()), "2026-12-31T23:59:59.900");
  EXPECT_EQ(Text(machine->GetLocalTime()), "2027-01-01T00:00:00.150");
  EXPECT_EQ(Text(machine->GetLocalTime()), "2027-01-01T00:00:00.400");
}

TEST(Clock, FrozenClockMovesOnlyWhenTheProgramSleeps) {
  Machine machine(R"({"system": {"clock": "2028-02-28T23:59:59.5", "clock_step_ms": 0}})");
  EXPECT_EQ(Text(machine->GetLocalTime()), "2028-02-28T23:59:59.500");
  EXPECT_EQ(Text(machine->GetLocalTime()), "2028-02-28T23:59:59.500");
  machine->Sleep(3600 * 1000);  // an hour, without waiting for it
  EXPECT_EQ(Text(machine->GetLocalTime()), "2028-02-29T00:59:59.500");
}

TEST(Clock, StartWithoutStepFollowsRealTimeFromTheStart) {
  Machine machine(R"({"system": {"clock": "2026-12-07T10:15:30"}})");
  machine->Sleep(2000);
  const SystemTime now = machine->GetLocalTime();
  EXPECT_EQ(Text(now).substr(0, 11), "2026-12-07T");
  EXPECT_GE(Text(now), "2026-12-07T10:15:32.000");
}

TEST(Modules, EveryModuleExistsUnlessTheFileSaysOtherwise) {
  Machine machine(R"({"system": {"modules": {"SetupApi.dll": {"missing": ["SetupDiGetWizardPage"]},
                                             "comctl32.dll": {"absent": true}}}})");
  const ModuleHandle setupApi = machine->LoadLibraryW(u"SetupApi.dll");
  EXPECT_GE(setupApi, 32u);
  EXPECT_EQ(machine->LoadLibraryW(u"SETUPAPI"), setupApi) << "letter case ignored, .dll implied";
  const EntryAddress first = machine->GetProcAddress(setupApi, "SetupGetInfInformationA");
  EXPECT_NE(first, 0u);
  EXPECT_EQ(machine->GetProcAddress(setupApi, "SetupGetInfInformationA"), first);
  EXPECT_NE(machine->GetProcAddress(setupApi, "SetupGetInfInformationW"), first);
  EXPECT_EQ(machine->GetProcAddress(setupApi, "SetupDiGetWizardPage"), 0u);
  EXPECT_EQ(machine->GetLastError(), 127u);

  EXPECT_EQ(machine->LoadLibraryW(u"comctl32.dll"), 0u);
  EXPECT_EQ(machine->GetLastError(), 126u);
  EXPECT_NE(machine->LoadLibraryW(u"kernel32"), 0u);

  machine->FreeLibrary(setupApi);
  EXPECT_NE(machine->GetProcAddress(setupApi, "SetupOpenLog"), 0u) << "one reference is left";
  machine->FreeLibrary(setupApi);
  EXPECT_EQ(machine->GetProcAddress(setupApi, "SetupOpenLog"), 0u) << "freed";
  const ModuleUse use = machine->ModuleUsage(u"setupapi.dll");
  EXPECT_EQ(use.loads, 2);
  EXPECT_EQ(use.frees, 2);
  EXPECT_EQ(use.lookups, 5);
  EXPECT_EQ(use.references, 0);
}

TEST(LogicalDriveStrings, RootsInOrderThenAnEmptyString) {
  Machine machine(R"({"volumes": [{"root": "C:\\"}, {"root": "sdb1\\"}, {"root": "E:"}]})");
  std::u16string buffer(1024, u'x');
  EXPECT_EQ(machine->GetLogicalDriveStringsW(buffer), 13u);
  EXPECT_EQ(buffer.substr(0, 15), std::u16string(u"C:\\\0sdb1\\\0E:\0\0x", 15));
  std::u16string small(13, u'x');
  EXPECT_EQ(machine->GetLogicalDriveStringsW(small), 14u) << "the size it needs";
  EXPECT_EQ(small, std::u16string(13, u'x')) << "nothing written";
}

TEST(LogicalDriveStrings, ForcedLengthIsReported) {
  Machine machine(R"({"system": {"drive_strings_length": 1024}, "volumes": [{}, {}]})");
  std::u16string buffer(1024, u'x');
  EXPECT_EQ(machine->GetLogicalDriveStringsW(buffer), 1024u);
  EXPECT_EQ(buffer.substr(0, 9), std::u16string(u"C:\\\0D:\\\0\0", 9)) << "volume roots default to C:, D:";
}

TEST(SystemAnswers, ComeFromTheSystemSection) {
  Machine machine(R"({"system": {"platform_id": 1, "version": [5, 1, 2600], "service_pack": "Service Pack 3",
      "process_bits": 32, "wow64": "missing", "program_path": "D:\\t.exe", "short_date_format": "M/d/yyyy",
      "long_time_format": "h:mm:ss tt", "decimal_separator": ".", "ansi_code_page": 1252,
      "error_texts": {"21": "Нет.  "}}})");
  const OsVersion version = machine->GetVersionExW();
  EXPECT_EQ(version.platformId, 1u);
  EXPECT_EQ(version.major, 5u);
  EXPECT_EQ(version.minor, 1u);
  EXPECT_EQ(version.build, 2600u);
  EXPECT_EQ(version.servicePack, u"Service Pack 3");
  EXPECT_EQ(machine->ProcessBits(), 32);
  EXPECT_EQ(machine->IsWow64Process(), Wow64Answer::EntryMissing);
  EXPECT_EQ(machine->GetModuleFileNameW(), u"D:\\t.exe");
  EXPECT_EQ(machine->GetRegionalSettings().shortDateFormat, u"M/d/yyyy");
  EXPECT_EQ(machine->GetRegionalSettings().longTimeFormat, u"h:mm:ss tt");
  EXPECT_EQ(machine->GetRegionalSettings().decimalSeparator, u'.');
  EXPECT_EQ(machine->GetACP(), 1252u);
  EXPECT_EQ(machine->FormatMessageW(21), u"Нет.  ") << "given texts are kept as they are";
  EXPECT_EQ(machine->FormatMessageW(5), BuiltInSystemMessage(5));
  EXPECT_EQ(Machine(R"({"system": {"wow64": "fails"}})")->IsWow64Process(), Wow64Answer::CallFailed);
  EXPECT_EQ(Machine(R"({"system": {"wow64": "true"}})")->IsWow64Process(), Wow64Answer::Yes);
}

}  // namespace
}  // namespace trelvane::testing
