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
    for (std::size_t i = 1; i < ranges.size(); ++i) {
      EXPECT_GE(ranges[i].offsetBytes, ranges[i - 1].offsetBytes + ranges[i - 1].lengthBytes);
      EXPECT_EQ(ranges[i].offsetBytes % sectorSize, 0);
      if (i + 1 < ranges.size()) { EXPECT_EQ(ranges[i].lengthBytes, sectorSize); }
    }
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
  // one cannot be read; the whole drive or the sample; the finding, none when the drive passes.
  using K = ProofFinding::Kind;
  using R = ErasedRule;
  using W = Where;
  const std::tuple<R, After, W, W, bool, std::optional<K>> cases[] = {
      {R::Zeros, After::Zeros, W::Nowhere, W::Nowhere, false, {}},
      {R::Zeros, After::Old, W::Nowhere, W::Nowhere, false, K::NotZero},
      {R::Zeros, After::Zeros, W::Unsampled, W::Nowhere, false, {}},
      {R::Zeros, After::Zeros, W::Unsampled, W::Nowhere, true, K::NotZero},
      {R::Uniform, After::Ones, W::Nowhere, W::Nowhere, false, {}},
      {R::Uniform, After::Ones, W::Sampled, W::Nowhere, false, K::NotUniform},
      {R::Uniform, After::Old, W::Nowhere, W::Nowhere, false, K::NotUniform},
      {R::Uniform, After::Zeros, W::Nowhere, W::Sampled, false, K::Unreadable},
      {R::Changed, After::Fresh, W::Nowhere, W::Nowhere, false, {}},
      {R::Changed, After::Zeros, W::Nowhere, W::Nowhere, true, {}},  // the blank sectors stay blank
      {R::Changed, After::Old, W::Nowhere, W::Nowhere, false, K::Unchanged},
      {R::Changed, After::Zeros, W::Sampled, W::Nowhere, false, K::Unchanged},
      {R::Changed, After::Fresh, W::Nowhere, W::Unsampled, true, K::Unreadable},
  };
  for (const std::int64_t sectorSize : {512, 4096}) {
    const std::int64_t size = 32 * MiB;
    const std::vector<ProofRange> sample = SampleRanges(size, sectorSize);
    const std::int64_t sampled = sample[sample.size() / 2].offsetBytes, unsampled = sampled + sectorSize;
    ASSERT_LT(unsampled, sample[sample.size() / 2 + 1].offsetBytes);
    std::vector<std::uint8_t> old(std::size_t{size});
    FillRandom(old, 7);
    std::fill_n(old.begin() + 2 * MiB, sectorSize * 4, std::uint8_t{0});  // blank before the erase too
    for (const auto& [rule, after, kept, unreadable, whole, finding] : cases) {
      SCOPED_TRACE(::testing::Message() << sectorSize << " " << int(rule) << " " << int(after));
      FakeDisk disk;
      disk.bytes = old;
      const std::vector<SectorFingerprint> prints = TakeFingerprints(disk, sample, sectorSize);
      if (after == After::Fresh) FillRandom(disk.bytes, 8);
      if (after <= After::Ones) std::fill(disk.bytes.begin(), disk.bytes.end(), after == After::Ones ? 0xFF : 0);
      const std::int64_t at = (kept == W::Sampled || unreadable == W::Sampled) ? sampled : unsampled;
      if (kept != W::Nowhere) std::copy_n(old.begin() + at, sectorSize, disk.bytes.begin() + at);
      if (unreadable != W::Nowhere) disk.unreadable = at;
      const EraseProof proof = CheckErased(disk, rule, whole ? WholeDiskRanges(size) : sample, sectorSize, prints);
      EXPECT_EQ(proof.Passed(), !finding);
      if (rule == R::Uniform && !finding) { EXPECT_EQ(proof.uniformByte, 0xFF); }
      if (rule == R::Changed) { EXPECT_GT(proof.sectorsCompared, 4000u); }
      if (!finding) continue;
      ASSERT_FALSE(proof.findings.empty());
      EXPECT_EQ(proof.findings[0].kind, *finding);
      if (kept != W::Nowhere || unreadable != W::Nowhere) {
        EXPECT_EQ(proof.findings, (std::vector<ProofFinding>{{*finding, at, sectorSize}}));
      }
    }
  }
}

}  // namespace
}  // namespace trelvane
