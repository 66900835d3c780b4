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

TEST(ParseMountInfoLine, FieldsAroundTheSeparatorAndOptionalFields) {
  const auto entry = ParseMountInfoLine(
      "36 35 98:0 /mnt1 /mnt/my\\040disk rw,noatime master:1 shared:7 - ext3 /dev/root rw,errors=continue");
  ASSERT_TRUE(entry);
  EXPECT_EQ(entry->mountId, 36u);
  EXPECT_EQ(entry->parentId, 35u);
  EXPECT_EQ(entry->major, 98u);
  EXPECT_EQ(entry->minor, 0u);
  EXPECT_EQ(entry->mountPoint, "/mnt/my disk");
  EXPECT_EQ(entry->fsType, "ext3");
  EXPECT_EQ(entry->source, "/dev/root");
}

TEST(ParseMountInfoLine, BtrfsAnonymousDeviceAndNoOptionalFields) {
  const auto entry = ParseMountInfoLine("120 27 0:45 / /data rw,relatime - btrfs /dev/sdb1 rw,space_cache=v2");
  ASSERT_TRUE(entry);
  EXPECT_EQ(entry->major, 0u);
  EXPECT_EQ(entry->minor, 45u);
  EXPECT_EQ(entry->source, "/dev/sdb1");
}

TEST(ParseMountInfoLine, RefusesBrokenLines) {
  EXPECT_FALSE(ParseMountInfoLine(""));
  EXPECT_FALSE(ParseMountInfoLine("36 35 98:0 / /mnt rw"));
  EXPECT_FALSE(ParseMountInfoLine("36 35 98:0 / /mnt rw master:1 ext3 /dev/root rw"));
  EXPECT_FALSE(ParseMountInfoLine("x 35 98:0 / /mnt rw - ext3 /dev/root rw"));
  EXPECT_EQ(ParseMountInfo("22 1 0:21 / /proc rw - proc proc rw\nbroken\n27 1 254:0 / / rw - ext4 /dev/vda rw\n").size(),
            2u);
}

TEST(UnescapeMountField, OctalEscapesOnly) {
  EXPECT_EQ(UnescapeMountField("a\\011b\\134c\\012"), "a\tb\\c\n");
  EXPECT_EQ(UnescapeMountField("a\\9b\\04"), "a\\9b\\04");
}

TEST(ParseSwaps, FirstColumnAfterTheHeader) {
  const auto names = ParseSwaps(
      "Filename\t\t\t\tType\t\tSize\t\tUsed\t\tPriority\n/dev/zram0 partition 1000 0 100\n/swap\\040file file 10 0 -2\n");
  EXPECT_EQ(names, (std::vector<std::string>{"/dev/zram0", "/swap file"}));
}

TEST(PathDepth, Components) {
  EXPECT_EQ(PathDepth("/"), 0u);
  EXPECT_EQ(PathDepth("/mnt"), 1u);
  EXPECT_EQ(PathDepth("/mnt//a b/"), 2u);
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

TEST(ChooseNextUnmount, DeepestMountOfTheDeviceFirst) {
  const std::vector<ResolvedMount> mounts{Mount(1, 0, "/", makedev(254, 0)), Mount(2, 1, "/mnt/a", Sdb1),
                                          Mount(3, 2, "/mnt/a/b/c", Sdb1), Mount(4, 1, "/srv", Sdb2)};
  const UnmountChoice choice = ChooseNextUnmount(mounts, Sdb1);
  EXPECT_EQ(choice.step, UnmountStep::Unmount);
  EXPECT_EQ(choice.mountPoint, "/mnt/a/b/c");
  EXPECT_EQ(ChooseNextUnmount({mounts[0], mounts[3]}, Sdb1).step, UnmountStep::Done);
}

TEST(ChooseNextUnmount, AMountOfAnotherDeviceOnTopIsNeverUnmountedByPath) {
  const std::vector<ResolvedMount> covered{Mount(2, 1, "/mnt", Sdb1), Mount(5, 2, "/mnt", std::nullopt)};
  EXPECT_EQ(ChooseNextUnmount(covered, Sdb1).step, UnmountStep::Covered);
  // Two mounts of the device stacked on one place: the upper one goes first, then the lower.
  const std::vector<ResolvedMount> stacked{Mount(2, 1, "/mnt", Sdb1), Mount(6, 2, "/mnt", Sdb1)};
  EXPECT_EQ(ChooseNextUnmount(stacked, Sdb1).step, UnmountStep::Unmount);
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

TEST(WriteDriveStrings, RootsWithBackslashZeroTerminatedAndAFinalZero) {
  std::vector<char16_t> buffer(32, u'#');
  const std::uint32_t length = WriteDriveStrings({"sdb1", "loop3p1"}, buffer);
  EXPECT_EQ(length, 15u);  // without the final zero
  EXPECT_EQ(std::u16string(buffer.begin(), buffer.begin() + 16), std::u16string(u"sdb1\\\0loop3p1\\\0\0", 16));
}

TEST(WriteDriveStrings, TooSmallABufferGetsTheNeededLengthAndNothingWritten) {
  std::vector<char16_t> buffer(15, u'#');
  EXPECT_EQ(WriteDriveStrings({"sdb1", "loop3p1"}, buffer), 16u);
  EXPECT_EQ(buffer[0], u'#');
  std::vector<char16_t> empty(1, u'#');
  EXPECT_EQ(WriteDriveStrings({}, empty), 0u);
  EXPECT_EQ(empty[0], 0);
}

}  // namespace
}  // namespace trelvane::linux_platform
