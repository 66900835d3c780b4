// trelvane-cli on the real backend, with TRELVANE_DRIVES naming loop devices this test created.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <iostream>
#include <memory>
#include <sstream>
#include <thread>

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

// trelvane-cli with TRELVANE_DRIVES=`drives`; `errors` says where its standard error goes.
CliRun RunCliOn(const std::string& drives, const std::string& arguments, const std::string& errors = "/dev/null") {
  const std::string command = "env -u TRELVANE_MACHINE TRELVANE_DRIVES=" + drives + " '" TRELVANE_CLI_PATH "' " +
                              arguments + " </dev/null 2>" + errors;
  CliRun run;
  run.output = testing::CaptureOutput(command + "; echo \"@status $?\"");
  const std::size_t marker = run.output.rfind("@status ");
  if (marker != std::string::npos) {
    run.status = std::stoi(run.output.substr(marker + 8));
    run.output.resize(marker);
  }
  return run;
}

CliRun RunCli(const std::vector<const LoopDisk*>& disks, const std::string& arguments) {
  std::string list;
  for (const LoopDisk* disk : disks) list += (list.empty() ? "" : ",") + disk->device();
  return RunCliOn(list, arguments);
}

std::vector<std::string> DriveLines(const std::string& output) {
  std::vector<std::string> lines;
  std::istringstream in(output);
  std::string line;
  while (std::getline(in, line))
    if (!line.empty() && line[0] >= '0' && line[0] <= '9' && line.find('\t') != std::string::npos) lines.push_back(line);
  return lines;
}

using testing::FileRangeIs;
using testing::IsMounted;

// An 8 MiB disk of FFh listed before the disk under test: no run on the other drive may write to it.
class Sentinel : public LoopDisk {
 public:
  explicit Sentinel(const testing::TempDir& folder) : LoopDisk(folder, "sentinel", 8 * MiB) {
    if (attached()) testing::FillFileRange(image(), 0, 8 * MiB, '\xFF');
  }
  bool Intact() const { return FileRangeIs(image(), 0, 8 * MiB, '\xFF'); }
};

// A digest of the disk's image, or of its first `bytes` when given.
std::string Fingerprint(const LoopDisk& disk, long long bytes = 0) {
  return testing::CaptureOutput((bytes ? "head -c " + std::to_string(bytes) + " " : "cat ") + disk.image().string() +
                                " | md5sum");
}

// The processes with a descriptor on `node`'s block device, as /proc shows them.
std::vector<int> ProcessesHolding(const std::string& node) {
  struct stat wanted {};
  if (stat(node.c_str(), &wanted) != 0) return {};
  std::vector<int> pids;
  for (const auto& process : std::filesystem::directory_iterator("/proc")) {
    const std::string name = process.path().filename().string();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    std::error_code error;
    for (const auto& fd : std::filesystem::directory_iterator(process.path() / "fd", error)) {
      struct stat target {};
      if (stat(fd.path().c_str(), &target) == 0 && S_ISBLK(target.st_mode) && target.st_rdev == wanted.st_rdev) {
        pids.push_back(std::stoi(name));
        break;
      }
    }
  }
  return pids;
}

// Whether the kernel refuses an O_EXCL open of `node` (a mount or an O_EXCL holder has claimed it).
bool IsClaimed(const std::string& node) {
  const int fd = open(node.c_str(), O_RDONLY | O_EXCL | O_CLOEXEC);
  if (fd >= 0) close(fd);
  return fd < 0 && errno == EBUSY;
}

// Asks `done` every 2 ms for up to `seconds`; false on time-out.
bool WaitFor(const std::function<bool()>& done, int seconds = 5) {
  const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (std::chrono::steady_clock::now() < limit) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return false;
}

