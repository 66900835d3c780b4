// The verification pass on emulated drives that tell the truth, fail reads, lose writes or wrap
// around: the ranges it finds, its log lines, and the bytes it leaves on the drive.

#include <gtest/gtest.h>

#include <algorithm>

#include "format/verification.h"
#include "format/zero_check.h"
#include "format/zero_fill.h"
#include "program_bench.h"
#include "text/number_text.h"
#include "text/u16.h"

namespace trelvane::testing {
namespace {

using Kind = WrongRange::Kind;
constexpr std::int64_t MiB = 1'048'576;
constexpr std::int64_t Length = 40 * MiB;  // a 32 MiB read and an 8 MiB read

struct VerifyCase {
  const char* name;
  std::int64_t sectorSize;
  std::string driveFields;           // added to drive 0 of the machine file
  std::vector<WrongRange> expected;  // the ranges found, in order
  // [from, to) of the image that must still hold the pattern afterwards; everything else is zero
  std::vector<std::pair<std::int64_t, std::int64_t>> sentinels;
  std::int64_t abortedAt = -1;        // where the pass ends because the device is gone; -1: it does not
  const char16_t* abortLine = nullptr;  // the line that says why
};

const std::string N(std::int64_t value) { return std::to_string(value); }
std::string ReadFault(std::int64_t from, std::int64_t to, int code) {
  return R"({"from": )" + N(from) + (to > 0 ? R"(, "to": )" + N(to) : "") + R"(, "read_error": )" + N(code) + "}";
}

// 3 MiB and five sectors: a real size that no stamp offset is a multiple of.
constexpr std::int64_t RealSize = 3 * MiB + 5 * 512;
constexpr const char16_t* GoneLine = u"Устройство было отключено, прерывание...";

const VerifyCase Cases[] = {
    {"clean", 512, "", {}, {}},
    {"clean 4096", 4096, "", {}, {}},
    {"read error range", 512, R"(, "faults": [)" + ReadFault(5 * MiB + 512, 5 * MiB + 4096, 23) + "]",
     {{Kind::Unreadable, 5 * MiB + 512, 5 * MiB + 4096, 23}},
     {}},
    // Adjacent, with different codes: two lines, never one range with the first code.
    {"two codes 4096", 4096,
     R"(, "faults": [)" + ReadFault(5 * MiB + 4096, 5 * MiB + 12288, 23) + ", " +
         ReadFault(5 * MiB + 12288, 5 * MiB + 16384, 1117) + "]",
     {{Kind::Unreadable, 5 * MiB + 4096, 5 * MiB + 12288, 23}, {Kind::Unreadable, 5 * MiB + 12288, 5 * MiB + 16384, 1117}},
     {}},
    // The stamp at 33 MiB is lost with the zeros around it.
    {"lost writes", 512,
     R"(, "lost_writes": [{"from": )" + N(33 * MiB - 1024) + R"(, "to": )" + N(33 * MiB + 2048) + "}]",
     {{Kind::NotZero, 33 * MiB - 1024, 33 * MiB, 0},
      {Kind::LostWrite, 33 * MiB, 33 * MiB + 512, 0},
      {Kind::NotZero, 33 * MiB + 512, 33 * MiB + 2048, 0}},
     {{33 * MiB - 1024, 33 * MiB + 2048}}},
    {"lost writes 4096", 4096,
     R"(, "lost_writes": [{"from": )" + N(33 * MiB - 8192) + R"(, "to": )" + N(33 * MiB + 8192) + "}]",
     {{Kind::NotZero, 33 * MiB - 8192, 33 * MiB, 0},
      {Kind::LostWrite, 33 * MiB, 33 * MiB + 4096, 0},
      {Kind::NotZero, 33 * MiB + 4096, 33 * MiB + 8192, 0}},
     {{33 * MiB - 8192, 33 * MiB + 8192}}},
    {"wrap-around", 512, R"(, "wraps_at": )" + N(RealSize),
     {{Kind::Wrapped, RealSize, Length, 0}},
     {{RealSize, Length}}},
    // Unplugged in the second block: the pass ends at its start, nothing of it counted either way.
    {"device gone", 512, R"(, "faults": [)" + ReadFault(33 * MiB + 4096, 0, 55) + "]", {}, {}, 32 * MiB, GoneLine},
    // A bad sector is still found while the device is there; the pass ends where it is gone.
    {"bad sector then gone 4096", 4096,
     R"(, "faults": [)" + ReadFault(33 * MiB, 33 * MiB + 4096, 27) + ", " + ReadFault(36 * MiB, 0, 2) + "]",
     {{Kind::Unreadable, 33 * MiB, 33 * MiB + 4096, 27}}, {}, 36 * MiB, GoneLine},
    {"size changed", 512, R"(, "faults": [)" + ReadFault(36 * MiB, 0, 1110) + "]", {}, {}, 32 * MiB,
     u"Размер устройства изменился во время форматирования, прерывание..."},
};

class Verification : public ::testing::TestWithParam<VerifyCase> {};

TEST_P(Verification, FindsEveryWrongRangeOnceAndLeavesTheRestZero) {
  const VerifyCase& test = GetParam();
  const bool aborted = test.abortedAt >= 0;
  const std::string drive = R"([{"number": 0, "length": )" + N(Length) + R"(, "sector_size": )" + N(test.sectorSize) +
                            R"(, "image": "d0.img")" + test.driveFields + "}]";
  ProgramBench bench(MachineJson(drive), SelectedDisk{Length / test.sectorSize, test.sectorSize}, {{"d0.img", Length, 0}});
  SelectedDriveJob selected = bench.Job();
  ASSERT_EQ(RunZeroFill(*bench.system, selected.job, bench.log, bench.view).ending, EraseRunOutcome::Ending::Completed);
  const VerificationOutcome outcome = RunVerification(*bench.system, selected.job, bench.log, bench.view);

  EXPECT_EQ(outcome.ranges, test.expected);
  EXPECT_EQ(outcome.aborted, aborted);
  EXPECT_EQ(outcome.Clean(), test.expected.empty() && !aborted);
  EXPECT_EQ(outcome.bytesChecked, aborted ? test.abortedAt : Length);
  std::int64_t wrong = 0;
  for (const WrongRange& range : test.expected) wrong += range.to - range.from;
  EXPECT_EQ(outcome.bytesWrong, wrong);
  EXPECT_LE(outcome.bytesWrong, outcome.bytesChecked);
  // One line per range, between the opening line and the closing ones.
  const auto texts = bench.LogTexts();
  const auto opening = std::find(texts.begin(), texts.end(), u"Проверка записи...");
  ASSERT_NE(opening, texts.end());
  EXPECT_EQ(texts.end() - opening, static_cast<std::ptrdiff_t>(test.expected.size()) + (aborted ? 5 : 3));
  EXPECT_EQ(texts.back(), u"Проверено байт: " + GroupDigits(outcome.bytesChecked) + u", найдено ошибочных байт: " +
                              GroupDigits(wrong));
  if (aborted) {
    EXPECT_EQ(texts.end()[-4], test.abortLine);
    EXPECT_EQ(texts.end()[-2], u"Проверка прекращена по смещению " + GroupDigits(test.abortedAt));
    // A device found gone is written no more: its stamps stay where they are.
    const auto& requests = bench.system->Requests();
    const auto failed = std::find_if(requests.rbegin(), requests.rend(),
                                     [](const RecordedRequest& r) { return r.call == "ReadFile" && !r.ok; });
    ASSERT_NE(failed, requests.rend());
    EXPECT_TRUE(std::none_of(requests.rbegin(), failed, [](const RecordedRequest& r) { return r.call == "WriteFile"; }));
    return;
  }

  const std::vector<unsigned char> image = bench.Image("d0.img");
  std::int64_t at = 0;
  for (const auto& [from, to] : test.sentinels) {
    EXPECT_EQ(FirstUnexpectedByte(image, at, from, true, 0), -1) << "zero before " << from;
    EXPECT_EQ(FirstUnexpectedByte(image, from, to, false, 0), -1) << "sentinel at " << from;
    at = to;
  }
  EXPECT_EQ(FirstUnexpectedByte(image, at, Length, true, 0), -1) << "zero after " << at;
}

// A device that acknowledges writes, keeps nothing and reads zeros (no image) passes a zero check;
// every stamp it loses is a lost write.
TEST(Verification, StampsThatReadBackAsZerosAreLostWrites) {
  const std::string drive = R"([{"number": 0, "length": )" + N(Length) + "}]";
  ProgramBench bench(MachineJson(drive), SelectedDisk{Length / 512});
  SelectedDriveJob selected = bench.Job();
  RunZeroFill(*bench.system, selected.job, bench.log, bench.view);
  const VerificationOutcome outcome = RunVerification(*bench.system, selected.job, bench.log, bench.view);

  EXPECT_FALSE(outcome.Clean());
  ASSERT_FALSE(outcome.ranges.empty());
  for (const WrongRange& range : outcome.ranges) EXPECT_EQ(range.kind, Kind::LostWrite);
  EXPECT_EQ(outcome.ranges.back(), (WrongRange{Kind::LostWrite, Length - 512, Length, 0}));
  EXPECT_EQ(outcome.bytesWrong, static_cast<std::int64_t>(outcome.ranges.size()) * 512);
  const auto texts = bench.LogTexts();
  EXPECT_NE(std::find(texts.begin(), texts.end(), u"Устройство не сохранило записанные данные: смещение 0, длина 512 байт"),
            texts.end());
}

INSTANTIATE_TEST_SUITE_P(Outcomes, Verification, ::testing::ValuesIn(Cases),
                         [](const auto& param) {
                           std::string name = param.param.name;
                           for (char& c : name)
                             if (c == ' ' || c == '-') c = '_';
                           return name;
                         });

// Also on a wrapping drive: the wrapped range ends where the pass stopped, never counting more than
// it read.
class VerificationStop : public ::testing::TestWithParam<bool> {};

TEST_P(VerificationStop, StopEndsThePassUnsuccessfulAndRemovesItsStamps) {
  const bool wraps = GetParam();
  const std::string drive = R"([{"number": 0, "length": )" + N(Length) + R"(, "image": "d0.img")" +
                            (wraps ? R"(, "wraps_at": )" + N(RealSize) : "") + "}]";
  ProgramBench bench(MachineJson(drive), SelectedDisk{Length / 512}, {{"d0.img", Length, 0}});
  SelectedDriveJob selected = bench.Job();
  RunZeroFill(*bench.system, selected.job, bench.log, bench.view);
  bench.view.processMessagesCalls = 0;
  // The first call follows the opening line, the second comes before the first block, the third
  // before the second block.
  bench.view.onProcessMessages = [&](int call) {
    if (call == 3) bench.stopRequested = true;
  };
  const VerificationOutcome outcome = RunVerification(*bench.system, selected.job, bench.log, bench.view);

  EXPECT_TRUE(outcome.stopped);
  EXPECT_FALSE(outcome.Clean());
  EXPECT_EQ(outcome.bytesChecked, 32 * MiB);
  const std::vector<WrongRange> wrapped{{Kind::Wrapped, RealSize, 32 * MiB, 0}};
  EXPECT_EQ(outcome.ranges, wraps ? wrapped : std::vector<WrongRange>{});
  EXPECT_LE(outcome.bytesWrong, outcome.bytesChecked);
  EXPECT_FALSE(bench.stopRequested);
  const auto texts = bench.LogTexts();
  ASSERT_GE(texts.size(), 2u);
  EXPECT_EQ(texts[texts.size() - 2], u"Проверка отменена по смещению " + GroupDigits(32 * MiB));
  if (!wraps) {
    EXPECT_EQ(FirstUnexpectedByte(bench.Image("d0.img"), 0, Length, true, 0), -1);
  }
}

INSTANTIATE_TEST_SUITE_P(PlainAndWrapping, VerificationStop, ::testing::Bool());

TEST(ZeroCheck, FindsOneByteAnywhereInALargeBlock) {
  std::vector<std::uint8_t> block(3 * 16'384 + 100, 0);
  EXPECT_TRUE(IsAllZero(block));
  for (const std::size_t at : {std::size_t{0}, std::size_t{16'383}, std::size_t{16'384}, block.size() - 1}) {
    block[at] = 1;
    EXPECT_FALSE(IsAllZero(block)) << at;
    block[at] = 0;
  }
}

}  // namespace
}  // namespace trelvane::testing
