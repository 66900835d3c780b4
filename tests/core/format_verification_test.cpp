// The verification pass on emulated drives that tell the truth, fail reads, lose writes or wrap
// around: the ranges it finds, its log lines, and the bytes it leaves on the drive.

#include <gtest/gtest.h>

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
  std::string driveFields;           // added to drive 0 of the machine file
  std::vector<WrongRange> expected;  // the ranges found, in order
  // [from, to) of the image that must still hold the pattern afterwards; everything else is zero
  std::vector<std::pair<std::int64_t, std::int64_t>> sentinels;
};

const std::string N(std::int64_t value) { return std::to_string(value); }

// 3 MiB and five sectors: a real size that no stamp offset is a multiple of.
constexpr std::int64_t RealSize = 3 * MiB + 5 * 512;

const VerifyCase Cases[] = {
    {"clean", "", {}, {}},
    {"read error range",
     R"(, "faults": [{"from": )" + N(5 * MiB + 512) + R"(, "to": )" + N(5 * MiB + 4096) + R"(, "read_error": 23}])",
     {{Kind::Unreadable, 5 * MiB + 512, 5 * MiB + 4096, 23}},
     {}},
    {"lost writes",
     R"(, "lost_writes": [{"from": )" + N(33 * MiB - 1024) + R"(, "to": )" + N(33 * MiB + 2048) + "}]",
     {{Kind::NotZero, 33 * MiB - 1024, 33 * MiB + 2048, 0}},
     {{33 * MiB - 1024, 33 * MiB + 2048}}},
    {"wrap-around", R"(, "wraps_at": )" + N(RealSize),
     {{Kind::Wrapped, RealSize, Length, 0}},
     {{RealSize, Length}}},
};

class Verification : public ::testing::TestWithParam<VerifyCase> {};

TEST_P(Verification, FindsEveryWrongRangeOnceAndLeavesTheRestZero) {
  const VerifyCase& test = GetParam();
  const std::string drive = R"([{"number": 0, "length": )" + N(Length) + R"(, "image": "d0.img")" + test.driveFields + "}]";
  ProgramBench bench(MachineJson(drive), SelectedDisk{Length / 512}, {{"d0.img", Length, 0}});
  ASSERT_EQ(RunZeroFill(*bench.system, bench.state, bench.log, bench.view, false).ending,
            ZeroFillOutcome::Ending::Completed);
  const VerificationOutcome outcome = RunVerification(*bench.system, bench.state, bench.log, bench.view, false);

  EXPECT_EQ(outcome.ranges, test.expected);
  EXPECT_EQ(outcome.Clean(), test.expected.empty());
  EXPECT_EQ(outcome.bytesChecked, Length);
  std::int64_t wrong = 0;
  for (const WrongRange& range : test.expected) wrong += range.to - range.from;
  EXPECT_EQ(outcome.bytesWrong, wrong);
  // One line per range, between the opening and the closing line.
  const auto texts = bench.LogTexts();
  const auto opening = std::find(texts.begin(), texts.end(), u"Проверка записи...");
  ASSERT_NE(opening, texts.end());
  EXPECT_EQ(texts.end() - opening, static_cast<std::ptrdiff_t>(test.expected.size()) + 2);
  EXPECT_EQ(texts.back(), u"Проверено байт: " + GroupDigits(Length) + u", найдено ошибочных байт: " + GroupDigits(wrong));

  const std::vector<unsigned char> image = bench.Image("d0.img");
  std::int64_t at = 0;
  for (const auto& [from, to] : test.sentinels) {
    EXPECT_EQ(FirstUnexpectedByte(image, at, from, true, 0), -1) << "zero before " << from;
    EXPECT_EQ(FirstUnexpectedByte(image, from, to, false, 0), -1) << "sentinel at " << from;
    at = to;
  }
  EXPECT_EQ(FirstUnexpectedByte(image, at, Length, true, 0), -1) << "zero after " << at;
}

INSTANTIATE_TEST_SUITE_P(Outcomes, Verification, ::testing::ValuesIn(Cases),
                         [](const auto& param) {
                           std::string name = param.param.name;
                           for (char& c : name)
                             if (c == ' ' || c == '-') c = '_';
                           return name;
                         });

TEST(VerificationStop, StopEndsThePassUnsuccessfulAndRemovesItsStamps) {
  const std::string drive = R"([{"number": 0, "length": )" + N(Length) + R"(, "image": "d0.img"}])";
  ProgramBench bench(MachineJson(drive), SelectedDisk{Length / 512}, {{"d0.img", Length, 0}});
  RunZeroFill(*bench.system, bench.state, bench.log, bench.view, false);
  bench.view.processMessagesCalls = 0;
  // The first call follows the opening line, the second comes before the first block, the third
  // before the second block.
  bench.view.onProcessMessages = [&](int call) {
    if (call == 3) bench.state.StopRequested = true;
  };
  const VerificationOutcome outcome = RunVerification(*bench.system, bench.state, bench.log, bench.view, false);

  EXPECT_TRUE(outcome.stopped);
  EXPECT_FALSE(outcome.Clean());
  EXPECT_EQ(outcome.bytesChecked, 32 * MiB);
  EXPECT_FALSE(bench.state.StopRequested);
  const auto texts = bench.LogTexts();
  ASSERT_GE(texts.size(), 2u);
  EXPECT_EQ(texts[texts.size() - 2], u"Проверка отменена по смещению " + GroupDigits(32 * MiB));
  EXPECT_EQ(FirstUnexpectedByte(bench.Image("d0.img"), 0, Length, true, 0), -1);
}

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