// A shell script run in the background in a session of its own, with its output in a file; the
// whole session is killed when this goes out of scope.
class Background {
 public:
  Background(const testing::TempDir& folder, const std::string& name, const std::string& environment,
             const std::string& script)
      : output_(folder.path() / (name + ".out")) {
    const auto file = folder.path() / (name + ".sh");
    std::ofstream(file) << script << "\n";
    session_ = testing::CaptureOutput(environment + " setsid sh " + file.string() + " >" + output_.string() +
                                      " 2>&1 & echo $!");
  }
  ~Background() { testing::RunQuietly("kill -- -" + session_ + "; sleep 0.3"); }
  Background(const Background&) = delete;
  Background& operator=(const Background&) = delete;
  std::string Output() const { return testing::ReadTextFile(output_); }

 private:
  std::filesystem::path output_;
  std::string session_;
};

class CliOnLoopDevices : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!testing::CanUseLoopDevices()) TRELVANE_SKIP_OR_FAIL("needs root, losetup and partx");
  }
  testing::TempDir folder_;
};

// Every listed disk with its mounted volume, numbered without gaps; partitions, second names of a
// listed disk and other files are left out with a warning.
TEST_F(CliOnLoopDevices, ListShowsEveryLoopDiskAndLeavesTheRestOutWithAWarning) {
  LoopDisk parted(folder_, "parted", 64 * MiB);
  LoopDisk native(folder_, "native", 48 * MiB, 4096);
  if (!parted.attached() || !native.attached()) TRELVANE_SKIP_OR_FAIL("no loop device could be attached");
  ASSERT_TRUE(parted.Partition({16, 0}));
  ASSERT_FALSE(parted.FormatAndMount(1).empty());
  const auto alias = folder_.path() / "alias";
  std::filesystem::create_symlink(parted.device(), alias);
  const auto file = folder_.path() / "plain";
  std::ofstream(file) << "x";
  const auto errors = folder_.path() / "errors.txt";

  const std::vector<std::string> left{parted.PartitionNode(1), alias.string(), file.string()};
  const CliRun run = RunCliOn(left[0] + "," + parted.device() + "," + left[1] + "," + left[2] + "," + native.device(),
                              "list", errors.string());
  ASSERT_EQ(run.status, 0) << run.output;
  const std::string warnings = testing::ReadTextFile(errors);
  for (const std::string& path : left)
    EXPECT_NE(warnings.find("TRELVANE_DRIVES: " + path + " пропущен: "), std::string::npos) << warnings;
  const std::vector<std::string> lines = DriveLines(run.output);
  ASSERT_EQ(lines.size(), 2u) << run.output;
  EXPECT_EQ(lines[0], "0\tFBVIRTUAL\tУстройство хранения данных (" + parted.kernelName() +
                          "p1)\t0000\t000000\t131072\t67.1 МБ");
  EXPECT_EQ(lines[1].substr(0, 12), "1\tFBVIRTUAL\t");
  EXPECT_NE(lines[1].find("\t12288\t"), std::string::npos) << lines[1];  // 48 MiB of 4096-byte sectors
}

