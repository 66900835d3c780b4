#include "backends/linux/remount.h"

#include <libmount/libmount.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <memory>

#include "backends/linux/errno_map.h"
#include "backends/linux/logical_drives.h"
#include "os/win_constants.h"

namespace trelvane::linux_platform {

namespace {

constexpr std::string_view FuseBlockType = "fuseblk";

template <typename Each>
void ForEachOption(std::string_view options, Each each) {
  std::size_t start = 0;
  while (start <= options.size()) {
    std::size_t comma = options.find(',', start);
    if (comma == std::string_view::npos) comma = options.size();
    if (comma > start) each(options.substr(start, comma - start));
    start = comma + 1;
  }
}

void Append(std::string& options, std::string_view more) {
  if (more.empty()) return;
  if (!options.empty()) options += ',';
  options += more;
}

struct MountCall {
  std::string source;
  std::string target;
  std::optional<std::string> type;
  std::string options;
  bool record = true;  // into mount(8)'s table of user-space options
};

using Context = std::unique_ptr<libmnt_context, decltype(&mnt_free_context)>;

// One mount through libmount; 0 or the platform's code of what went wrong. A helper that failed
// (ntfs-3g, mount.exfat) tells no errno: it counts as a device that did not work.
std::uint32_t RunMount(const MountCall& call) {
  Context context(mnt_new_context(), &mnt_free_context);
  if (!context) return ErrorCode::NotEnoughMemory;
  libmnt_context* cxt = context.get();
  // The options are the ones the mount had, never fstab's.
  mnt_context_set_optsmode(cxt, MNT_OMODE_IGNORE);
  mnt_context_set_source(cxt, call.source.c_str());
  mnt_context_set_target(cxt, call.target.c_str());
  if (call.type) mnt_context_set_fstype(cxt, call.type->c_str());
  mnt_context_set_options(cxt, call.options.c_str());
  if (!call.record) mnt_context_disable_mtab(cxt, 1);
  const int result = mnt_context_mount(cxt);
  if (result == 0 && mnt_context_get_status(cxt) == 1) return ErrorCode::Success;
  if (mnt_context_syscall_called(cxt) && mnt_context_get_syscall_errno(cxt) != 0)
    return ErrorFromErrno(mnt_context_get_syscall_errno(cxt));
  if (mnt_context_helper_executed(cxt)) return ErrorCode::GenFailure;
  return result < 0 ? ErrorFromErrno(-result) : ErrorCode::GenFailure;
}

// The file system of `mount` mounted at `target`; options it refuses (some are shown, never
// accepted) are dropped for its defaults. A mount that is not recorded is a passing one: it gets no
// user-space options, which are the recorded mount's.
std::uint32_t MountFileSystem(MountEntry mount, const std::string& target, bool record) {
  if (!record) mount.userOptions.clear();
  MountCall call{mount.source, target, MountTypeFor(mount), MountOptionsFor(mount), record};
  const std::uint32_t error = RunMount(call);
  if (error != ErrorFromErrno(EINVAL) || !call.type) return error;
  call.options = mount.mountOptions;
  Append(call.options, mount.userOptions);
  return RunMount(call);
}

std::uint32_t Bind(const std::string& from, const MountEntry& mount) {
  std::string options = "bind";
  Append(options, mount.mountOptions);
  return RunMount({from, mount.mountPoint, std::nullopt, options, true});
}

// A folder of the file system of `mount` seen through one of its mounts in place; "" when the very
// mount is in place again (nothing to do), nothing when the file system has no mount here.
std::optional<std::string> FolderInPlace(const MountEntry& mount) {
  std::optional<std::string> folder;
  for (const MountEntry& current : ReadMounts()) {
    if (current.source != mount.source || current.fsType != mount.fsType) continue;
    if (current.mountPoint == mount.mountPoint && current.root == mount.root) return std::string();
    if (!folder) folder = PathInside(current, mount.root);
  }
  return folder;
}

// The file system mounted for a moment in a private folder, the folder bound, the moment ended.
std::uint32_t BindThroughPassingMount(const MountEntry& mount) {
  std::string folder = "/run/trelvane-remount.XXXXXX";
  if (mkdtemp(folder.data()) == nullptr) {
    folder = "/tmp/trelvane-remount.XXXXXX";
    if (mkdtemp(folder.data()) == nullptr) return ErrorFromErrno(errno);
  }
  std::uint32_t error = MountFileSystem(mount, folder, false);
  if (error == ErrorCode::Success) {
    error = Bind(folder + mount.root, mount);
    umount2(folder.c_str(), MNT_DETACH);
  }
  rmdir(folder.c_str());
  return error;
}

std::uint32_t MountBack(const MountEntry& mount) {
  const std::optional<std::string> inPlace = FolderInPlace(mount);
  if (inPlace && inPlace->empty()) return ErrorCode::Success;
  if (mount.root == "/") {
    const std::uint32_t error = MountFileSystem(mount, mount.mountPoint, true);
    // A second instance of a FUSE file system cannot open its device: its mount in place is bound.
    if (error == ErrorCode::Success || !inPlace) return error;
  }
  if (inPlace) return Bind(*inPlace, mount);
  return BindThroughPassingMount(mount);
}

}  // namespace

std::string MountOptionsFor(const MountEntry& mount) {
  std::string options = mount.mountOptions;
  if (mount.fsType != FuseBlockType)
    ForEachOption(mount.superOptions, [&](std::string_view option) {
      if (option != "rw" && option != "ro") Append(options, option);
    });
  Append(options, mount.userOptions);
  return options;
}

std::optional<std::string> MountTypeFor(const MountEntry& mount) {
  if (mount.fsType == FuseBlockType) return std::nullopt;
  return mount.fsType;
}

std::optional<std::string> PathInside(const MountEntry& from, const std::string& root) {
  const std::string base = from.root == "/" ? std::string() : from.root;
  if (root.compare(0, base.size(), base) != 0) return std::nullopt;
  const std::string rest = root.substr(base.size());
  if (!rest.empty() && rest != "/" && rest[0] != '/') return std::nullopt;  // "/sub" does not hold "/subway"
  if (rest.empty() || rest == "/") return from.mountPoint;
  return (from.mountPoint == "/" ? std::string() : from.mountPoint) + rest;
}

std::string UserOptionsOf(std::uint32_t mountId) {
  std::unique_ptr<libmnt_table, decltype(&mnt_unref_table)> table(mnt_new_table(), &mnt_unref_table);
  if (!table || mnt_table_parse_mtab(table.get(), nullptr) != 0) return {};
  std::unique_ptr<libmnt_iter, decltype(&mnt_free_iter)> iter(mnt_new_iter(MNT_ITER_FORWARD), &mnt_free_iter);
  libmnt_fs* fs = nullptr;
  while (iter && mnt_table_next_fs(table.get(), iter.get(), &fs) == 0) {
    if (mnt_fs_get_id(fs) != static_cast<int>(mountId)) continue;
    const char* options = mnt_fs_get_user_options(fs);
    return options != nullptr ? options : "";
  }
  return {};
}

std::vector<UnrestoredMountPoint> MountAgain(const std::vector<MountEntry>& unmounted) {
  std::vector<UnrestoredMountPoint> failed;
  for (auto mount = unmounted.rbegin(); mount != unmounted.rend(); ++mount) {
    const std::uint32_t error = MountBack(*mount);
    if (error != ErrorCode::Success) failed.push_back({mount->mountPoint, error});
  }
  return failed;
}

std::vector<UnrestoredMountPoint> PendingRemounts::Restore(const std::vector<MountEntry>& unmounted) {
  std::vector<UnrestoredMountPoint> failed;
  waiting_.insert(waiting_.end(), unmounted.rbegin(), unmounted.rend());
  for (bool progress = true; progress;) {
    progress = false;
    for (auto mount = waiting_.begin(); mount != waiting_.end();) {
      const std::uint32_t error = MountBack(*mount);
      if (error == ErrorCode::FileNotFound || error == ErrorCode::PathNotFound) {
        ++mount;  // its mount point may lie in a volume still to come back
        continue;
      }
      if (error == ErrorCode::Success) progress = true;
      else failed.push_back({mount->mountPoint, error});
      mount = waiting_.erase(mount);
    }
  }
  return failed;
}

std::vector<UnrestoredMountPoint> PendingRemounts::Finish() {
  std::vector<UnrestoredMountPoint> failed = MountAgain({waiting_.rbegin(), waiting_.rend()});
  waiting_.clear();
  return failed;
}

}  // namespace trelvane::linux_platform
