// The format command around the zero fill: confirmation, header, lock, refresh, release, reminder
// and the controls, on an emulated machine.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <tuple>
#include <stdexcept>

#include "format/format_command.h"
#include "format/write_errors.h"
#include "program_bench.h"
#include "text/u16.h"
#include "os/win_constants.h"

namespace trelvane::testing {
namespace {

using Texts = std::vector<std::u16string>;
using Events = std::vector<std::string>;

constexpr std::int64_t Length = 4 * 65536;

// Drive 0 (4 blocks, imaged) carries C: and E:; `eMore` adds faults to E:.
ProgramBench CommandBench(const std::string& eMore = "", const std::string& moreSystem = "") {
  const std::string drives = R"([{"number": 0, "length": 262144, "image": "d0.img"}])";
  const std::string volumes = R"([{"root": "C:\\", "device_number": 0, "partition": 1},
                                  {"root": "E:\\", "device_number": 0, "partition": 2)" + eMore + "}]";
  return ProgramBench(MachineJson(drives, volumes, 0, moreSystem), SelectedDisk{Length / 512}, {{"d0.img", Length, 0}});
}

FormatCommandOutcome Format(ProgramBench& bench, const EraseRequest& request = {}) {
  return FormatCommand(*bench.system, bench.state, bench.log, bench.view, bench.controls, bench.dialogs, request,
                       StopToken(bench.stopRequested));
}

const Texts Header{u" ",
                   u"=================================================",
                   u"Trelvane 4.40; https://trelvane.org",
                   u"Низкоуровневое форматирование: [0]  EMU DISK    1.0",
                   u"Емкость устройства: 512 секторов",
                   u"Блокировка устройства... "};

Texts With(Texts first, const Texts& more) {
  first.insert(first.end(), more.begin(), more.end());
  return first;
}

// Index of the first request matching `call` (and `path`/`code` when given); -1 when none.
std::ptrdiff_t Find(const ProgramBench& bench, const std::string& call, const std::u16string& path = u"",
                    std::uint32_t code = 0) {
  const auto& requests = bench.system->Requests();
  const auto found = std::find_if(requests.begin(), requests.end(), [&](const RecordedRequest& request) {
    return request.call == call && (path.empty() || request.path == path) && (code == 0 || request.code == code);
  });
  return found == requests.end() ? -1 : found - requests.begin();
}

// Index of the close of the handle that locked `volume`; -1 when it was not closed.
std::ptrdiff_t FindReleaseOf(const ProgramBench& bench, const std::u16string& volume) {
  const auto& requests = bench.system->Requests();
  const auto lockOpen = std::find_if(requests.begin(), requests.end(), [&](const RecordedRequest& request) {
    return request.call == "CreateFile" && request.path == volume && request.access == Access::GenericRead;
  });
  if (lockOpen == requests.end()) return -1;
  const auto close = std::find_if(lockOpen, requests.end(), [&](const RecordedRequest& request) {
    return request.call == "CloseHandle" && request.handle == lockOpen->handle;
  });
  return close == requests.end() ? -1 : close - requests.begin();
}

TEST(FormatCommand, AsksForConfirmationWithTheDriveTitle) {
  ProgramBench bench = CommandBench();
  Format(bench);
  ASSERT_EQ(bench.dialogs.taskDialogs.size(), 1u);
  const TaskDialogCall& call = bench.dialogs.taskDialogs[0];
  EXPECT_NE(call.entry, 0u);
  EXPECT_EQ(call.title, u"Предупреждение");
  EXPECT_EQ(call.instruction, u"Все данные на выбранном устройстве будут потеряны");
  EXPECT_EQ(call.content,
            u"Вы абсолютно уверены, что хотите безвозвратно уничтожить все данные на этом устройстве?\r\n\r\n"
            u"[0]  EMU DISK    1.0\r\n\r\n"
            u"Способ: полное заполнение нулями\r\n"
            u"Будет записано нулями: весь диск, 262,144 байт (262,14 КБ)\r\n"
            u"Ожидаемое время: около 1 с (при 50,0 МБ/с)\r\n"
            u"Проверка чтением: не будет выполнена\r\n"
            u"Подключенных томов на диске нет");
  EXPECT_EQ(call.buttons, 10);
  EXPECT_EQ(call.icon, 84);
}