// A busy volume refuses the lock, of a full format or a quick one, and a report folder on a volume
// of the disk is refused before the lock: nothing written, and what was unmounted on the way (the
// first volume) is mounted back. Once the volume is free, the quick format unmounts both and zeros
// the start of the disk only; its report, in a folder elsewhere, names the disk's node.
TEST_F(CliOnLoopDevices, RefusalsBeforeAQuickFormatThatZerosTheStartOnly) {
  LoopDisk disk(folder_, "wiped", 64 * MiB);
  Sentinel sentinel(folder_);
  if (!disk.attached() || !sentinel.attached()) TRELVANE_SKIP_OR_FAIL("no loop device could be attached");
  ASSERT_TRUE(disk.Partition({16, 16}));
  const auto first = disk.FormatAndMount(1);
  const auto second = disk.FormatAndMount(2);
  ASSERT_FALSE(first.empty() || second.empty());
  testing::FillFileRange(disk.image(), 40 * MiB, 41 * MiB, '\xFF');  // behind both volumes
  const std::string table = Fingerprint(disk, 512);
  const std::string drives = sentinel.device() + "," + disk.device();
  const auto errors = folder_.path() / "errors";
  std::filesystem::create_directories(first / "reports");

  auto busy = std::make_unique<std::ofstream>(second / "busy.txt");
  const std::tuple<std::string, std::string, bool> refusals[] = {  // arguments, text, whether on standard error
      {"format 1 --yes", "Невозможно заблокировать устройство.", false},
      {"format 1 --quick --yes", "Невозможно заблокировать устройство.", false},
      {"format 1 --quick --yes --report '" + (first / "reports").string() + "'",
       "Папка для отчета находится на стираемом диске: ", true},
  };
  for (const auto& [arguments, text, onErrors] : refusals) {
    SCOPED_TRACE(arguments);
    const CliRun refused = RunCliOn(drives, arguments, errors.string());
    EXPECT_EQ(refused.status, 2) << refused.output;
    if (onErrors) {
      EXPECT_EQ(testing::ReadTextFile(errors).rfind(text, 0), 0u) << testing::ReadTextFile(errors);
    } else {
      EXPECT_NE(refused.output.find(text), std::string::npos) << refused.output;
    }
    EXPECT_TRUE(IsMounted(first) && IsMounted(second));
    EXPECT_EQ(Fingerprint(disk, 512), table);
  }
  busy.reset();

  const auto reports = folder_.path() / "reports";
  std::filesystem::create_directories(reports);
  const CliRun run = RunCliOn(drives, "format 1 --quick --yes --report '" + reports.string() + "'", errors.string());
  ASSERT_EQ(run.status, 0) << run.output << testing::ReadTextFile(errors);
  EXPECT_NE(run.output.find("Низкоуровневое форматирование завершено."), std::string::npos) << run.output;
  EXPECT_FALSE(IsMounted(first) || IsMounted(second));
  EXPECT_TRUE(FileRangeIs(disk.image(), 0, QuickWipeBytes, '\0'));
  EXPECT_TRUE(FileRangeIs(disk.image(), 40 * MiB, 41 * MiB, '\xFF'));  // beyond the quick wipe
  EXPECT_TRUE(sentinel.Intact());
  int json = 0;
  for (const auto& entry : std::filesystem::directory_iterator(reports)) {
    if (entry.path().extension() != ".json") continue;
    ++json;
    EXPECT_NE(testing::ReadTextFile(entry.path()).find("\"node\": \"" + disk.device() + "\""), std::string::npos);
  }
  EXPECT_EQ(json, 1);
}

TEST_F(CliOnLoopDevices, FullFormatWithVerificationReadsEveryByteBackAsZero) {
  LoopDisk disk(folder_, "verified", 48 * MiB);
  Sentinel sentinel(folder_);
  if (!disk.attached() || !sentinel.attached()) TRELVANE_SKIP_OR_FAIL("no loop device could be attached");
  testing::FillFileRange(disk.image(), 0, 48 * MiB, '\xAB');

  const std::filesystem::path reports = folder_.path() / "reports";
  std::filesystem::create_directories(reports);  // a report folder must exist before the run
  const CliRun run = RunCli({&sentinel, &disk}, "format 1 --yes --verify --report " + reports.string());
  EXPECT_EQ(run.status, 0) << run.output;
  std::vector<std::string> reportTexts;
  for (const auto& entry : std::filesystem::directory_iterator(reports)) reportTexts.push_back(testing::ReadTextFile(entry.path()));
  ASSERT_EQ(reportTexts.size(), 2u);
  for (const std::string& text : reportTexts)
    EXPECT_TRUE(text.find("\"outcome\": \"erased\"") != std::string::npos || text.find("Итог: СТЕРТО") != std::string::npos) << text;
  EXPECT_NE(run.output.find("Проверка записи..."), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("Проверено байт: 50,331,648, найдено ошибочных байт: 0"), std::string::npos) << run.output;
  EXPECT_TRUE(FileRangeIs(disk.image(), 0, 48 * MiB, '\0'));
  EXPECT_TRUE(sentinel.Intact());
}

