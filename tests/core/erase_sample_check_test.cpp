// The read-back proof of a firmware erase: where the sample reads, and each rule against honest
// drives and against drives that claim an erase and give old data back.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "format/erase_sample_check.h"
#include "test_support.h"

namespace trelvane {
namespace {

constexpr std::int64_t MiB = 1 << 20;

TEST(EraseSampleCheck, SampleReadsBothEdgesAndSpreadSectorsInOrder) {
  // Drive size, sector size, the number of ranges.
  const std::tuple<std::int64_t, std::int64_t, std::size_t> cases[] = {
      {1'000'204'886'016, 512, 4096}, {1'000'204'886'016, 4096, 4096}, {64 * MiB, 4096, 3970},  // 64 of the spread sectors fall inside each edge MiB
      {2 * MiB, 512, 1}, {2 * MiB + 4096, 4096, 3}};  // the one sector between the edges
  for (const auto& [bytes, sectorSize, count] : cases) {
    SCOPED_TRACE(bytes + sectorSize);
    const std::vector<ProofRange> ranges = SampleRanges(bytes, sectorSize);
    ASSERT_EQ(ranges.size(), count);
    EXPECT_EQ(ranges.front().offsetBytes, 0);
    EXPECT_EQ(ranges.back().offsetBytes + ranges.back().lengthBytes, bytes);
    if (count > 1) { EXPECT_EQ(ranges.front().lengthBytes, MiB); }
    for (std::size_t i = 1; i < ranges.size(); ++i) {
      EXPECT_GE(ranges[i].offsetBytes, ranges[i - 1].offsetBytes + ranges[i - 1].lengthBytes);
      EXPECT_EQ(ranges[i].offsetBytes % sectorSize, 0);
      if (i + 1 < ranges.size()) { EXPECT_EQ(ranges[i].lengthBytes, sectorSize); }
    }
    EXPECT_EQ(SampleRanges(bytes, sectorSize), ranges);
  }
}

struct FakeDisk final : SectorReader {
  std::vector<std::uint8_t> bytes;
  std::int64_t unreadable = -1;
  bool Read(std::int64_t offset, std::span<std::uint8_t> out) override {
    if (unreadable >= offset && unreadable < offset + std::int64_t(out.size())) return false;
    std::memcpy(out.data(), bytes.data() + offset, out.size());
    return true;
  }
};

void FillRandom(std::vector<std::uint8_t>& bytes, std::uint32_t seed) {
  for (std::uint8_t& b : bytes) b = std::uint8_t((seed = seed * 1103515245u + 12345u) >> 24);
}

enum class After { Zeros, Ones, Fresh, Old };
enum class Where { Nowhere, Sampled, Unsampled };

TEST(EraseSampleCheck, EachRuleFailsADriveThatKeptOldData) {
  // The rule; what the drive reads after the erase; where one sector kept its old data, and where
  // one cannot be read; the whole drive or the sample; whether it passes, the finding.
  using K = ProofFinding::Kind;
  struct Case {
    ErasedRule rule;
    After after;
    Where old, unreadable;
    bool whole, passes;
    K kind;
  };
  const Case cases[] = {
      {ErasedRule::Zeros, After::Zeros, Where::Nowhere, Where::Nowhere, false, true, {}},
      {ErasedRule::Zeros, After::Old, Where::Nowhere, Where::Nowhere, false, false, K::NotZero},
      {ErasedRule::Zeros, After::Zeros, Where::Unsampled, Where::Nowhere, false, true, {}},
      {ErasedRule::Zeros, After::Zeros, Where::Unsampled, Where::Nowhere, true, false, K::NotZero},
      {ErasedRule::Uniform, After::Ones, Where::Nowhere, Where::Nowhere, false, true, {}},
      {ErasedRule::Uniform, After::Ones, Where::Sampled, Where::Nowhere, false, false, K::NotUniform},
      {ErasedRule::Uniform, After::Old, Where::Nowhere, Where::Nowhere, false, false, K::NotUniform},
      {ErasedRule::Uniform, After::Zeros, Where::Nowhere, Where::Sampled, false, false, K::Unreadable},
      {ErasedRule::Changed, After::Fresh, Where::Nowhere, Where::Nowhere, false, true, {}},
      {ErasedRule::Changed, After::Zeros, Where::Nowhere, Where::Nowhere, true, true, {}},
      {ErasedRule::Changed, After::Old, Where::Nowhere, Where::Nowhere, false, false, K::Unchanged},
      {ErasedRule::Changed, After::Zeros, Where::Sampled, Where::Nowhere, false, false, K::Unchanged},
      {ErasedRule::Changed, After::Fresh, Where::Nowhere, Where::Unsampled, true, false, K::Unreadable},
  };
  for (const std::int64_t sectorSize : {512, 4096}) {
    const std::int64_t size = 32 * MiB;
    const std::vector<ProofRange> sample = SampleRanges(size, sectorSize);
    const std::int64_t sampled = sample[sample.size() / 2].offsetBytes;
    const std::int64_t unsampled = sampled + sectorSize;
    ASSERT_LT(unsampled, sample[sample.size() / 2 + 1].offsetBytes);
    std::vector<std::uint8_t> old(std::size_t{size});
    FillRandom(old, 7);
    std::fill_n(old.begin() + 2 * MiB, sectorSize * 4, std::uint8_t{0});  // blank before the erase too
    for (const Case& c : cases) {
      SCOPED_TRACE(::testing::Message() << sectorSize << " " << int(c.rule) << " " << int(c.after));
      FakeDisk disk;
      disk.bytes = old;
      const std::vector<SectorFingerprint> prints = TakeFingerprints(disk, sample, sectorSize);
      const std::uint8_t fill = c.after == After::Ones ? 0xFF : 0;
      if (c.after == After::Fresh) FillRandom(disk.bytes, 8);
      else if (c.after != After::Old) std::fill(disk.bytes.begin(), disk.bytes.end(), fill);
      const auto at = [&](Where where) { return where == Where::Sampled ? sampled : unsampled; };
      if (c.old != Where::Nowhere)
        std::copy_n(old.begin() + at(c.old), sectorSize, disk.bytes.begin() + at(c.old));
      if (c.unreadable != Where::Nowhere) disk.unreadable = at(c.unreadable);
      const EraseProof proof = CheckErased(disk, c.rule, c.whole ? WholeDiskRanges(size) : sample, sectorSize, prints);
      EXPECT_EQ(proof.Passed(), c.passes);
      if (c.rule == ErasedRule::Uniform && c.passes) { EXPECT_EQ(proof.uniformByte, 0xFF); }
      if (c.rule == ErasedRule::Changed) { EXPECT_GT(proof.sectorsCompared, 4000u); }
      if (c.passes) continue;
      ASSERT_FALSE(proof.findings.empty());
      EXPECT_EQ(proof.findings[0].kind, c.kind);
      if (c.old != Where::Nowhere || c.unreadable != Where::Nowhere) {
        const std::int64_t where = at(c.old == Where::Nowhere ? c.unreadable : c.old);
        EXPECT_EQ(proof.findings, (std::vector<ProofFinding>{{c.kind, where, sectorSize}}));
      }
    }
  }
}

}  // namespace
}  // namespace trelvane