// What will be written and read, for how long at the bus's typical speed, and which volumes go.
TEST(FormatCommand, ConfirmationSaysWhatTheRunWillDo) {
  const std::tuple<const EraseMethod*, bool, std::int64_t, std::int64_t, std::int64_t, const char16_t*, const char16_t*>
      rows[] = {
          {&WholeDiskZeroFill(), true, 4096, 4'882'812'500, BusTypeNvme, u"sdb1 sdb2",
           u"весь диск, 20,000,000,000,000 байт (20000 ГБ)\r\nОжидаемое время: около 27 ч 46 мин 40 с (при 400,0 МБ/с)"
           u"\r\nПроверка чтением: будет выполнена\r\nБудут отключены тома: sdb1 sdb2"},
          {&QuickWipe(), false, 512, 3'907'029'168, 11, u"",
           u"начало и конец диска, 11,288,576 из 2,000,398,934,016 байт\r\nОжидаемое время: около 1 с (при 100,0 "
           u"МБ/с)\r\nПроверка чтением: не будет выполнена\r\nПодключенных томов на диске нет"},
          {&QuickWipe(), true, 4096, 2'560, 7, u"E:",
           u"весь диск, 10,485,760 байт (10,48 МБ)\r\nОжидаемое время: около 1 с (при 25,0 МБ/с)\r\n"
           u"Проверка чтением: будет выполнена\r\nБудут отключены тома: E:"}};
  for (const auto& [method, verify, sectorSize, sectors, bus, volumes, plan] : rows) {
    ProgramBench bench = CommandBench();
    bench.dialogs.pressed = PressedButton::Cancel;
    TIdentifyDeviceData& drive = bench.state.SelectedEntry().IdentifyData;
    std::tie(drive.SectorSize, drive.LBA, drive.BusType) = std::tie(sectorSize, sectors, bus);
    bench.state.SelectedEntry().AssociatedPartitions = volumes;
    Format(bench, EraseRequest{method, verify, std::nullopt});
    ASSERT_EQ(bench.dialogs.taskDialogs.size(), 1u);
    const std::u16string& content = bench.dialogs.taskDialogs[0].content;
    EXPECT_TRUE(content.ends_with(std::u16string(u"\r\nБудет записано нулями: ") + plan)) << ToUtf8(content);
  }
}

TEST(FormatCommand, AnyAnswerButYesDoesNothingAtAll) {
  for (const int pressed : {PressedButton::Cancel, PressedButton::Ok, PressedButton::Close, 0}) {
    ProgramBench bench = CommandBench();
    bench.dialogs.pressed = pressed;
    const FormatCommandOutcome outcome = Format(bench);
    EXPECT_FALSE(outcome.confirmed);
    EXPECT_TRUE(bench.formatLog.lines.empty());
    EXPECT_TRUE(bench.controls.events.empty());
    EXPECT_TRUE(bench.system->Requests().empty());
    EXPECT_EQ(FirstUnexpectedByte(bench.Image("d0.img"), 0, Length, false, 0), -1);
  }
}

TEST(FormatCommand, MissingTaskDialogCountsAsRefusal) {
  ProgramBench bench = CommandBench("", R"(, "modules": {"comctl32.dll": {"absent": true}})");
  EXPECT_FALSE(Format(bench).confirmed);
  EXPECT_TRUE(bench.dialogs.taskDialogs.empty());
  EXPECT_TRUE(bench.formatLog.lines.empty());
  EXPECT_TRUE(bench.system->Requests().empty());
}

