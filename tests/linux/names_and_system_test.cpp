// Device names, the drive list variable, modules, shell commands and system information.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sys/sysmacros.h>

#include "backends/linux/device_path.h"
#include "backends/linux/drive_list.h"
#include "backends/linux/host_facts.h"
#include "backends/linux/module_catalog.h"
#include "backends/linux/shell_open.h"
#include "backends/linux/system_info.h"
#include "test_support.h"
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

// A /sys/block folder as the kernel lays it out, each entry judged by its attributes and the device
// behind it, whatever its name.
TEST(ListSysBlockDrives, JudgesEachEntryByWhatSysfsSaysOfIt) {
  const trelvane::testing::TempDir dir;
  const std::filesystem::path block = dir.path() / "block", devices = dir.path() / "devices";
  struct Entry { const char* name; const char* device; std::map<std::string, std::string> attributes; const char* why; };
  const Entry entries[] = {
      {"sda", "ata1/0:0:0:0", {{"device/type", "0"}, {"size", "1000"}}, nullptr},
      {"sdb", "usb1/6:0:0:0", {{"device/type", "0"}, {"removable", "1"}, {"size", "0"}}, "no medium"},
      {"sdc", "usb2/7:0:0:0", {{"device/type", "14"}, {"removable", "1"}, {"size", "30000"}}, nullptr},
      {"sdd", "ata2/1:0:0:0", {{"device/type", "0"}, {"ro", "1"}}, "read-only"},
      {"sr0", "ata3/2:0:0:0", {{"device/type", "5"}}, "SCSI device type 5"},
      {"loop0", nullptr, {{"size", "2048"}}, "no device behind it"},
      {"zram0", nullptr, {}, "no device behind it"},
      {"mmcblk0", "mmc0/mmc0:0001", {{"device/type", "MMC"}}, nullptr},
      {"mmcblk0boot0", "mmc0/mmc0:0001", {{"force_ro", "1"}, {"ro", "1"}}, "boot area"},
      {"mmcblk0boot1", "mmc0/mmc0:0001", {{"force_ro", "0"}, {"ro", "0"}}, "boot area"},
      {"mmcblk0rpmb", "mmc0/mmc0:0001", {}, nullptr},  // left out as an area of mmcblk0
      {"nvme0n1", "nvme/nvme0", {}, nullptr},
      {"nvme0n10", "nvme/nvme0", {}, nullptr},  // a namespace of its own, not an area of nvme0n1
      {"cciss!c0d0", "cciss0/c0d0", {{"device/type", "0"}}, nullptr},
  };
  for (const Entry& entry : entries) {
    const std::filesystem::path folder = block / entry.name;
    std::filesystem::create_directories(folder);
    if (entry.device != nullptr) {
      std::filesystem::create_directories(devices / entry.device);
      std::filesystem::create_directory_symlink(devices / entry.device, folder / "device");
    }
    for (const auto& [attribute, value] : entry.attributes) std::ofstream(folder / attribute) << value << "\n";
  }
  for (const Entry& entry : entries) {
    const std::optional<std::string> why = WhyNotADrive(block.string(), entry.name);
    EXPECT_EQ(why.has_value(), entry.why != nullptr) << entry.name << ": " << why.value_or("a drive");
    if (why && entry.why != nullptr) {
      EXPECT_NE(why->find(entry.why), std::string::npos) << *why;
    }
  }
  std::vector<std::string> nodes;
  for (const DriveEntry& drive : ListSysBlockDrives(block.string())) nodes.push_back(drive.nodePath);
  EXPECT_EQ(nodes, (std::vector<std::string>{"/dev/cciss/c0d0", "/dev/mmcblk0", "/dev/nvme0n1", "/dev/nvme0n10",
                                             "/dev/sda", "/dev/sdc"}));
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

