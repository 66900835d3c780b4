// Locking and releasing the volumes of the drive to be formatted, on an emulated machine.

#include <gtest/gtest.h>

#include <algorithm>

#include "format/volume_lock.h"
#include "program_bench.h"
#include "os/win_constants.h"
#include "text/u16.h"

namespace trelvane::testing {
namespace {

using Texts = std::vector<std::u16string>;

// C: and E: on drive 0, D: on drive 1, F: an optical drive numbered 0, G: a network letter that does
// not open for the query.
std::string Volumes(const std::string& eMore = "") {
  return R"([{"root": "C:\\", "device_number": 0, "partition": 1},
             {"root": "D:\\", "device_number": 1, "partition": 1},
             {"root": "E:\\", "device_number": 0, "partition": 2)" + eMore + R"(},
             {"root": "F:\\", "device_type": 2, "device_number": 0, "partition": 0},
             {"root": "G:\\", "query_open_error": 53}])";
}

const std::string TwoDrives = R"([{"number": 0, "length": 1048576}, {"number": 1, "length": 1048576}])";

ProgramBench LockBench(const std::string& eMore = "") {
  return ProgramBench(MachineJson(TwoDrives, Volumes(eMore)), SelectedDisk{2048});
}

// The requests on volume devices, as "call path code".
std::vector<std::string> VolumeRequests(const ProgramBench& bench) {
  std::vector<std::string> calls;
  for (const RecordedRequest& request : bench.system->Requests()) {
    if (request.path.find(u"PhysicalDrive") != std::u16string::npos) continue;
    std::string line = request.call + " " + ToUtf8(request.path);
    if (request.call == "DeviceIoControl") line += " " + std::to_string(request.code);
    calls.push_back(line);
  }
  return calls;
}

// A job on drive `number`, for its lock alone.
EraseJob JobOn(std::uint32_t number) {
  EraseJob job;
  job.drive.DeviceNumber = number;
  return job;
}

const std::string Lock = std::to_string(Ioctl::FsctlLockVolume);
const std::string Dismount = std::to_string(Ioctl::FsctlDismountVolume);
const std::string ExtendedIo = std::to_string(Ioctl::FsctlAllowExtendedDasdIo);
const std::string DeviceNumber = std::to_string(Ioctl::StorageGetDeviceNumber);

TEST(LockDriveVolumes, LocksTheDrivesDiskVolumesInOrderAndKeepsThemUntilRelease) {
  ProgramBench bench = LockBench();
  bench.state.DebugMode = true;
  EraseJob job = JobOn(0);
  EXPECT_TRUE(LockDriveVolumes(*bench.system, bench.log, job));

  const Texts query{u"Получение данных устройства...", u"Готово."};
  const Texts locking{u"Дескриптор получен!", u"Блокировка тома...", u"Готово.", u"Демонтирование тома...",
                      u"Готово.", u"Расширение ввода-вывода...", u"Готово."};
  Texts expected{u"Поиск разделов...", u"Готово."};
  auto add = [&](const Texts& more) { expected.insert(expected.end(), more.begin(), more.end()); };
  add(query);
  add({u"Найденный раздел C:      Тип устройства: 7   Номер устройства: 0   Раздел: 1", u"Блокировка \\\\.\\C:"});
  add(locking);
  add(query);
  add({u"Найденный раздел D:      Тип устройства: 7   Номер устройства: 1   Раздел: 1"});
  add(query);
  add({u"Найденный раздел E:      Тип устройства: 7   Номер устройства: 0   Раздел: 2", u"Блокировка \\\\.\\E:"});
  add(locking);
  add(query);
  add({u"Найденный раздел F:      Тип устройства: 2   Номер устройства: 0   Раздел: 0"});
  add(query);  // G: does not open: skipped without a message
  EXPECT_EQ(bench.LogTexts(), expected);

  ASSERT_EQ(job.lockedVolumes.size(), 2u);
  std::vector<std::string> calls = VolumeRequests(bench);
  const std::vector<std::string> cLock{"CreateFile \\\\.\\C:", "DeviceIoControl \\\\.\\C: " + Lock,
                                       "DeviceIoControl \\\\.\\C: " + Dismount,
                                       "DeviceIoControl \\\\.\\C: " + ExtendedIo};
  EXPECT_NE(std::search(calls.begin(), calls.end(), cLock.begin(), cLock.end()), calls.end());
  // Only the locks' opens read; the queries open without access rights.
  for (const RecordedRequest& request : bench.Requests("CreateFile")) {
    const bool lockOpen = request.access == Access::GenericRead;
    EXPECT_TRUE(lockOpen || request.access == Access::None);
    EXPECT_EQ(request.share, Share::ReadWrite);
    if (lockOpen) {
      EXPECT_TRUE(request.path == u"\\\\.\\C:" || request.path == u"\\\\.\\E:");
    }
  }
  // The locked volumes stay open until the release closes them, C: first.
  std::vector<Handle> locked;
  for (const LockedVolume& volume : job.lockedVolumes) locked.push_back(volume.handle.Get());
  for (const RecordedRequest& request : bench.Requests("CloseHandle")) {
    EXPECT_EQ(std::count(locked.begin(), locked.end(), request.handle), 0);
  }
  bench.system->ClearRequests();
  ReleaseLockedVolumes(job);
  EXPECT_TRUE(job.lockedVolumes.empty());
  EXPECT_EQ(VolumeRequests(bench), (std::vector<std::string>{"CloseHandle \\\\.\\C:", "CloseHandle \\\\.\\E:"}));
  const auto closes = bench.Requests("CloseHandle");
  ASSERT_EQ(closes.size(), 2u);
  EXPECT_EQ(closes[0].handle, locked[0]);
  EXPECT_EQ(closes[1].handle, locked[1]);
}

