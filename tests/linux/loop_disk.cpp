#include "loop_disk.h"

#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace trelvane::testing {

namespace {

std::string Quoted(const std::filesystem::path& path) { return "'" + path.string() + "'"; }

}  // namespace

int RunQuietly(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()); }

bool IsMounted(const std::filesystem::path& point) {
  return ReadTextFile("/proc/self/mountinfo").find(" " + point.string() + " ") != std::string::npos;
}

std::string CaptureOutput(const std::string& command) {
  std::string output;
  FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r");
  if (pipe == nullptr) return output;
  std::array<char, 256> chunk{};
  while (std::fgets(chunk.data(), static_cast<int>(chunk.size()), pipe) != nullptr) output += chunk.data();
  pclose(pipe);
  while (!output.empty() && output.back() == '\n') output.pop_back();
  return output;
}

bool SkipsAreFailures() {
  const char* ci = std::getenv("CI");
  return ci != nullptr && std::string(ci) == "true";
}

bool CanUseLoopDevices() { return geteuid() == 0 && RunQuietly("command -v losetup && command -v partx") == 0; }

LoopDisk::LoopDisk(const TempDir& folder, const std::string& name, long long sizeBytes, int sectorSize,
                   bool readOnly, const std::filesystem::path& imageFolder)
    : folder_(folder.path()), image_((imageFolder.empty() ? folder.path() : imageFolder) / (name + ".img")) {
  { std::ofstream create(image_, std::ios::binary); }
  std::filesystem::resize_file(image_, static_cast<std::uintmax_t>(sizeBytes));
  const std::string options = (readOnly ? " --read-only" : "") +
                              (sectorSize != 512 ? " --sector-size " + std::to_string(sectorSize) : std::string());
  device_ = CaptureOutput("losetup --partscan --find --show" + options + " " + Quoted(image_));
  if (device_.rfind("/dev/loop", 0) != 0) device_.clear();
}

LoopDisk::~LoopDisk() {
  for (auto mount = mounts_.rbegin(); mount != mounts_.rend(); ++mount) RunQuietly("umount " + Quoted(*mount));
  if (!device_.empty()) RunQuietly("losetup --detach " + device_);
}

bool LoopDisk::Partition(const std::vector<int>& sizesMiB) {
  std::string table = "label: dos\n";
  for (int size : sizesMiB) table += size > 0 ? "," + std::to_string(size) + "M\n" : std::string(",\n");
  const auto script = folder_ / (kernelName() + ".sfdisk");
  std::ofstream(script) << table;
  return RunQuietly("sfdisk --quiet " + device_ + " < " + Quoted(script)) == 0 &&
         (RunQuietly("partx --add " + device_) == 0 || std::filesystem::exists(PartitionNode(1))) &&
         std::filesystem::exists(PartitionNode(static_cast<int>(sizesMiB.size())));
}

std::filesystem::path LoopDisk::FormatAndMount(int number) {
  const auto point = folder_ / (kernelName() + "-mount" + std::to_string(number));
  std::filesystem::create_directories(point);
  if (RunQuietly("mkfs.ext4 -q -F " + PartitionNode(number)) != 0) return {};
  if (RunQuietly("mount " + PartitionNode(number) + " " + Quoted(point)) != 0) return {};
  mounts_.push_back(point);
  return point;
}

}  // namespace trelvane::testing
