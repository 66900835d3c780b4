// The zero fill on an emulated machine: the log lines, the progress display, the requests it sends
// and the bytes it leaves in the drive images.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "format/erase_method.h"
#include "format/zero_fill.h"
#include "format/wipe_extents.h"
#include "format/write_errors.h"
#include "program_bench.h"
#include "text/number_text.h"
#include "text/u16.h"

namespace trelvane::testing {
namespace {

using Ending = EraseRunOutcome::Ending;
using Texts = std::vector<std::u16string>;

constexpr std::int64_t KiB64 = 65536;


// Drive 0 with an image of `length` bytes and `more` fields, and drive 1 with an image that no run
// may touch.
ProgramBench ImagedBench(std::int64_t length, const std::string& more = "", std::int64_t sectorSize = 512) {
  const std::string drives = "[" + DriveJson(0, length, R"(, "image": "d0.img", "sector_size": )" +
                                                            std::to_string(sectorSize) + more) +
                             ", " + DriveJson(1, 4 * KiB64, R"(, "image": "d1.img")") + "]";
  return ProgramBench(MachineJson(drives), SelectedDisk{length / sectorSize, sectorSize},
                      {{"d0.img", length, 0}, {"d1.img", 4 * KiB64, 1}});
}

EraseRunOutcome Fill(ProgramBench& bench, const EraseMethod& method = WholeDiskZeroFill()) {
  SelectedDriveJob selected = bench.Job(method);
  return RunZeroFill(*bench.system, selected.job, bench.log, bench.view);
}

// Expects d0.img (`length` bytes) to hold zeros exactly over `zeroed` (in order, not overlapping) and
// its pattern everywhere else, and d1.img to be untouched.
void ExpectImages(const ProgramBench& bench, std::int64_t length, const std::vector<WipeExtent>& zeroed) {
  const std::vector<unsigned char> image = bench.Image("d0.img");
  ASSERT_EQ(static_cast<std::int64_t>(image.size()), length);
  std::int64_t at = 0;
  for (const WipeExtent& extent : zeroed) {
    EXPECT_EQ(FirstUnexpectedByte(image, at, extent.from, false, 0), -1) << "before " << extent.from;
    EXPECT_EQ(FirstUnexpectedByte(image, extent.from, extent.to, true, 0), -1) << "in " << extent.from;
    at = extent.to;
  }
  EXPECT_EQ(FirstUnexpectedByte(image, at, length, false, 0), -1) << "after " << at;
  EXPECT_EQ(FirstUnexpectedByte(bench.Image("d1.img"), 0, 4 * KiB64, false, 1), -1) << "drive 1";
}

std::vector<std::int64_t> Offsets(const std::vector<RecordedRequest>& requests) {
  std::vector<std::int64_t> offsets;
  for (const RecordedRequest& request : requests) offsets.push_back(request.offset);
  return offsets;
}

std::vector<std::int64_t> Sizes(const std::vector<RecordedRequest>& requests) {
  std::vector<std::int64_t> sizes;
  for (const RecordedRequest& request : requests) sizes.push_back(request.size);
  return sizes;
}

// 515 sectors: four 64 KiB blocks and a last block of 1,536 bytes.
constexpr std::int64_t OddLength = 515 * 512;

TEST(ZeroFill, FullRunZeroesTheWholeDriveAndTrimsTheLastBlock) {
  ProgramBench bench = ImagedBench(OddLength);
  const EraseRunOutcome outcome = Fill(bench);

  EXPECT_EQ(outcome.ending, Ending::Completed);
  EXPECT_EQ(outcome.bytesNotWritten, 0);
  EXPECT_EQ(bench.LogTexts(), (Texts{u"Средняя скорость: ", u"Низкоуровневое форматирование завершено."}));
  ExpectImages(bench, OddLength, {{0, OddLength}});

  const auto writes = bench.Requests("WriteFile");
  EXPECT_EQ(Offsets(writes), (std::vector<std::int64_t>{0, KiB64, 2 * KiB64, 3 * KiB64, 4 * KiB64}));
  EXPECT_EQ(Sizes(writes), (std::vector<std::int64_t>{KiB64, KiB64, KiB64, KiB64, 1536}));
  // Every write is preceded by a seek to its offset; the flush follows the last write.
  const auto& requests = bench.system->Requests();
  ASSERT_EQ(requests.size(), 11u);
  for (std::size_t i = 0; i < 10; i += 2) {
    EXPECT_EQ(requests[i].call, "SetFilePointerEx");
    EXPECT_EQ(requests[i].offset, requests[i + 1].offset);
  }
  EXPECT_EQ(requests[10].call, "FlushFileBuffers");

  EXPECT_EQ(bench.view.positions, (std::vector<int>{25, 50, 75, 99, 100, 100}));
  EXPECT_EQ(bench.view.percentCaptions.back(), u"Запись: 100% завершено");
  EXPECT_EQ(bench.view.positionCaptions,
            (Texts{u"Текущий сектор: 128", u"Текущий сектор: 256", u"Текущий сектор: 384",
                   u"Текущий сектор: 512", u"Текущий сектор: 515"}));
  EXPECT_EQ(bench.view.processMessagesCalls, 1 + 5);
  // A frozen clock gives no elapsed time, so the speed caption is never set.
  EXPECT_TRUE(bench.view.speedCaptions.empty());
}

TEST(ZeroFill, EmptyDriveCompletesWithoutWriting) {
  ProgramBench bench(MachineJson("[" + DriveJson(0, 0) + "]"), SelectedDisk{0});
  bench.view.speed = u"7,5 МБ/с";  // the previous run's figure stays
  const EraseRunOutcome outcome = Fill(bench);

  EXPECT_EQ(outcome.ending, Ending::Completed);
  EXPECT_EQ(outcome.bytesNotWritten, 0);
  EXPECT_EQ(bench.LogTexts(),
            (Texts{u"Средняя скорость: 7,5 МБ/с", u"Низкоуровневое форматирование завершено."}));
  EXPECT_TRUE(bench.Requests("WriteFile").empty());
  EXPECT_EQ(bench.view.positions, (std::vector<int>{100}));
}

// 16 MiB: the head of 10,240,000 bytes and the tail of 1 MiB are apart.
constexpr std::int64_t LargeLength = 16 * 1048576;

// Runs that walk to the end of their extents past refused blocks, seeks or flushes.
struct CompletedRun {
  const char* name;
  std::int64_t sectorSize;
  std::int64_t length;
  std::string more;  // drive 0's fields
  std::int64_t notWritten;
  Texts errorLines;  // before the speed line
  std::vector<WipeExtent> zeroed;
  std::vector<std::int64_t> writeOffsets;  // pinned when not empty
  const char16_t* flushLine = nullptr;     // the failed flush's line, before the closing one
  bool quick = false;
};

const char16_t* const Protected19 =
    u"Ошибка форматирования произошла по смещению 0, длина 196,608 байт:   19 - Носитель защищен от записи";

const CompletedRun CompletedRuns[] = {
    // Write protection concerns the whole device: blocks are not split, and the contiguous refused
    // blocks are one line.
    {"write_protected", 512, 3 * KiB64, R"(, "faults": [{"from": 0, "write_error": 19}])", 3 * KiB64,
     {Protected19}, {}, {0, KiB64, 2 * KiB64}},
    {"write_protected_4096", 4096, 3 * KiB64, R"(, "faults": [{"from": 0, "write_error": 19}])", 3 * KiB64,
     {Protected19}, {}, {0, KiB64, 2 * KiB64}},
    {"failed_seek", 512, 4 * KiB64, R"(, "faults": [{"seek_error_at": 65536}])", KiB64,
     {u"Ошибка поиска произошла по смещению 65,536"}, {{0, KiB64}, {2 * KiB64, 4 * KiB64}}, {0, 2 * KiB64, 3 * KiB64}},
    // Only the refused sectors stay: with the code's text, or without one for an unknown code.
    {"write_errors", 512, 5 * KiB64,
     R"(, "faults": [{"from": 65536, "to": 65537, "write_error": 1117}, {"from": 196608, "to": 262144, "write_error": 27}])",
     512 + KiB64,
     {u"Ошибка форматирования произошла по смещению 65,536, длина 512 байт:   1117 - Ошибка устройства ввода-вывода",
      u"Ошибка форматирования произошла по смещению 196,608, длина 65,536 байт:   27"},
     {{0, KiB64}, {KiB64 + 512, 3 * KiB64}, {4 * KiB64, 5 * KiB64}}, {}},
    {"write_errors_4096", 4096, 5 * KiB64,
     R"(, "faults": [{"from": 65536, "to": 65537, "write_error": 1117}, {"from": 196608, "to": 262144, "write_error": 27}])",
     4096 + KiB64,
     {u"Ошибка форматирования произошла по смещению 65,536, длина 4096 байт:   1117 - Ошибка устройства ввода-вывода",
      u"Ошибка форматирования произошла по смещению 196,608, длина 65,536 байт:   27"},
     {{0, KiB64}, {KiB64 + 4096, 3 * KiB64}, {4 * KiB64, 5 * KiB64}}, {}},
    // The code of a disk held elsewhere, once something was written, is only a block that failed.
    {"in_use_after_the_first_write", 512, 4 * KiB64,
     R"(, "faults": [{"from": 65536, "to": 65537, "write_error": 32}])", KiB64,
     {u"Ошибка форматирования произошла по смещению 65,536, длина 65,536 байт:   32"},
     {{0, KiB64}, {2 * KiB64, 4 * KiB64}}, {}},
    {"failed_flush", 512, 2 * KiB64, R"(, "flush_error": 1117)", 0, {}, {{0, 2 * KiB64}}, {},
     u"Устройство не подтвердило сохранение записанных данных на носителе:   1117 - "
     u"Запрос не был выполнен из-за ошибки ввода/вывода на устройстве"},
    {"failed_flush_after_a_skipped_block", 4096, 2 * KiB64,
     R"(, "flush_error": 21, "faults": [{"from": 0, "to": 1, "write_error": 21}])", KiB64,
     {u"Ошибка форматирования произошла по смещению 0, длина 65,536 байт:   21 - Устройство не готово (тайм-аут)"},
     {{KiB64, 2 * KiB64}}, {},
     u"Устройство не подтвердило сохранение записанных данных на носителе:   21 - Устройство не готово"},
    // The tail is one block of 1 MiB (see QuickWipeOfALargeDrive...); a fault in its last 64 KiB
    // leaves only those, logged at their drive offset.
    {"quick_wipe_tail_error", 512, LargeLength, R"(, "faults": [{"from": 16711680, "write_error": 1117}])", KiB64,
     {u"Ошибка форматирования произошла по смещению 16,711,680, длина 65,536 байт:   1117 - Ошибка устройства ввода-вывода"},
     {{0, 10'240'000}, {LargeLength - 1'048'576, LargeLength - KiB64}}, {}, nullptr, true},
};

void PrintTo(const CompletedRun& run, std::ostream* out) { *out << run.name; }
class ZeroFillCompleted : public ::testing::TestWithParam<CompletedRun> {};

TEST_P(ZeroFillCompleted, LeavesOnlyTheRefusedBytesAndLogsEachRangeOnce) {
  const CompletedRun& run = GetParam();
  ProgramBench bench = ImagedBench(run.length, run.more, run.sectorSize);
  const EraseRunOutcome outcome = Fill(bench, run.quick ? QuickWipe() : WholeDiskZeroFill());

  EXPECT_EQ(outcome.ending, Ending::Completed);
  EXPECT_EQ(outcome.bytesNotWritten, run.notWritten);
  EXPECT_EQ(outcome.flushed, run.flushLine == nullptr);
  EXPECT_EQ(outcome.WholeAndFlushed(), run.notWritten == 0 && run.flushLine == nullptr);
  std::int64_t failed = 0;
  for (const FailedWrite& range : outcome.failedWrites) failed += range.length;
  EXPECT_EQ(failed, run.notWritten);
  Texts lines = run.errorLines;
  lines.push_back(u"Средняя скорость: ");
  if (run.flushLine != nullptr) lines.push_back(run.flushLine);
  lines.push_back(u"Низкоуровневое форматирование завершено.");
  if (run.notWritten != 0) lines.push_back(u"Не записано байт: " + GroupDigits(run.notWritten));
  EXPECT_EQ(bench.LogTexts(), lines);
  ExpectImages(bench, run.length, run.zeroed);
  if (!run.writeOffsets.empty()) {
    EXPECT_EQ(Offsets(bench.Requests("WriteFile")), run.writeOffsets);
  }
}

INSTANTIATE_TEST_SUITE_P(Faults, ZeroFillCompleted, ::testing::ValuesIn(CompletedRuns),
                         [](const auto& row) { return std::string(row.param.name); });

// On a frozen clock block 100 is the first of 32 MiB: [335,478,784, 369,033,216).
constexpr std::int64_t BigBlockAt = 335'478'784;
constexpr std::int64_t MiB32 = 33'554'432;

struct SectorFault {
  std::int64_t sector;  // counted from the start of the 32 MiB block
  std::int64_t sectors;
  int code;
};

struct SplitCase {
  std::int64_t sectorSize;
  std::vector<SectorFault> faults;
  Texts lines;  // the failed ranges' lines
};

class ZeroFillSplit : public ::testing::TestWithParam<SplitCase> {};

// A block that fails is written again in halves down to single sectors: zeros reach right up to the
// refused sectors, and only those keep their old data.
TEST_P(ZeroFillSplit, OnlyTheRefusedSectorsOfA32MiBBlockStayUnwritten) {
  const SplitCase& c = GetParam();
  const std::int64_t length = BigBlockAt + MiB32;
  std::string faults;
  std::vector<WipeExtent> refused;
  for (const SectorFault& fault : c.faults) {
    const std::int64_t from = BigBlockAt + fault.sector * c.sectorSize;
    refused.push_back({from, from + fault.sectors * c.sectorSize});
    faults += std::string(faults.empty() ? "" : ", ") + R"({"from": )" + std::to_string(from) + R"(, "to": )" +
              std::to_string(refused.back().to) + R"(, "write_error": )" + std::to_string(fault.code) + "}";
  }
  ProgramBench bench(MachineJson("[" + DriveJson(0, length, R"(, "sector_size": )" + std::to_string(c.sectorSize) +
                                                                R"(, "image": "d0.img", "faults": [)" + faults + "]") +
                                 "]"),
                     SelectedDisk{length / c.sectorSize, c.sectorSize});
  // Old data in the 32 MiB block only; the rest of the image stays sparse.
  std::vector<char> old(static_cast<std::size_t>(MiB32));
  for (std::int64_t i = 0; i < MiB32; ++i) old[static_cast<std::size_t>(i)] = static_cast<char>(PatternByte(BigBlockAt + i, 0));
  {
    std::ofstream image(bench.dir.path() / "d0.img", std::ios::binary);
    image.seekp(BigBlockAt);
    image.write(old.data(), MiB32);
  }
  const EraseRunOutcome outcome = Fill(bench);

  std::int64_t refusedBytes = 0;
  for (const WipeExtent& range : refused) refusedBytes += range.to - range.from;
  EXPECT_EQ(outcome.ending, Ending::Completed);
  EXPECT_EQ(outcome.bytesNotWritten, refusedBytes);
  Texts lines = c.lines;
  for (const char16_t* line : {u"Средняя скорость: ", u"Низкоуровневое форматирование завершено."}) lines.push_back(line);
  lines.push_back(u"Не записано байт: " + GroupDigits(refusedBytes));
  EXPECT_EQ(bench.LogTexts(), lines);
  ASSERT_EQ(outcome.failedWrites.size(), c.faults.size());
  for (std::size_t i = 0; i < c.faults.size(); ++i) {
    EXPECT_EQ(outcome.failedWrites[i].offset, refused[i].from);
    EXPECT_EQ(outcome.failedWrites[i].offset + outcome.failedWrites[i].length, refused[i].to);
    EXPECT_EQ(outcome.failedWrites[i].code, static_cast<std::uint32_t>(c.faults[i].code));
  }
  const auto writes = bench.Requests("WriteFile");
  const auto big = std::find_if(writes.begin(), writes.end(), [](const RecordedRequest& w) { return w.size == MiB32; });
  ASSERT_NE(big, writes.end());
  EXPECT_EQ(big->offset, BigBlockAt);
  // Halving finds each range in a few dozen writes, not one per sector.
  EXPECT_LT(writes.end() - big, 40 * static_cast<std::ptrdiff_t>(c.faults.size()));

  std::ifstream image(bench.dir.path() / "d0.img", std::ios::binary);
  image.seekg(BigBlockAt);
  ASSERT_TRUE(image.read(old.data(), MiB32));
  std::int64_t at = BigBlockAt;
  for (const WipeExtent& range : refused) {
    for (std::int64_t i = at; i < range.to; ++i) {
      const auto expected = i < range.from ? 0 : PatternByte(i, 0);
      ASSERT_EQ(static_cast<unsigned char>(old[static_cast<std::size_t>(i - BigBlockAt)]), expected) << "byte " << i;
    }
    at = range.to;
  }
  for (std::int64_t i = at; i < length; ++i) ASSERT_EQ(old[static_cast<std::size_t>(i - BigBlockAt)], 0) << "byte " << i;
}

INSTANTIATE_TEST_SUITE_P(
    SectorSizes, ZeroFillSplit,
    ::testing::Values(
        SplitCase{512,
                  {{0, 1, 23}, {3000, 3, 1117}},
                  {u"Ошибка форматирования произошла по смещению 335,478,784, длина 512 байт:   23",
                   u"Ошибка форматирования произошла по смещению 337,014,784, длина 1536 байт:   1117 - "
                   u"Ошибка устройства ввода-вывода"}},
        // The last sector of the block is the drive's last.
        SplitCase{4096,
                  {{5001, 2, 27}, {8191, 1, 1117}},
                  {u"Ошибка форматирования произошла по смещению 355,962,880, длина 8192 байт:   27",
                   u"Ошибка форматирования произошла по смещению 369,029,120, длина 4096 байт:   1117 - "
                   u"Ошибка устройства ввода-вывода"}}));

// A disk that refuses every write: after 256 refused sectors in a row the blocks are skipped whole, so
// the run costs a bounded number of writes more than one per block, and its log one line.
TEST(ZeroFill, DiskRefusingEveryWriteEndsAfterABoundedNumberOfExtraWrites) {
  const std::int64_t length = 256 * 1048576;
  for (const std::int64_t sectorSize : {512, 4096}) {
    const std::string drive = R"(, "sector_size": )" + std::to_string(sectorSize);
    ProgramBench healthy(MachineJson("[" + DriveJson(0, length, drive) + "]"), SelectedDisk{length / sectorSize, sectorSize});
    Fill(healthy);
    const std::size_t blocks = healthy.Requests("WriteFile").size();
    ProgramBench bench(MachineJson("[" + DriveJson(0, length, drive + R"(, "faults": [{"from": 0, "write_error": 1117}])") + "]"),
                       SelectedDisk{length / sectorSize, sectorSize});
    const EraseRunOutcome outcome = Fill(bench);

    EXPECT_EQ(outcome.ending, Ending::Completed);
    EXPECT_EQ(outcome.bytesNotWritten, length);
    ASSERT_EQ(outcome.failedWrites.size(), 1u);
    EXPECT_EQ(outcome.failedWrites[0].length, length);
    EXPECT_EQ(bench.LogTexts(),
              (Texts{u"Ошибка форматирования произошла по смещению 0, длина 268,435,456 байт:   1117 - "
                     u"Ошибка устройства ввода-вывода",
                     u"Средняя скорость: ", u"Низкоуровневое форматирование завершено.",
                     u"Не записано байт: 268,435,456"}));
    const std::size_t writes = bench.Requests("WriteFile").size();
    EXPECT_GT(writes, blocks) << sectorSize;
    EXPECT_LE(writes, blocks + 2 * 256) << sectorSize;
  }
}

// Runs that end before their extents do: the device gone or changed at a block, Stop honoured after
// the current block, and Stop, a vanished device or a disk held elsewhere honoured between the pieces
// of a split block. Nothing is flushed and the Stop flag is cleared.
struct Interrupted {
  const char* name;
  std::int64_t sectorSize;
  std::int64_t length;
  std::string more;  // drive 0's fields
  int stopAtCall;  // of ProcessMessages; 0: never
  Ending ending;
  std::int64_t notWritten;  // -1: not pinned
  Texts lines;
  std::vector<WipeExtent> zeroed;
  std::size_t writes = 0;  // 0: not pinned
};

std::string FaultAt(std::int64_t from, int code) {
  return R"({"from": )" + std::to_string(from) + R"(, "write_error": )" + std::to_string(code) + "}";
}
std::string Faults(const std::string& list) { return R"(, "faults": [)" + list + "]"; }

const char16_t* const Gone = u"Устройство было отключено, прерывание...";
const char16_t* const Split1117 =
    u"Ошибка форматирования произошла по смещению 0, длина 512 байт:   1117 - Ошибка устройства ввода-вывода";
constexpr const char* Refused0 = R"({"from": 0, "to": 512, "write_error": 1117})";

const Interrupted InterruptedRuns[] = {
    {"gone_55", 512, 6 * KiB64, Faults(FaultAt(131072, 55)), 0, Ending::Aborted, 4 * KiB64,
     {u"Ошибка форматирования произошла по смещению 131,072, длина 65,536 байт:   55 - Носитель был отключен", Gone,
      u"Средняя скорость: ", u"Операция прекращена по смещению 131,072    LBA 256"},
     {{0, 2 * KiB64}}, 3},
    {"gone_2_4096", 4096, 6 * KiB64, Faults(FaultAt(131072, 2)), 0, Ending::Aborted, 4 * KiB64,
     {u"Ошибка форматирования произошла по смещению 131,072, длина 65,536 байт:   2 - Носитель был отключен", Gone,
      u"Средняя скорость: ", u"Операция прекращена по смещению 131,072    LBA 32"},
     {{0, 2 * KiB64}}, 3},
    {"changed_1110", 512, 6 * KiB64, Faults(FaultAt(131072, 1110)), 0, Ending::Aborted, 4 * KiB64,
     {u"Ошибка форматирования произошла по смещению 131,072, длина 65,536 байт:   1110 - Носитель был заменен",
      u"Размер устройства изменился во время форматирования, прерывание...", u"Средняя скорость: ",
      u"Операция прекращена по смещению 131,072    LBA 256"},
     {{0, 2 * KiB64}}, 3},
    // Call 1 is before the loop; call 4 is during block 3, which is still written.
    {"stop_after_the_current_block", 512, 8 * KiB64, "", 4, Ending::Stopped, 5 * KiB64,
     {u"Средняя скорость: ", u"Операция отменена по смещению 196,608    LBA 384"}, {{0, 3 * KiB64}}},
    // Call 1 is before the loop, 2 before block 1, 3 to 15 before the pieces of its first half (halved
    // down to the refused sector 0, then its neighbours), 16 before its second half: pieces [0, 32K)
    // (its sector 0 refused, the rest written), then [32K, 64K), stopped before it.
    {"split_stop", 512, 2 * KiB64, Faults(Refused0), 16, Ending::Stopped, -1,
     {Split1117, u"Средняя скорость: ", u"Операция отменена по смещению 32,768    LBA 64"}, {{512, 32768}}},
    {"split_gone", 512, 2 * KiB64, Faults(std::string(Refused0) + ", " + FaultAt(32768, 55)), 0, Ending::Aborted, -1,
     {Split1117, u"Ошибка форматирования произошла по смещению 32,768, длина 32,768 байт:   55 - Носитель был отключен",
      Gone, u"Средняя скорость: ", u"Операция прекращена по смещению 32,768    LBA 64"},
     {{512, 32768}}},
    // A disk held by another program refuses the first write, or nothing written yet when the first
    // piece meets it: the format is refused, not a failed block.
    {"in_use_at_the_first_write", 4096, 4 * KiB64, R"(, "claim_error": 32)", 0, Ending::Refused, 4 * KiB64,
     {DeviceInUseLine}, {}, 1},
    {"split_in_use", 512, 2 * KiB64,
     Faults(R"({"from": 32768, "to": 33280, "write_error": 1117}, {"from": 0, "to": 512, "write_error": 32})"), 0,
     Ending::Refused, -1, {DeviceInUseLine}, {}},
};

void PrintTo(const Interrupted& run, std::ostream* out) { *out << run.name; }
class ZeroFillInterrupted : public ::testing::TestWithParam<Interrupted> {};

TEST_P(ZeroFillInterrupted, EndsTheRunWhereItsCauseWasSeen) {
  const Interrupted& run = GetParam();
  ProgramBench bench = ImagedBench(run.length, run.more, run.sectorSize);
  bench.view.onProcessMessages = [&](int call) {
    if (call == run.stopAtCall) bench.stopRequested = true;
  };
  const EraseRunOutcome outcome = Fill(bench);
  EXPECT_EQ(outcome.ending, run.ending);
  if (run.notWritten >= 0) {
    EXPECT_EQ(outcome.bytesNotWritten, run.notWritten);
  }
  EXPECT_EQ(bench.LogTexts(), run.lines);
  ExpectImages(bench, run.length, run.zeroed);
  EXPECT_FALSE(bench.stopRequested);
  EXPECT_TRUE(bench.Requests("FlushFileBuffers").empty());
  if (run.writes != 0) {
    EXPECT_EQ(bench.Requests("WriteFile").size(), run.writes);
  }
}

INSTANTIATE_TEST_SUITE_P(GoneChangedStoppedOrInUse, ZeroFillInterrupted, ::testing::ValuesIn(InterruptedRuns),
                         [](const auto& row) { return std::string(row.param.name); });


TEST(ZeroFill, StopPressedInTheBlockThatFindsTheDeviceGoneCancelsTheNextRunAtOffsetZero) {
  const std::int64_t length = 4 * KiB64;
  ProgramBench bench = ImagedBench(length, R"(, "faults": [{"from": 65536, "write_error": 55}])");
  bench.view.onProcessMessages = [&](int call) {
    if (call == 3) bench.stopRequested = true;
  };
  EXPECT_EQ(Fill(bench).ending, Ending::Aborted);
  EXPECT_TRUE(bench.stopRequested);

  bench.formatLog.lines.clear();
  bench.view.onProcessMessages = nullptr;
  const EraseRunOutcome second = Fill(bench);
  EXPECT_EQ(second.ending, Ending::Stopped);
  EXPECT_EQ(second.bytesNotWritten, length);
  EXPECT_FALSE(bench.stopRequested);
  EXPECT_EQ(bench.LogTexts(), (Texts{u"Средняя скорость: ", u"Операция отменена по смещению 0    LBA 0"}));
  ExpectImages(bench, length, {{0, KiB64}});
}

TEST(ZeroFill, QuickWipeOfALargeDriveZeroesTheHeadAndTheTailOnly) {
  ProgramBench bench = ImagedBench(LargeLength);
  const EraseRunOutcome outcome = Fill(bench, QuickWipe());

  EXPECT_EQ(outcome.ending, Ending::Completed);
  EXPECT_EQ(outcome.bytesNotWritten, 0);
  const std::int64_t tailStart = LargeLength - 1048576;
  ExpectImages(bench, LargeLength, {{0, 10'240'000}, {tailStart, LargeLength}});
  EXPECT_EQ(bench.LogTexts(), (Texts{u"Средняя скорость: ", u"Низкоуровневое форматирование завершено."}));

  // The head's last block is trimmed to end at 10,240,000; the tail goes on with the grown block
  // size (1 MiB from block 50 on a frozen clock), not the trimmed one.
  const auto writes = bench.Requests("WriteFile");
  std::size_t tailFirst = 0;
  while (tailFirst < writes.size() && writes[tailFirst].offset < tailStart) ++tailFirst;
  ASSERT_GT(tailFirst, 0u);
  ASSERT_LT(tailFirst, writes.size());
  EXPECT_EQ(writes[tailFirst - 1].offset + writes[tailFirst - 1].size, 10'240'000);
  EXPECT_EQ(writes[tailFirst].offset, tailStart);
  EXPECT_EQ(tailFirst, 49u);
  EXPECT_EQ(writes[tailFirst - 1].size, 344'064);
  EXPECT_EQ(writes[tailFirst].size, 1'048'576);
  EXPECT_EQ(writes.back().offset + writes.back().size, LargeLength);

  // Percent counts both extents; the sector label shows where on the drive the run is.
  const std::size_t headBlocks = tailFirst;
  EXPECT_EQ(bench.view.positionCaptions[headBlocks - 1], u"Текущий сектор: 20,000");
  EXPECT_EQ(bench.view.percentCaptions[headBlocks - 1], u"Запись: 91% завершено");
  EXPECT_EQ(bench.view.positionCaptions.back(), u"Текущий сектор: 32,768");
  EXPECT_EQ(bench.view.percentCaptions.back(), u"Запись: 100% завершено");
  // The amount counts the extents' bytes too, not the drive's.
  EXPECT_TRUE(bench.view.amountCaptions.back().starts_with(u"11,2 из 11,2 МБ, прошло "))
      << ToUtf8(bench.view.amountCaptions.back());
}

TEST(ZeroFill, QuickWipeOfADriveSmallerThanBothExtentsWritesItWholeOnce) {
  for (const std::int64_t length : {std::int64_t{8 * 1048576}, std::int64_t{10'240'000 + 1048576 - 512}}) {
    ProgramBench bench = ImagedBench(length);
    EXPECT_EQ(Fill(bench, QuickWipe()).ending, Ending::Completed);
    ExpectImages(bench, length, {{0, length}});
    std::int64_t written = 0;
    std::int64_t expectedOffset = 0;
    for (const RecordedRequest& write : bench.Requests("WriteFile")) {
      EXPECT_EQ(write.offset, expectedOffset);
      expectedOffset += write.size;
      written += write.size;
    }
    EXPECT_EQ(written, length);
  }
}

// A drive without an image: writes are counted and discarded, so large drives cost nothing.
std::vector<std::int64_t> BlockSizes(std::int64_t length, int clockStepMs, const std::string& more = "") {
  ProgramBench bench(MachineJson("[" + DriveJson(0, length, more) + "]", "[]", clockStepMs), SelectedDisk{length / 512});
  Fill(bench);
  return Sizes(bench.Requests("WriteFile"));
}

TEST(ZeroFill, BlockSizeDoublesAtMostOncePerTenBlocksWhileTenBlocksTakeUnderASecond) {
  // A frozen clock: every tenth block from the 20th doubles, up to 32 MiB; the last block is trimmed.
  const std::int64_t length = 400 * 1048576 + 4096;
  const std::vector<std::int64_t> sizes = BlockSizes(length, 0);
  std::int64_t sum = 0;
  for (std::size_t i = 0; i < sizes.size(); ++i) {
    const std::size_t block = i + 1;
    const std::int64_t expected = block < 20 ? KiB64 : std::min<std::int64_t>(KiB64 << ((block - 10) / 10), 33'554'432);
    if (i + 1 < sizes.size()) {
      EXPECT_EQ(sizes[i], expected) << "block " << block;
    }
    sum += sizes[i];
  }
  EXPECT_EQ(sum, length);
  EXPECT_LT(sizes.back(), 33'554'432);

  // Ten blocks that take a second or more keep the block size: the clock moves a whole second at
  // every reading.
  EXPECT_EQ(BlockSizes(60 * KiB64, 1000), std::vector<std::int64_t>(60, KiB64));
}

TEST(ZeroFill, SpeedIsTheAverageSinceTheStartWithTheRegionalSeparator) {
  // 16 blocks of 64 KiB with the clock moving 100 ms at every reading: well under 1 MB/s.
  const std::int64_t length = 16 * KiB64;
  ProgramBench bench(MachineJson("[" + DriveJson(0, length) + "]", "[]", 100, R"(, "decimal_separator": ".")"),
                     SelectedDisk{length / 512});
  Fill(bench);
  ASSERT_FALSE(bench.view.speedCaptions.empty());
  for (const std::u16string& caption : bench.view.speedCaptions) {
    EXPECT_TRUE(caption.size() == 25 && caption.starts_with(u"Скорость записи: 0.") && caption.ends_with(u" МБ/с"))
        << ToUtf8(caption);
  }
  EXPECT_EQ(bench.LogTexts(), (Texts{u"Средняя скорость: " + bench.view.speedCaptions.back().substr(17),
                                     u"Низкоуровневое форматирование завершено."}));
}

}  // namespace
}  // namespace trelvane::testing