TEST(LockDriveVolumes, WritesNothingOutsideDebugMode) {
  ProgramBench bench = LockBench();
  EraseJob job = JobOn(0);
  EXPECT_TRUE(LockDriveVolumes(*bench.system, bench.log, job));
  EXPECT_TRUE(bench.formatLog.lines.empty());
  EXPECT_EQ(job.lockedVolumes.size(), 2u);
}

TEST(LockDriveVolumes, SecondVolumeRefusingTheLockLeavesTheFirstLockedUntilRelease) {
  for (const std::string& refusal : {std::string(R"(, "lock_error": 5)"), std::string(R"(, "dismount_error": 5)")}) {
    ProgramBench bench = LockBench(refusal);
    bench.state.DebugMode = true;
    EraseJob job = JobOn(0);
    EXPECT_FALSE(LockDriveVolumes(*bench.system, bench.log, job));
    ASSERT_EQ(job.lockedVolumes.size(), 1u);

    const std::vector<std::string> calls = VolumeRequests(bench);
    ASSERT_FALSE(calls.empty());
    // E:'s handle is closed at once; F: and G: are not visited; no message names the refusal.
    EXPECT_EQ(calls.back(), "CloseHandle \\\\.\\E:");
    for (const std::string& call : calls) EXPECT_EQ(call.find("F:"), std::string::npos);
    EXPECT_NE(bench.LogTexts().back(), u"Неверный дескриптор");

    bench.system->ClearRequests();
    ReleaseLockedVolumes(job);
    EXPECT_EQ(VolumeRequests(bench), std::vector<std::string>{"CloseHandle \\\\.\\C:"});
    EXPECT_TRUE(job.lockedVolumes.empty());
  }
}

TEST(LockDriveVolumes, VolumeThatDoesNotOpenIsReportedUnstampedEvenOutsideDebugMode) {
  ProgramBench bench = LockBench(R"(, "open_error": 5)");
  EraseJob job = JobOn(0);
  EXPECT_FALSE(LockDriveVolumes(*bench.system, bench.log, job));
  EXPECT_EQ(bench.formatLog.lines, Texts{u"Неверный дескриптор"});
  EXPECT_EQ(job.lockedVolumes.size(), 1u);
  ReleaseLockedVolumes(job);
}

TEST(LockDriveVolumes, FailingExtendedIoDoesNotMatter) {
  ProgramBench bench = LockBench(R"(, "extended_io_error": 1)");
  EraseJob job = JobOn(0);
  EXPECT_TRUE(LockDriveVolumes(*bench.system, bench.log, job));
  EXPECT_EQ(job.lockedVolumes.size(), 2u);
  ReleaseLockedVolumes(job);
}

TEST(LockDriveVolumes, DriveWithoutVolumesLocksAtOnce) {
  ProgramBench bench = LockBench();
  EraseJob job = JobOn(7);
  EXPECT_TRUE(LockDriveVolumes(*bench.system, bench.log, job));
  EXPECT_TRUE(job.lockedVolumes.empty());
  for (const RecordedRequest& request : bench.system->Requests()) {
    if (request.call == "DeviceIoControl") {
      EXPECT_EQ(request.code, Ioctl::StorageGetDeviceNumber);
    }
  }
}

}  // namespace
}  // namespace trelvane::testing
