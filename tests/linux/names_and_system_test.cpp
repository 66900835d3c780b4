// Device names, the drive list variable, modules, shell commands and system information.

#include <gtest/gtest.h>
#include <sys/sysmacros.h>

#include <map>

#include "backends/linux/device_path.h"
#include "backends/linux/drive_list.h"
#include "backends/linux/host_facts.h"
#include "backends/linux/module_catalog.h"
#include "backends/linux/shell_open.h"
#include "backends/linux/system_info.h"
#include "text/u16.h"

namespace trelvane::linux_platform {
namespace {

// The report's user is the login record's; the unset value and anything else fall back to the real UID.
TEST(ParseLoginUid, NumbersBelowTheUnsetValueOnly) {
  EXPECT_EQ(ParseLoginUid("1000"), 1000u);
  EXPECT_EQ(ParseLoginUid("0\n"), 0u);
  EXPECT_EQ(ParseLoginUid("4294967294"), 4294967294u);
  for (const char* text : {"4294967295", "4294967296", "", "-1", "1000x", " 1000", "99999999999"})
    EXPECT_FALSE(ParseLoginUid(text)) << text;
}

// Physical drives in any case; volumes are kernel names under /dev ("!" for "/"); anything else,
// including names that would leave /dev, is no device.
TEST(ParseDevicePath, PhysicalDrivesAndVolumes) {
  using K = DevicePath::Kind;
  using Parsed = std::optional<std::tuple<DevicePath::Kind, std::uint32_t, std::string>>;
  const std::pair<const char16_t*, Parsed> cases[] = {
      {u"\\\\.\\PhysicalDrive12", {{K::PhysicalDrive, 12, ""}}},
      {u"\\\\.\\PHYSICALDRIVE0", {{K::PhysicalDrive, 0, ""}}},
      {u"\\\\.\\sdb1", {{K::Volume, 0, "/dev/sdb1"}}},
      {u"\\\\.\\loop3p1", {{K::Volume, 0, "/dev/loop3p1"}}},
      {u"\\\\.\\cciss!c0d0p1", {{K::Volume, 0, "/dev/cciss/c0d0p1"}}},
      {u"\\\\.\\PhysicalDrive", std::nullopt},
      {u"\\\\.\\PhysicalDrive-1", std::nullopt},
      {u"\\\\.\\PhysicalDrive1x", std::nullopt},
      {u"\\\\.\\C:", std::nullopt},
      {u"\\\\.\\..!..!etc!passwd", std::nullopt},
      {u"\\\\.\\a/b", std::nullopt},
      {u"\\\\.\\", std::nullopt},
      {u"C:\\sdb1", std::nullopt},
  };
  for (const auto& [path, parsed] : cases) {
    const auto d = ParseDevicePath(path);
    const Parsed got = d ? Parsed(std::tuple(d->kind, d->driveNumber, d->nodePath)) : std::nullopt;
    EXPECT_EQ(got, parsed) << ToUtf8(path);
  }
}

TEST(ParseDriveVariable, CommaSeparatedPaths) {
  EXPECT_EQ(ParseDriveVariable("/dev/loop3,/dev/loop4"), (std::vector<std::string>{"/dev/loop3", "/dev/loop4"}));
  EXPECT_EQ(ParseDriveVariable(" /dev/loop3 ,, /dev/sdb,"), (std::vector<std::string>{"/dev/loop3", "/dev/sdb"}));
  EXPECT_TRUE(ParseDriveVariable("").empty());
}

TEST(ChooseDrives, OnlyWholeDisksEachOnceTheRestLeftOutWithAWarning) {
  const std::map<std::string, NodeFacts> nodes{
      {"/dev/loop3", {true, makedev(7, 3), false}},   {"/dev/loop3p1", {true, makedev(259, 0), true}},
      {"/dev/alias", {true, makedev(7, 3), false}},   {"/tmp/file", {false, 0, false}},
      {"/dev/loop4", {true, makedev(7, 4), false}}};
  const DriveChoice choice = ChooseDrives({"/dev/loop3", "/dev/loop3p1", "/dev/alias", "/tmp/file", "/dev/loop4"},
                                          [&](const std::string& path) { return nodes.at(path); });
  ASSERT_EQ(choice.entries.size(), 2u);
  EXPECT_EQ(choice.entries[1].nodePath, "/dev/loop4");
  EXPECT_EQ(choice.warnings, (std::vector<std::string>{
                                 "TRELVANE_DRIVES: /dev/loop3p1 пропущен: это раздел, а не весь диск",
                                 "TRELVANE_DRIVES: /dev/alias пропущен: это то же устройство, что и /dev/loop3",
                                 "TRELVANE_DRIVES: /tmp/file пропущен: это не блочное устройство"}));
}

TEST(DriveList, NumbersFollowTheListAndLeaveNoGaps) {
  const DriveList drives({{"/dev/loop3", makedev(7, 3)}, {"/dev/missing", std::nullopt}, {"/dev/loop4", makedev(7, 4)}});
  EXPECT_EQ(drives.Find(1)->nodePath, "/dev/missing");
  EXPECT_EQ(drives.Find(3), nullptr);
  EXPECT_EQ(drives.NumberOf(makedev(7, 4)), 2u);
  EXPECT_FALSE(drives.NumberOf(makedev(254, 0)));
}

TEST(IsDriveName, VirtualAndOpticalDevicesAreNotDrives) {
  for (const char* name : {"sda", "vda", "nvme0n1", "mmcblk0", "hda"}) EXPECT_TRUE(IsDriveName(name)) << name;
  for (const char* name : {"loop0", "zram0", "ram1", "dm-0", "md127", "sr0", "fd0", "nbd0", ""})
    EXPECT_FALSE(IsDriveName(name)) << name;
}

// Only the three modules the program binds are present, comctl32 and kernel32 with the one entry each
// the program asks for.
TEST(ModuleTable, SetupLibraryWithEveryEntryTaskDialogAndKernel) {
  struct Case {
    const char16_t* module;
    const char* entry;
    std::uint32_t error;
  };
  const Case cases[] = {{u"SETUPAPI.DLL", "SetupDiGetClassDevsW", 0},   {u"comctl32.dll", "TaskDialog", 0},
                        {u"kernel32", "IsWow64Process", 0},             {u"kernel32.dll", "GetNativeSystemInfo", 127},
                        {u"comctl32.dll", "TaskDialogIndirect", 127}, {u"uxtheme.dll", "", 126}};
  ModuleTable modules(LinuxModuleCatalog());
  for (const Case& c : cases) {
    std::uint32_t error = 0;
    const ModuleHandle module = modules.Load(c.module, error);
    if (module != 0) modules.Lookup(module, c.entry, error);
    EXPECT_EQ(error, c.error) << c.entry;
  }
}

TEST(ShellCommand, AddressesGoToXdgOpenAndDiskManagementToTheDiskUtility) {
  std::map<std::string, std::string> installed{{"xdg-open", "/usr/bin/xdg-open"},
                                               {"partitionmanager", "/usr/bin/partitionmanager"}};
  const ProgramFinder find = [&](std::string_view name) -> std::optional<std::string> {
    const auto found = installed.find(std::string(name));
    if (found == installed.end()) return std::nullopt;
    return found->second;
  };
  EXPECT_EQ(ShellCommand(u"open", u"https://example.org/a b", find),
            (std::vector<std::string>{"/usr/bin/xdg-open", "https://example.org/a b"}));
  EXPECT_EQ(ShellCommand(u"open", u"diskmgmt.msc", find), (std::vector<std::string>{"/usr/bin/partitionmanager"}));
  installed["gnome-disks"] = "/usr/bin/gnome-disks";
  EXPECT_EQ(ShellCommand(u"OPEN", u"DiskMgmt.msc", find), (std::vector<std::string>{"/usr/bin/gnome-disks"}));
  EXPECT_FALSE(ShellCommand(u"print", u"https://example.org", find));
  installed.clear();
  EXPECT_FALSE(ShellCommand(u"open", u"https://example.org", find));
  EXPECT_FALSE(ShellCommand(u"open", u"diskmgmt.msc", find));
}

TEST(VersionFromKernelRelease, MajorMinorPatchAsMajorMinorBuild) {
  using Version = std::tuple<std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t, std::u16string>;
  for (const auto& [release, expected] : {std::pair<const char*, Version>{"6.18.44-fc-v1272", {2, 6, 18, 44, u""}},
                                          std::pair<const char*, Version>{"6.1-rc3", {2, 6, 1, 0, u""}}}) {
    const OsVersion v = VersionFromKernelRelease(release);
    EXPECT_EQ(Version(v.platformId, v.major, v.minor, v.build, v.servicePack), expected) << release;
  }
}

TEST(PlatformPathSyntax, SlashesBecomeBackslashes) {
  EXPECT_EQ(PlatformPathSyntax("/opt/Трельвейн/trelvane"), u"\\opt\\Трельвейн\\trelvane");
}

}  // namespace
}  // namespace trelvane::linux_platform