TEST(FormatCommand, FullRunLogsHeaderRunAndReminderAndRestoresTheControls) {
  ProgramBench bench = CommandBench();
  const FormatCommandOutcome outcome = Format(bench);

  EXPECT_TRUE(outcome.confirmed);
  EXPECT_TRUE(outcome.locked);
  EXPECT_EQ(outcome.run.ending, EraseRunOutcome::Ending::Completed);
  EXPECT_EQ(outcome.run.bytesNotWritten, 0);
  EXPECT_EQ(bench.LogTexts(),
            With(Header, {u"Форматирование... ", u"Средняя скорость: ", u"Низкоуровневое форматирование завершено.",
                          u"", u"Не забудьте создать новые разделы."}));
  // The empty message is the stamp and the writer's separator alone.
  EXPECT_EQ(bench.formatLog.lines[9], BenchStamp);
  EXPECT_EQ(bench.controls.events,
            (Events{"FormatButton 0", "SmartButton 0", "EraseOptions 0", "Stop 1", "FocusStop", "Stop 0",
                    "FormatButton 1", "SmartButton 1", "EraseOptions 1"}));
  EXPECT_EQ(bench.view.states, (std::vector<ProgressState>{ProgressState::Normal, ProgressState::Paused}));
  EXPECT_EQ(FirstUnexpectedByte(bench.Image("d0.img"), 0, Length, true, 0), -1);

  // Lock, writes, flush, refresh of the drive, then the release of the volumes.
  const std::u16string drive = u"\\\\.\\PhysicalDrive0";
  const auto refresh = Find(bench, "DeviceIoControl", drive, Ioctl::DiskUpdateProperties);
  ASSERT_GE(refresh, 0);
  const RecordedRequest& request = bench.system->Requests()[static_cast<std::size_t>(refresh)];
  EXPECT_TRUE(request.in.empty());
  EXPECT_EQ(request.outSize, 0u);
  EXPECT_LT(Find(bench, "DeviceIoControl", u"\\\\.\\E:", Ioctl::FsctlLockVolume), Find(bench, "WriteFile"));
  EXPECT_LT(Find(bench, "FlushFileBuffers"), refresh);
  EXPECT_GT(FindReleaseOf(bench, u"\\\\.\\C:"), refresh);
  EXPECT_GT(FindReleaseOf(bench, u"\\\\.\\E:"), FindReleaseOf(bench, u"\\\\.\\C:"));
  // The run held the drive's handle and gave it back open.
  EXPECT_TRUE(bench.state.DriveHandle.IsOpen());
  EXPECT_EQ(Find(bench, "CloseHandle", drive), -1);
}

TEST(FormatCommand, LockRefusalWritesNothingAndLogsNoReminder) {
  ProgramBench bench = CommandBench(R"(, "lock_error": 5)");
  const FormatCommandOutcome outcome = Format(bench);

  EXPECT_TRUE(outcome.confirmed);
  EXPECT_FALSE(outcome.locked);
  EXPECT_EQ(bench.LogTexts(),
            With(Header, {u"Невозможно заблокировать устройство. Убедитесь, что у вас нет открытых файлов на "
                          u"этом устройстве и повторите попытку. "}));
  EXPECT_EQ(bench.controls.events, (Events{"FormatButton 0", "SmartButton 0", "EraseOptions 0", "FormatButton 1",
                                           "SmartButton 1", "EraseOptions 1"}));
  EXPECT_TRUE(bench.view.states.empty());
  EXPECT_EQ(Find(bench, "WriteFile"), -1);
  EXPECT_EQ(Find(bench, "SetFilePointerEx"), -1);
  // The refresh is sent after a failed lock too, and C:, locked before E: refused, is released.
  const auto refresh = Find(bench, "DeviceIoControl", u"\\\\.\\PhysicalDrive0", Ioctl::DiskUpdateProperties);
  ASSERT_GE(refresh, 0);
  EXPECT_GT(FindReleaseOf(bench, u"\\\\.\\C:"), refresh);
  EXPECT_LT(FindReleaseOf(bench, u"\\\\.\\E:"), refresh);  // refused: closed at once
  EXPECT_TRUE(bench.state.DriveHandle.IsOpen());
  EXPECT_EQ(FirstUnexpectedByte(bench.Image("d0.img"), 0, Length, false, 0), -1);
  // C: is unlocked, so its file system comes back, before its handle closes.
  const auto unlock = Find(bench, "DeviceIoControl", u"\\\\.\\C:", Ioctl::FsctlUnlockVolume);
  EXPECT_GT(unlock, refresh);
  EXPECT_LT(unlock, FindReleaseOf(bench, u"\\\\.\\C:"));
  EXPECT_EQ(ProgramBench::Texts(bench.debugLog), Texts{});  // not in debug mode
}