// Sectors read from the device since it was attached (field 3 of its stat file).
long long SectorsRead(const LoopDisk& disk) {
  std::istringstream stat(testing::ReadTextFile("/sys/block/" + disk.kernelName() + "/stat"));
  long long reads = 0, merged = 0, sectors = 0;
  stat >> reads >> merged >> sectors;
  return sectors;
}

// A disk that goes away during the read-back (its loop device shrunk to nothing, or to 1 MiB, behind
// the program's back once the pass has read 64 MiB) ends the pass at once: aborted, exit 1. Between
// the truncation of the backing file and `losetup -c` the device is still there and its reads fail
// with EIO, so a few sectors may be found unreadable first; splitting every block left to sectors
// would take seconds per GiB.
TEST_F(CliOnLoopDevices, DiskThatShrinksDuringVerificationEndsThePassAtOnce) {
  struct Shrink {
    const char* name;
    long long sizeAfter;
    int sectorSize;
    const char* line;
  };
  const Shrink cases[] = {
      {"shrunk to nothing", 0, 512, "Устройство было отключено, прерывание..."},
      {"shrunk to 1 MiB", MiB, 4096, "Размер устройства изменился во время форматирования, прерывание..."},
  };
  for (const Shrink& test : cases) {
    LoopDisk disk(folder_, "shrinking", 1024 * MiB, test.sectorSize);
    if (!disk.attached()) TRELVANE_SKIP_OR_FAIL("no loop device could be attached");
    const auto out = folder_.path() / "shrink.out";
    const auto status = folder_.path() / "shrink.status";
    std::filesystem::remove(out);
    std::filesystem::remove(status);
    const long long readBefore = SectorsRead(disk);  // a loop device keeps its counts from earlier uses
    testing::RunQuietly("(env -u TRELVANE_MACHINE TRELVANE_DRIVES=" + disk.device() + " '" TRELVANE_CLI_PATH
                        "' format 0 --yes --verify </dev/null >" + out.string() + " 2>/dev/null; echo $? >" +
                        status.string() + ".part; mv " + status.string() + ".part " + status.string() + ") &");
    const bool ended = !WaitFor([&] { return SectorsRead(disk) - readBefore >= 64 * MiB / 512 || std::filesystem::exists(status); }, 120);
    ASSERT_FALSE(ended || std::filesystem::exists(status)) << test.name << ": the pass was over before the disk shrank";
    const auto shrunk = std::chrono::steady_clock::now();
    ASSERT_EQ(testing::RunQuietly("truncate -s " + std::to_string(test.sizeAfter) + " " + disk.image().string() +
                                  " && losetup -c " + disk.device()),
              0)
        << test.name << ": the loop device could not be shrunk";
    ASSERT_TRUE(WaitFor([&] { return std::filesystem::exists(status); }, 120)) << test.name << ": the run did not end";
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - shrunk);
    std::cout << "[ measured ] " << test.name << ": the run ended " << ms.count() << " ms after the disk shrank\n";
    const std::string output = testing::ReadTextFile(out);
    EXPECT_EQ(testing::ReadTextFile(status), "1\n") << test.name << output;
    EXPECT_NE(output.find(test.line), std::string::npos) << test.name << output;
    EXPECT_NE(output.find("Проверка прекращена по смещению "), std::string::npos) << test.name << output;
    EXPECT_LT(ms.count(), 3000) << test.name;
  }
}

