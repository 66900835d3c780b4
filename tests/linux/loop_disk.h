#pragma once
// Loop devices over sparse files in a temporary folder, for tests of the real backend. Everything a
// LoopDisk sets up (partitions, file systems, mounts, the device) is taken down in its destructor.
// Tests skip when they are not run as root or the machine cannot create loop devices, except under
// CI=true, where a test that cannot run fails: a build machine that quietly skips proves nothing.

#include <filesystem>
#include <string>
#include <vector>

#include "test_support.h"

namespace trelvane::testing {

// Runs a command through the shell with its output discarded; returns its exit status.
int RunQuietly(const std::string& command);
// The command's standard output, without the final line feed.
std::string CaptureOutput(const std::string& command);

bool CanUseLoopDevices();

// Whether a file system is mounted at `point` in this mount namespace.
bool IsMounted(const std::filesystem::path& point);

// True when CI=true is set: a missing root, loop device or test machine is then a failure.
bool SkipsAreFailures();

#define TRELVANE_SKIP_OR_FAIL(why)                             \
  do {                                                         \
    if (::trelvane::testing::SkipsAreFailures()) FAIL() << why; \
    GTEST_SKIP() << why;                                       \
  } while (false)

class LoopDisk {
 public:
  // A sparse image of `sizeBytes` attached as a loop device with partition scanning.
  LoopDisk(const TempDir& folder, const std::string& name, long long sizeBytes, int sectorSize = 512,
           bool readOnly = false, const std::filesystem::path& imageFolder = {});
  ~LoopDisk();
  LoopDisk(const LoopDisk&) = delete;
  LoopDisk& operator=(const LoopDisk&) = delete;

  bool attached() const { return !device_.empty(); }
  const std::string& device() const { return device_; }           // "/dev/loop3"
  std::string kernelName() const { return device_.substr(5); }  // "loop3"
  const std::filesystem::path& image() const { return image_; }

  // Writes an MBR with partitions of the given sizes in MiB (0 = the rest) and adds them with
  // partx: the kernels of these machines parse no partition tables.
  bool Partition(const std::vector<int>& sizesMiB);
  std::string PartitionNode(int number) const { return device_ + "p" + std::to_string(number); }
  // mkfs.ext4 on the partition and a mount in the temporary folder; returns the mount point.
  std::filesystem::path FormatAndMount(int number);

 private:
  std::filesystem::path folder_;
  std::filesystem::path image_;
  std::string device_;
  std::vector<std::filesystem::path> mounts_;
};

}  // namespace trelvane::testing