// A refused format gives back what it took; the debug log says so, the format log names what stayed off.
TEST(FormatCommand, RefusedFormatGivesTheVolumesBack) {
  for (const bool unlockFails : {false, true}) {
    ProgramBench bench(MachineJson(R"([{"number": 0, "length": 262144}])",
                                   std::string(R"([{"root": "C:\\", "device_number": 0, "partition": 1)") +
                                       (unlockFails ? R"(, "unlock_error": 21)" : "") +
                                       R"(}, {"root": "E:\\", "device_number": 0, "partition": 2, "lock_error": 5}])"),
                       SelectedDisk{Length / 512});
    bench.state.DebugMode = true;
    Format(bench);
    const Texts debug = ProgramBench::Texts(bench.debugLog);
    const bool cameBack = std::find(debug.begin(), debug.end(), u"Том \\\\.\\C: снова подключен.") != debug.end();
    EXPECT_EQ(cameBack, !unlockFails);
    const Texts log = bench.LogTexts();
    EXPECT_EQ(log.back() == u"Не удалось снова подключить том \\\\.\\C::   21 - Устройство не готово. Том остался отключенным.",
              unlockFails)
        << ToUtf8(log.back());
  }
}

// A run left by an exception (a fatal box, a failing platform) still lets the volumes go, C: first.
TEST(FormatCommand, ExceptionDuringTheRunReleasesTheLockedVolumes) {
  const std::vector<std::function<void()>> failures{[] { throw ProgramTermination{3}; },
                                                    [] { throw std::runtime_error("device gone"); }};
  for (const auto& fail : failures) {
    ProgramBench bench = CommandBench();
    bench.view.onProcessMessages = [&](int) { fail(); };
    EXPECT_ANY_THROW(Format(bench));
    EXPECT_TRUE(bench.state.DriveHandle.IsOpen());
    EXPECT_GT(FindReleaseOf(bench, u"\\\\.\\C:"), Find(bench, "DeviceIoControl", u"\\\\.\\E:", Ioctl::FsctlLockVolume));
    EXPECT_GT(FindReleaseOf(bench, u"\\\\.\\E:"), FindReleaseOf(bench, u"\\\\.\\C:"));
    EXPECT_EQ(Find(bench, "CloseHandle", u"\\\\.\\PhysicalDrive0"), -1);
  }
}