// Holders the volume lock cannot see, and nothing is written: an O_EXCL open or a mount in another
// namespace makes the kernel refuse the whole-disk claim; a program that has the disk or one of its
// partitions open without O_EXCL is invisible to that claim, and the refusal names it. A probe that
// lets go within the grace (named as udev's blkid) does not refuse the run.
TEST_F(CliOnLoopDevices, DiskHeldOrOpenElsewhereIsRefusedAndWritesNothing) {
  struct Holder {
    const char* name;
    int partition;       // the node held: 0 the whole disk, else that partition of two
    bool parted;         // partitioned (8 MiB and the rest), else ext4 on the whole disk
    std::string script;  // NODE is the node, POINT an empty folder; it holds the node for 30 s
    bool claims;         // takes an exclusive claim (else an open that /proc shows)
    const char* program; // named in the refusal; nullptr: a probe, which refuses nothing
  };
  const std::vector<Holder> holders{
      {"O_EXCL", 0, false,
       "python3 -c 'import os,time; os.open(os.environ[\"NODE\"], os.O_RDONLY | os.O_EXCL); time.sleep(30)'", true, ""},
      {"mount in another namespace", 0, false,
       "unshare -m sh -c 'mount -o ro -t ext4 \"$NODE\" \"$POINT\" && sleep 30'", true, ""},
      {"the whole disk, read-write", 0, true, "exec 3<>\"$NODE\"; exec sleep 30", false, "sleep"},
      {"a partition, by a running dd", 2, true, "sleep 30 | dd of=\"$NODE\" bs=4096 conv=notrunc", false, "dd"},
      {"a short probe", 1, true, "exec python3 -c 'import os,time; os.open(os.environ[\"NODE\"], os.O_RDONLY); "
                                 "open(\"/proc/self/comm\", \"w\").write(\"blkid\"); time.sleep(0.8)'", false, nullptr},
  };
  for (const Holder& holder : holders) {
    SCOPED_TRACE(holder.name);
    LoopDisk disk(folder_, "held", 32 * MiB);
    Sentinel sentinel(folder_);
    if (!disk.attached() || !sentinel.attached()) TRELVANE_SKIP_OR_FAIL("no loop device could be attached");
    if (holder.parted) {
      ASSERT_TRUE(disk.Partition({8, 0}));
    } else {
      ASSERT_EQ(testing::RunQuietly("mkfs.ext4 -q -F " + disk.device()), 0);
    }
    const std::string node = holder.partition == 0 ? disk.device() : disk.PartitionNode(holder.partition);
    const auto point = folder_.path() / "elsewhere";
    std::filesystem::create_directories(point);
    const Background background(folder_, "holder", "NODE=" + node + " POINT=" + point.string(), holder.script);
    // What this test is about is a disk held for someone else; a holder that could not take it (no
    // unshare, no ext4, no namespaces in a container) would make the refusal below meaningless.
    std::vector<int> pids;
    if (!WaitFor([&] { return holder.claims ? IsClaimed(node) : (pids = ProcessesHolding(node)).size() == 1; })) {
      ADD_FAILURE() << "precondition not met: the holder (" << holder.name << ") did not take " << node
                    << "; its output: " << background.Output();
      continue;
    }
    const std::string before = Fingerprint(disk);
    const CliRun run = RunCli({&sentinel, &disk}, "format 1 --quick --yes");
    if (holder.program == nullptr) {
      EXPECT_EQ(run.status, 0) << run.output;
      continue;
    }
    EXPECT_EQ(run.status, 2) << run.output;
    if (!holder.claims) {
      const std::string named = std::string("Диск открыт другой программой: ") + holder.program + " (PID " +
                                std::to_string(pids[0]) + ")";
      EXPECT_NE(run.output.find(named), std::string::npos) << run.output;
    }
    EXPECT_NE(run.output.find("Устройство используется другой программой или системой."), std::string::npos)
        << run.output;
    EXPECT_EQ(run.output.find("Не забудьте создать новые разделы."), std::string::npos) << run.output;
    EXPECT_EQ(Fingerprint(disk), before);
    EXPECT_TRUE(sentinel.Intact());
  }
}

