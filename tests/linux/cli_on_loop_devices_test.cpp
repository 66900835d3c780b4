// trelvane-cli on the real backend, with TRELVANE_DRIVES naming loop devices this test created.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "loop_disk.h"
#include "test_support.h"

namespace trelvane {
namespace {

using testing::LoopDisk;
constexpr long long MiB = 1 << 20;
constexpr long long QuickWipeBytes = 10240000;

struct CliRun {
  int status = -1;
  std::string output;
};

CliRun RunCli(const std::vector<const LoopDisk*>& disks, const std::string& arguments) {
  std::string list;
  for (const LoopDisk* disk : disks) list += (list.empty() ? "" : ",") + disk->device();
  const std::string command = "env -u TRELVANE_MACHINE TRELVANE_DRIVES=" + list + " '" TRELVANE_CLI_PATH "' " +
                              arguments + " </dev/null 2>/dev/null";
  CliRun run;
  run.output = testing::CaptureOutput(command + "; echo \"@status $?\"");
  const std::size_t marker = run.output.rfind("@status ");
  if (marker != std::string::npos) {
    run.status = std::stoi(run.output.substr(marker + 8));
    run.output.resize(marker);
  }
  return run;
}

std::vector<std::string> DriveLines(const std::string& output) {
  std::vector<std::string> lines;
  std::istringstream in(output);
  std::string line;
  while (std::getline(in, line))
    if (!line.empty() && line[0] >= '0' && line[0] <= '9' && line.find('\t') != std::string::npos) lines.push_back(line);
  return lines;
}

bool AllBytesAre(const std::filesystem::path& image, long long from, long long to, char value) {
  std::ifstream in(image, std::ios::binary);
  in.seekg(from);
  std::string chunk(static_cast<std::size_t>(MiB), '\0');
  for (long long at = from; at < to;) {
    const auto count = static_cast<std::streamsize>(std::min<long long>(MiB, to - at));
    in.read(chunk.data(), count);
    for (std::streamsize i = 0; i < count; ++i)
      if (chunk[static_cast<std::size_t>(i)] != value) return false;
    at += count;
  }
  return true;
}

class CliOnLoopDevices : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!testing::CanUseLoopDevices()) GTEST_SKIP() << "needs root, losetup and partx";
  }
  testing::TempDir folder_;
};

TEST_F(CliOnLoopDevices, ListShowsEveryLoopDiskWithItsMountedVolume) {
  LoopDisk parted(folder_, "parted", 64 * MiB);
  LoopDisk native(folder_, "native", 48 * MiB, 4096);
  if (!parted.attached() || !native.attached()) GTEST_SKIP() << "no loop device could be attached";
  ASSERT_TRUE(parted.Partition({16, 0}));
  ASSERT_FALSE(parted.FormatAndMount(1).empty());

  const CliRun run = RunCli({&parted, &native}, "list");
  ASSERT_EQ(run.status, 0) << run.output;
  const std::vector<std::string> lines = DriveLines(run.output);
  ASSERT_EQ(lines.size(), 2u) << run.output;
  EXPECT_EQ(lines[0], "0\tFBVIRTUAL\tУстройство хранения данных (" + parted.kernelName() +
                          "p1)\t0000\t000000\t131072\t67.1 МБ");
  EXPECT_EQ(lines[1].substr(0, 12), "1\tFBVIRTUAL\t");
  EXPECT_NE(lines[1].find("\t12288\t"), std::string::npos) << lines[1];  // 48 MiB of 4096-byte sectors
}

TEST_F(CliOnLoopDevices, QuickFormatUnmountsTheVolumeAndZerosTheStartOnly) {
  LoopDisk disk(folder_, "wiped", 64 * MiB);
  LoopDisk other(folder_, "other", 40 * MiB);
  if (!disk.attached() || !other.attached()) GTEST_SKIP() << "no loop device could be attached";
  ASSERT_TRUE(disk.Partition({16, 0}));
  const auto point = disk.FormatAndMount(1);
  ASSERT_FALSE(point.empty());
  {
    std::ofstream fill(disk.image(), std::ios::binary | std::ios::in | std::ios::out);
    fill.seekp(20 * MiB);
    const std::string ones(static_cast<std::size_t>(MiB), '\xFF');
    fill.write(ones.data(), static_cast<std::streamsize>(ones.size()));
  }

  std::ofstream busy(point / "busy.txt");
  const CliRun refused = RunCli({&other, &disk}, "format 1 --quick --yes");
  EXPECT_EQ(refused.status, 2) << refused.output;
  EXPECT_NE(refused.output.find("Невозможно заблокировать устройство."), std::string::npos);
  busy.close();

  const CliRun run = RunCli({&other, &disk}, "format 1 --quick --yes");
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_NE(run.output.find("Низкоуровневое форматирование завершено."), std::string::npos) << run.output;
  EXPECT_EQ(testing::ReadTextFile("/proc/self/mountinfo").find(point.string()), std::string::npos);
  EXPECT_TRUE(AllBytesAre(disk.image(), 0, QuickWipeBytes, '\0'));
  EXPECT_TRUE(AllBytesAre(disk.image(), 20 * MiB, 21 * MiB, '\xFF'));  // beyond the quick wipe
}

}  // namespace
}  // namespace trelvane
