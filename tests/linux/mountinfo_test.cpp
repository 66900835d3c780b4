// mountinfo and swaps lines, the order of unmounts and of the logical drive strings, how mounts are
// put back, and which disk identifiers name one storage.

#include "backends/linux/mountinfo.h"

#include <gtest/gtest.h>
#include <sys/sysmacros.h>

#include <tuple>

#include "backends/linux/logical_drives.h"
#include "backends/linux/remount.h"
#include "backends/linux/storage_names.h"
#include "backends/linux/volume_lock.h"

namespace trelvane::linux_platform {
namespace {

// The fields around the separator (with or without optional fields, a btrfs anonymous device);
// broken lines are refused, and a file's broken line is skipped.
TEST(ParseMountInfoLine, FieldsAroundTheSeparatorAndBrokenLines) {
  using Fields = std::tuple<std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t, std::string, std::string,
                            std::string>;  // IDs, major:minor, mount point, type, source
  const std::pair<const char*, std::optional<Fields>> cases[] = {
      {"36 35 98:0 /mnt1 /mnt/my\\040disk rw,noatime master:1 shared:7 - ext3 /dev/root rw,errors=continue",
       Fields{36, 35, 98, 0, "/mnt/my disk", "ext3", "/dev/root"}},
      {"120 27 0:45 / /data rw,relatime - btrfs /dev/sdb1 rw,space_cache=v2",
       Fields{120, 27, 0, 45, "/data", "btrfs", "/dev/sdb1"}},
      {"", std::nullopt},
      {"36 35 98:0 / /mnt rw", std::nullopt},
      {"36 35 98:0 / /mnt rw master:1 ext3 /dev/root rw", std::nullopt},
      {"x 35 98:0 / /mnt rw - ext3 /dev/root rw", std::nullopt},
  };
  for (const auto& [line, fields] : cases) {
    const auto e = ParseMountInfoLine(line);
    EXPECT_EQ(e ? std::optional(Fields{e->mountId, e->parentId, e->major, e->minor, e->mountPoint, e->fsType, e->source})
                : std::nullopt,
              fields)
        << line;
  }
  EXPECT_EQ(ParseMountInfo("22 1 0:21 / /proc rw - proc proc rw\nbroken\n27 1 254:0 / / rw - ext4 /dev/vda rw\n").size(),
            2u);
}

// Octal escapes only; swaps' first column after the header; a path's components.
TEST(UnescapeMountField, OctalEscapesSwapsAndPathDepth) {
  EXPECT_EQ(UnescapeMountField("a\\011b\\134c\\012"), "a\tb\\c\n");
  EXPECT_EQ(UnescapeMountField("a\\9b\\04"), "a\\9b\\04");
  const auto names = ParseSwaps(
      "Filename\t\t\t\tType\t\tSize\t\tUsed\t\tPriority\n/dev/zram0 partition 1000 0 100\n/swap\\040file file 10 0 -2\n");
  EXPECT_EQ(names, (std::vector<std::string>{"/dev/zram0", "/swap file"}));
  const std::pair<const char*, std::size_t> depths[] = {{"/", 0}, {"/mnt", 1}, {"/mnt//a b/", 2}};
  for (const auto& [path, depth] : depths) EXPECT_EQ(PathDepth(path), depth) << path;
}

ResolvedMount Mount(std::uint32_t id, std::uint32_t parent, std::string point, std::optional<dev_t> device) {
  MountEntry entry;
  entry.mountId = id;
  entry.parentId = parent;
  entry.mountPoint = std::move(point);
  return {entry, device};
}

const dev_t Sdb1 = makedev(8, 17);
const dev_t Sdb2 = makedev(8, 18);

// The deepest mount of the device first, until none is left; a mount of another device on top is
// never unmounted by path; of two mounts of the device stacked on one place the upper one goes first.
TEST(ChooseNextUnmount, DeepestMountOfTheDeviceFirst) {
  const std::vector<ResolvedMount> mounts{Mount(1, 0, "/", makedev(254, 0)), Mount(2, 1, "/mnt/a", Sdb1),
                                          Mount(3, 2, "/mnt/a/b/c", Sdb1), Mount(4, 1, "/srv", Sdb2)};
  const std::tuple<std::vector<ResolvedMount>, UnmountStep, std::string> cases[] = {
      {mounts, UnmountStep::Unmount, "/mnt/a/b/c"},
      {{mounts[0], mounts[3]}, UnmountStep::Done, ""},
      {{Mount(2, 1, "/mnt", Sdb1), Mount(5, 2, "/mnt", std::nullopt)}, UnmountStep::Covered, ""},
      {{Mount(2, 1, "/mnt", Sdb1), Mount(6, 2, "/mnt", Sdb1)}, UnmountStep::Unmount, "/mnt"},
  };
  for (const auto& [list, step, point] : cases) {
    const UnmountChoice choice = ChooseNextUnmount(list, Sdb1);
    EXPECT_EQ(choice.step, step) << point;
    if (step == UnmountStep::Unmount) { EXPECT_EQ(choice.mountPoint, point); }
  }
}

TEST(OrderForLocking, NestedVolumesBeforeTheirParentsThenByName) {
  std::vector<InUseVolume> volumes{{Sdb1, "sdb1", 2}, {Sdb2, "sdb2", 3}, {makedev(8, 33), "sdc1", 0},
                                   {makedev(8, 19), "sdb3", 0}};
  OrderForLocking(volumes);
  std::vector<std::string> names;
  for (const InUseVolume& volume : volumes) names.push_back(volume.name);
  EXPECT_EQ(names, (std::vector<std::string>{"sdb2", "sdb1", "sdb3", "sdc1"}));
}

// A mount entry from its fields in mountinfo's order (root, mount point, own options, type, source,
// file-system options), and mount(8)'s user-space options.
MountEntry Entry(std::string root, std::string point, std::string own = {}, std::string type = {},
                 std::string super = {}, std::string user = {}) {
  return {0, 0, 0, 0, std::move(root), std::move(point), std::move(own), std::move(type), {}, std::move(super), std::move(user)};
}

TEST(MountAgain, OptionsAndTypeAsMountWouldGiveThem) {
  const MountEntry udisks = Entry("/", "/media/u", "rw,nosuid,relatime", "vfat", "rw,fmask=0022,errors=remount-ro", "uhelper=udisks2");
  EXPECT_EQ(MountOptionsFor(udisks), "rw,nosuid,relatime,fmask=0022,errors=remount-ro,uhelper=udisks2");
  EXPECT_EQ(MountTypeFor(udisks), "vfat");
  // ntfs-3g's connection options are not its file system's: the helper, found from the probed type, makes them.
  const MountEntry fuse = Entry("/", "/mnt/win", "ro,nodev", "fuseblk", "rw,user_id=0,allow_other");
  EXPECT_EQ(MountOptionsFor(fuse), "ro,nodev");
  EXPECT_EQ(MountTypeFor(fuse), std::nullopt);
}

TEST(MountAgain, FolderOfABindMountSeenThroughAnotherMount) {
  const MountEntry whole = Entry("/", "/mnt/a"), sub = Entry("/sub", "/b");
  const std::vector<std::tuple<MountEntry, const char*, std::optional<std::string>>> cases{
      {whole, "/sub/x", "/mnt/a/sub/x"}, {whole, "/", "/mnt/a"},        {sub, "/sub/x", "/b/x"},
      {sub, "/sub", "/b"},               {sub, "/subway", std::nullopt}, {sub, "/", std::nullopt}};
  for (const auto& [from, root, path] : cases) EXPECT_EQ(PathInside(from, root), path) << from.root << " " << root;
}

TEST(WorldWideName, OnlyNonZeroWorldWideDesignatorsNameAStorage) {
  const std::vector<std::pair<const char*, std::optional<std::string>>> cases{
      {"naa.5000C500A1B2C3D4\n", "naa.5000c500a1b2c3d4"},
      {"eui.0025388b71b12345", "eui.0025388b71b12345"},
      {"uuid.8f3e1c2a-0b6d-4c1e-9a7b-2d5f6e7a8b9c", "uuid.8f3e1c2a-0b6d-4c1e-9a7b-2d5f6e7a8b9c"},
      {"naa.0000000000000000", std::nullopt},
      {"eui.00000000-0000", std::nullopt},
      {"t10.ATA     QEMU HARDDISK                           QM00001", std::nullopt},  // vendor, model, serial
      {"nvme.1b36-6465616462656566-51454d55204e564d65-00000001", std::nullopt},
      {"naa.5000c500zz", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& [wwid, name] : cases) EXPECT_EQ(WorldWideName(wwid), name) << wwid;
}

// Roots with a backslash, each zero-terminated, and a final zero; too small a buffer gets the length
// needed and nothing written; no roots, just the final zero.
TEST(WriteDriveStrings, RootsOrTheLengthNeeded) {
  const std::tuple<std::vector<std::string>, std::size_t, std::uint32_t, std::u16string> cases[] = {
      {{"sdb1", "loop3p1"}, 32, 15, std::u16string(u"sdb1\\\0loop3p1\\\0\0", 16)},
      {{"sdb1", "loop3p1"}, 15, 16, u"#"},
      {{}, 1, 0, std::u16string(1, u'\0')},
  };
  for (const auto& [roots, size, length, start] : cases) {
    std::vector<char16_t> buffer(size, u'#');
    EXPECT_EQ(WriteDriveStrings(roots, buffer), length) << size;
    EXPECT_EQ(std::u16string(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(start.size())), start) << size;
  }
}

}  // namespace
}  // namespace trelvane::linux_platform