// A write-protected disk (attached read-only, or made read-only with blockdev) is refused up front in
// one line instead of one failed block after another.
TEST_F(CliOnLoopDevices, WriteProtectedDiskIsRefusedInOneLine) {
  for (const auto& [attachedReadOnly, sectorSize] : {std::pair(true, 512), std::pair(false, 4096)}) {
    const long long size = 65536LL * sectorSize;  // the smallest disk the program takes
    LoopDisk disk(folder_, "protected", size, sectorSize, attachedReadOnly);
    if (!disk.attached()) TRELVANE_SKIP_OR_FAIL("no loop device could be attached");
    if (!attachedReadOnly) { ASSERT_EQ(testing::RunQuietly("blockdev --setro " + disk.device()), 0); }
    testing::FillFileRange(disk.image(), 0, size, '\x5A');
    const CliRun run = RunCli({&disk}, "format 0 --yes");
    testing::RunQuietly("blockdev --setrw " + disk.device());
    EXPECT_EQ(run.status, 2) << run.output;
    const std::string line = "Диск защищен от записи. Ничего не записано.";
    const std::size_t at = run.output.find(line);
    EXPECT_NE(at, std::string::npos) << run.output;
    EXPECT_EQ(run.output.find(line, at + 1), std::string::npos) << run.output;
    EXPECT_EQ(run.output.find("Ошибка форматирования"), std::string::npos) << run.output;
    EXPECT_EQ(run.output.find("Не забудьте создать новые разделы."), std::string::npos) << run.output;
    EXPECT_TRUE(FileRangeIs(disk.image(), 0, size, '\x5A'));
  }
}

// While one run has the disk open (here waiting for its confirmation), a second run is refused with
// nothing written: through the same node by the first run's lock, through another node of the same
// device by the first run's open descriptor, which it names.
TEST_F(CliOnLoopDevices, SecondRunOnTheSameDiskIsRefused) {
  LoopDisk disk(folder_, "twice", 32 * MiB);
  Sentinel sentinel(folder_);
  if (!disk.attached() || !sentinel.attached()) TRELVANE_SKIP_OR_FAIL("no loop device could be attached");
  testing::FillFileRange(disk.image(), 0, 32 * MiB, '\x5A');
  const Background first(folder_, "first", "",
                         "sleep 20 | exec env -u TRELVANE_MACHINE TRELVANE_DRIVES=" + sentinel.device() + "," +
                             disk.device() + " '" TRELVANE_CLI_PATH "' format 1 --quick");
  std::vector<int> pids;
  if (!WaitFor([&] { return (pids = ProcessesHolding(disk.device())).size() == 1; }))
    FAIL() << "precondition not met: the first run did not open " << disk.device() << ": " << first.Output();

  const auto errors = folder_.path() / "second.err";
  const CliRun samePath = RunCliOn(sentinel.device() + "," + disk.device(), "format 1 --quick --yes", errors.string());
  EXPECT_EQ(samePath.status, 2) << samePath.output;
  EXPECT_NE(testing::ReadTextFile(errors).find("Устройство занято другой программой или другим запуском этой программы."),
            std::string::npos)
      << testing::ReadTextFile(errors);

  struct stat device {};
  ASSERT_EQ(stat(disk.device().c_str(), &device), 0);
  const auto otherName = folder_.path() / "other-name";
  ASSERT_EQ(mknod(otherName.c_str(), S_IFBLK | 0600, device.st_rdev), 0);
  const int opened = open(otherName.c_str(), O_RDONLY | O_CLOEXEC);
  if (opened < 0) FAIL() << "precondition not met: the second node " << otherName << " does not open (nodev?)";
  close(opened);
  const CliRun otherPath = RunCliOn(sentinel.device() + "," + otherName.string(), "format 1 --quick --yes");
  EXPECT_EQ(otherPath.status, 2) << otherPath.output;
  EXPECT_NE(otherPath.output.find("Диск открыт другой программой: trelvane-cli (PID " + std::to_string(pids[0]) + ")"),
            std::string::npos)
      << otherPath.output;
  EXPECT_TRUE(FileRangeIs(disk.image(), 0, 32 * MiB, '\x5A'));
  EXPECT_TRUE(sentinel.Intact());
}