// A disk that refuses the claim of the whole disk, with both volumes locked and dismounted: nothing is
// written, both file systems come back before their handles close, the log names the programs the
// system saw holding the disk, and no partition reminder follows.
TEST(FormatCommand, RunRefusedAtTheClaimUnlocksTheVolumesAndNamesTheOpeners) {
  struct Case {
    const char* drive;  // added to drive 0
    Texts named;        // the naming line, when there is one
  };
  const Case cases[] = {
      {R"(, "claim_error": 32)", {}},
      {R"(, "openers": [{"program": "dd", "pid": 1234}])", {u"Диск открыт другой программой: dd (PID 1234)"}},
      {R"(, "openers": [{"program": "qemu-system-x86", "pid": 77}, {"program": "dd", "pid": 4000000000}])",
       {u"Диск открыт другими программами: qemu-system-x86 (PID 77), dd (PID 4000000000)"}},
  };
  for (const Case& c : cases) {
    const std::string drives = std::string(R"([{"number": 0, "length": 262144, "image": "d0.img")") + c.drive + "}]";
    const std::string volumes = R"([{"root": "C:\\", "device_number": 0, "partition": 1},
                                    {"root": "E:\\", "device_number": 0, "partition": 2}])";
    ProgramBench bench(MachineJson(drives, volumes), SelectedDisk{Length / 512}, {{"d0.img", Length, 0}});
    const FormatCommandOutcome outcome = Format(bench);
    EXPECT_TRUE(outcome.locked) << c.drive;
    EXPECT_EQ(outcome.run.ending, EraseRunOutcome::Ending::Refused) << c.drive;
    EXPECT_EQ(bench.LogTexts(), With(With(Header, {u"Форматирование... ", DeviceInUseLine}), c.named)) << c.drive;
    EXPECT_EQ(FirstUnexpectedByte(bench.Image("d0.img"), 0, Length, false, 0), -1) << c.drive;
    for (const std::u16string volume : {u"\\\\.\\C:", u"\\\\.\\E:"}) {
      const auto unlock = Find(bench, "DeviceIoControl", volume, Ioctl::FsctlUnlockVolume);
      EXPECT_GT(unlock, Find(bench, "WriteFile")) << c.drive;
      EXPECT_LT(unlock, FindReleaseOf(bench, volume)) << c.drive;
    }
    EXPECT_TRUE(bench.state.DriveHandle.IsOpen());
  }
}

// A write-protected disk is refused before anything is locked, with one line instead of one per block.
TEST(FormatCommand, WriteProtectedDiskIsRefusedBeforeTheLock) {
  ProgramBench bench(MachineJson(R"([{"number": 0, "length": 262144, "image": "d0.img", "read_only": true}])",
                                 R"([{"root": "C:\\", "device_number": 0, "partition": 1}])"),
                     SelectedDisk{Length / 512}, {{"d0.img", Length, 0}});
  const FormatCommandOutcome outcome = Format(bench);
  EXPECT_TRUE(outcome.writeProtected);
  EXPECT_FALSE(outcome.locked);
  EXPECT_EQ(bench.LogTexts(), With(Header, {WriteProtectedLine}));
  EXPECT_EQ(Find(bench, "DeviceIoControl", u"", Ioctl::FsctlLockVolume), -1);
  EXPECT_EQ(Find(bench, "WriteFile"), -1);
  EXPECT_EQ(bench.controls.events.back(), "EraseOptions 1");
  EXPECT_EQ(FirstUnexpectedByte(bench.Image("d0.img"), 0, Length, false, 0), -1);

  // Every write refused one by one (read-only since the run began): nothing written, no reminder.
  ProgramBench later(MachineJson(R"([{"number": 0, "length": 262144, "faults": [{"from": 0, "write_error": 19}]}])"),
                     SelectedDisk{Length / 512});
  EXPECT_EQ(Format(later).run.ending, EraseRunOutcome::Ending::Completed);
  EXPECT_EQ(later.LogTexts().back(), u"Не записано байт: 262,144");
}

TEST(FormatCommand, StopDuringTheRunIsFollowedByTheCleanUpAndTheReminder) {
  ProgramBench bench = CommandBench();
  bench.view.onProcessMessages = [&](int call) {
    if (call == 3) bench.stopRequested = true;
  };
  const FormatCommandOutcome outcome = Format(bench);
  EXPECT_EQ(outcome.run.ending, EraseRunOutcome::Ending::Stopped);
  EXPECT_EQ(bench.LogTexts(),
            With(Header, {u"Форматирование... ", u"Средняя скорость: ",
                          u"Операция отменена по смещению 131,072    LBA 256", u"",
                          u"Не забудьте создать новые разделы."}));
  EXPECT_GE(Find(bench, "DeviceIoControl", u"\\\\.\\PhysicalDrive0", Ioctl::DiskUpdateProperties), 0);
  EXPECT_TRUE(bench.state.DriveHandle.IsOpen());
  EXPECT_EQ(bench.view.states.back(), ProgressState::Paused);
}

TEST(FormatCommand, QuickWipeRequestWritesOnlyTheHeadAndTheTail) {
  const std::int64_t length = 16 * 1048576;
  ProgramBench bench(MachineJson(R"([{"number": 0, "length": 16777216}])"), SelectedDisk{length / 512});
  const FormatCommandOutcome outcome = Format(bench, {&QuickWipe(), false, std::nullopt});
  EXPECT_EQ(outcome.method, &QuickWipe());
  EXPECT_EQ(outcome.run.ending, EraseRunOutcome::Ending::Completed);
  std::int64_t written = 0;
  for (const RecordedRequest& write : bench.Requests("WriteFile")) written += write.size;
  EXPECT_EQ(written, 10'240'000 + 1'048'576);
  // The log does not say which of the two was chosen.
  EXPECT_EQ(bench.LogTexts()[3], u"Низкоуровневое форматирование: [0]  EMU DISK    1.0");
  EXPECT_EQ(bench.LogTexts().size(), 11u);
}

// A method that writes nothing and notes what it was asked, on which drive and through which handle.
class NotingMethod final : public EraseMethod {
 public:
  explicit NotingMethod(EraseRunOutcome::Ending ending) { outcome_.ending = ending; }
  std::vector<WipeExtent> Extents(std::int64_t deviceBytes) const override { return {{0, deviceBytes}}; }
  EraseRunOutcome Run(System&, EraseJob& job, DiagnosticLog&, ProgressView&) const override {
    calls.push_back("run " + std::to_string(job.drive.DeviceNumber) + " " + std::to_string(job.lockedVolumes.size()) +
                    (job.handle.IsOpen() ? " open" : " closed"));
    return outcome_;
  }
  VerificationOutcome Verify(System&, EraseJob&, DiagnosticLog&, ProgressView&, const EraseRunOutcome&) const override {
    calls.push_back("verify");
    return {};
  }
  EraseMethodNames Names() const override { return {"noting", "none", "", "", false}; }
  mutable std::vector<std::string> calls;

 private:
  EraseRunOutcome outcome_;
};

// The command hands the run and its verification to the requested method alone, with the job of the
// selected drive holding its handle and its two locked volumes; only a completed run is verified.
TEST(FormatCommand, RunsAndVerifiesThroughTheRequestedMethod) {
  using Ending = EraseRunOutcome::Ending;
  for (const Ending ending : {Ending::Completed, Ending::Stopped, Ending::Aborted})
    for (const bool verify : {false, true}) {
      ProgramBench bench = CommandBench();
      const NotingMethod method(ending);
      const FormatCommandOutcome outcome = Format(bench, {&method, verify, std::nullopt});
      std::vector<std::string> expected{"run 0 2 open"};
      if (verify && ending == Ending::Completed) expected.push_back("verify");
      EXPECT_EQ(method.calls, expected) << static_cast<int>(ending);
      EXPECT_EQ(outcome.method, &method);
      EXPECT_EQ(outcome.verification.has_value(), verify && ending == Ending::Completed);
      EXPECT_EQ(Find(bench, "WriteFile"), -1);
      EXPECT_TRUE(bench.state.DriveHandle.IsOpen());
    }
}

TEST(FormatCommand, TwoCommandsInARowGiveTwoHeaderBlocks) {
  ProgramBench bench = CommandBench();
  Format(bench);
  const std::size_t first = bench.formatLog.lines.size();
  const FormatCommandOutcome second = Format(bench);
  EXPECT_EQ(second.run.ending, EraseRunOutcome::Ending::Completed);
  const Texts texts = bench.LogTexts();
  ASSERT_EQ(texts.size(), 2 * first);
  EXPECT_EQ(Texts(texts.begin(), texts.begin() + static_cast<std::ptrdiff_t>(first)),
            Texts(texts.begin() + static_cast<std::ptrdiff_t>(first), texts.end()));
  EXPECT_EQ(bench.Requests("WriteFile").size(), 8u);
  EXPECT_EQ(bench.dialogs.taskDialogs.size(), 2u);
}

}  // namespace
}  // namespace trelvane::testing