// Mounts made by a test, taken down (lazily, in reverse) when it ends; a second loop device too.
class Scratch {
 public:
  ~Scratch() {
    for (auto point = points_.rbegin(); point != points_.rend(); ++point) testing::RunQuietly("umount -l '" + *point + "'");
    for (const std::string& loop : loops_) testing::RunQuietly("losetup --detach " + loop);
  }
  bool Mount(const std::string& what, const std::filesystem::path& point, const std::string& options = {}) {
    std::filesystem::create_directories(point);
    if (testing::RunQuietly("mount " + options + " " + what + " '" + point.string() + "'") != 0) return false;
    points_.push_back(point.string());
    return true;
  }
  // Another loop device over `image`: a second name of the same storage.
  std::string SecondLoop(const std::filesystem::path& image, int sectorSize) {
    const std::string loop = testing::CaptureOutput("losetup --find --show --sector-size " + std::to_string(sectorSize) +
                                                    " '" + image.string() + "'");
    if (loop.rfind("/dev/loop", 0) != 0) return {};
    loops_.push_back(loop);
    return loop;
  }

 private:
  std::vector<std::string> points_;
  std::vector<std::string> loops_;
};

// A file system mounted through one of two loop devices over the same file: formatting the other is
// refused before anything is written, and the list marks the second name.
TEST_F(CliOnLoopDevices, SecondNameOfAMountedDiskIsMarkedAndRefused) {
  for (const int sectorSize : {512, 4096}) {
    for (const int mountedThrough : {0, 1}) {
      SCOPED_TRACE("sector size " + std::to_string(sectorSize) + ", mounted through drive " + std::to_string(mountedThrough));
      LoopDisk disk(folder_, "shared", 65536LL * sectorSize, sectorSize);  // the smallest disk the program takes
      Scratch scratch;
      const std::string second = disk.attached() ? scratch.SecondLoop(disk.image(), sectorSize) : std::string();
      if (second.empty()) TRELVANE_SKIP_OR_FAIL("no loop device could be attached");
      const std::string names[] = {disk.device(), second};
      ASSERT_EQ(testing::RunQuietly("mkfs.ext4 -q -F " + names[mountedThrough]), 0);
      const auto point = folder_.path() / "through";
      // Read-only: a file system mounted for writing writes to itself now and then (lazy initialisation,
      // journal checkpoints), which would hide whether the program wrote.
      ASSERT_TRUE(scratch.Mount(names[mountedThrough], point, "-o ro")) << "precondition: mount through " << names[mountedThrough];
      const std::string before = Fingerprint(disk);

      const CliRun list = RunCliOn(names[0] + "," + names[1], "list");
      const std::vector<std::string> lines = DriveLines(list.output);
      ASSERT_EQ(lines.size(), 2u) << list.output;
      EXPECT_EQ(lines[0].find("второе имя"), std::string::npos) << lines[0];
      EXPECT_NE(lines[1].find("(второе имя диска " + disk.kernelName() + ")\t"), std::string::npos) << lines[1];

      const int other = 1 - mountedThrough;
      const CliRun run = RunCliOn(names[0] + "," + names[1], "format " + std::to_string(other) + " --quick --yes");
      EXPECT_EQ(run.status, 2) << run.output;
      EXPECT_EQ(Fingerprint(disk), before) << "wrote to the mounted storage";
      EXPECT_TRUE(IsMounted(point));
    }
  }
}

// A refused format mounts back what it took down: an ntfs-3g volume through its FUSE helper, a volume
// mounted inside it, and a bind mount of a subfolder, from its file system's own mount, which was
// busy and stayed, or, when the file system has no other mount here, through a passing mount.
TEST_F(CliOnLoopDevices, RefusedFormatMountsBackFuseVolumesAndBindMountsOfSubfolders) {
  if (testing::RunQuietly("command -v mkntfs && command -v ntfs-3g") != 0) TRELVANE_SKIP_OR_FAIL("needs ntfs-3g (mkntfs)");
  for (const bool ownMountStays : {true, false}) {
    SCOPED_TRACE(ownMountStays ? "the file system's own mount is busy" : "only the bind mount is here");
    LoopDisk disk(folder_, "mounts", 64 * MiB);
    if (!disk.attached()) TRELVANE_SKIP_OR_FAIL("no loop device could be attached");
    ASSERT_TRUE(disk.Partition({16, 16, 0}));
    Scratch scratch;
    const auto base = folder_.path() / "m";
    // Locked deepest first: the NTFS volume (unmounted), then the ext4 one with the bind mount, busy.
    const auto ntfs = base / "a" / "b" / "c" / "ntfs";
    const auto own = base / "own";
    const auto bind = base / "a" / "bind";
    const auto busyPoint = base / "busy";
    ASSERT_EQ(testing::RunQuietly("mkntfs -Q -F " + disk.PartitionNode(2)), 0);
    ASSERT_TRUE(scratch.Mount(disk.PartitionNode(2), ntfs, "-t ntfs-3g")) << "precondition: ntfs-3g mount";
    std::ofstream(ntfs / "kept.txt") << "ntfs";
    ASSERT_EQ(testing::RunQuietly("mkfs.ext4 -q -F " + disk.PartitionNode(1)), 0);
    ASSERT_TRUE(scratch.Mount(disk.PartitionNode(1), own));
    std::filesystem::create_directories(own / "sub");
    std::ofstream(own / "sub" / "kept.txt") << "sub";
    ASSERT_TRUE(scratch.Mount("--bind '" + (own / "sub").string() + "'", bind));
    std::unique_ptr<std::ofstream> busy;
    if (ownMountStays) {
      busy = std::make_unique<std::ofstream>(own / "busy.txt");
      // A volume mounted inside the NTFS one: locked first, given back first, it waits for NTFS.
      ASSERT_EQ(testing::RunQuietly("mkfs.ext4 -q -F " + disk.PartitionNode(3)), 0);
      ASSERT_TRUE(scratch.Mount(disk.PartitionNode(3), ntfs / "inner"));
    } else {
      ASSERT_EQ(testing::RunQuietly("umount '" + own.string() + "'"), 0);
      ASSERT_EQ(testing::RunQuietly("mkfs.ext4 -q -F " + disk.PartitionNode(3)), 0);
      ASSERT_TRUE(scratch.Mount(disk.PartitionNode(3), busyPoint));
      busy = std::make_unique<std::ofstream>(busyPoint / "busy.txt");
    }
    ASSERT_TRUE(busy->good()) << "precondition: an open file that keeps a mount busy";
    const std::string table = Fingerprint(disk, 512);

    const CliRun run = RunCli({&disk}, "format 0 --yes");
    busy.reset();
    EXPECT_EQ(run.status, 2) << run.output;
    EXPECT_EQ(run.output.find("Не удалось снова смонтировать"), std::string::npos) << run.output;
    EXPECT_EQ(testing::CaptureOutput("findmnt -n -o FSTYPE --mountpoint '" + ntfs.string() + "'"), "fuseblk");
    EXPECT_EQ(testing::CaptureOutput("cat '" + (ntfs / "kept.txt").string() + "'"), "ntfs");
    EXPECT_TRUE(IsMounted(bind));
    EXPECT_EQ(testing::CaptureOutput("cat '" + (bind / "kept.txt").string() + "'"), "sub");
    EXPECT_EQ(IsMounted(ntfs / "inner"), ownMountStays);
    EXPECT_EQ(Fingerprint(disk, 512), table);
    EXPECT_EQ(testing::CaptureOutput("ls -d /run/trelvane-remount.* /tmp/trelvane-remount.*"), "");
  }
}

}  // namespace
}  // namespace trelvane
