#include "format/erase_sample_check.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "format/zero_check.h"
#include "format/zero_fill.h"
#include "text/sha256.h"

namespace trelvane {

namespace {

using SectorVisitor = std::function<void(std::int64_t offset, std::span<const std::uint8_t> sector)>;

// Reads every sector of `ranges` in blocks of up to ProofBlockBytes and hands each one to `visit`;
// a block that fails is read again sector by sector, and a sector that still fails is handed over
// empty.
void ForEachSector(SectorReader& reader, const std::vector<ProofRange>& ranges, std::int64_t sectorSize,
                   const SectorVisitor& visit, const std::function<void(double)>& progress) {
  std::int64_t total = 0, done = 0;
  for (const ProofRange& range : ranges) total += range.lengthBytes;
  std::vector<std::uint8_t> block(static_cast<std::size_t>(ProofBlockBytes));
  for (const ProofRange& range : ranges) {
    for (std::int64_t at = range.offsetBytes; at < range.offsetBytes + range.lengthBytes;) {
      const std::int64_t length = std::min(ProofBlockBytes, range.offsetBytes + range.lengthBytes - at);
      const std::span<std::uint8_t> bytes(block.data(), static_cast<std::size_t>(length));
      const bool whole = reader.Read(at, bytes);
      for (std::int64_t sector = 0; sector < length; sector += sectorSize) {
        const std::span<std::uint8_t> one = bytes.subspan(static_cast<std::size_t>(sector),
                                                          static_cast<std::size_t>(sectorSize));
        const bool ok = whole || reader.Read(at + sector, one);
        visit(at + sector, ok ? std::span<const std::uint8_t>(one) : std::span<const std::uint8_t>());
      }
      at += length;
      done += length;
      if (progress && total > 0) progress(static_cast<double>(done) / static_cast<double>(total));
    }
  }
}

// The one byte every byte of `sector` holds, if it holds only one.
std::optional<std::uint8_t> UniformByte(std::span<const std::uint8_t> sector) {
  if (sector.empty()) return std::nullopt;
  const std::uint8_t first = sector[0];
  // Compares the sector with itself one byte on: equal exactly when every byte is the first.
  if (std::memcmp(sector.data(), sector.data() + 1, sector.size() - 1) != 0) return std::nullopt;
  return first;
}

std::array<std::uint8_t, 32> Digest(std::span<const std::uint8_t> sector) {
  Sha256 hash;
  hash.Update(sector);
  return hash.Finish();
}

struct RuleRow {
  EraseMethodId method;
  ErasedRule rule;
};
constexpr std::array<RuleRow, 7> Rules = {{
    {EraseMethodId::SanitizeOverwrite, ErasedRule::Zeros},
    {EraseMethodId::SecureErase, ErasedRule::Zeros},
    {EraseMethodId::SanitizeBlock, ErasedRule::Uniform},
    {EraseMethodId::FormatUser, ErasedRule::Uniform},
    {EraseMethodId::SanitizeCrypto, ErasedRule::Changed},
    {EraseMethodId::FormatCrypto, ErasedRule::Changed},
    {EraseMethodId::SecureEraseEnhanced, ErasedRule::Changed},
}};

class Judge {
 public:
  Judge(ErasedRule rule, const std::vector<SectorFingerprint>& before) : before_(before) { proof_.rule = rule; }

  void Sector(std::int64_t offset, std::int64_t sectorSize, std::span<const std::uint8_t> sector) {
    proof_.bytesChecked += sectorSize;
    if (sector.empty()) return Wrong(ProofFinding::Kind::Unreadable, offset, sectorSize);
    switch (proof_.rule) {
      case ErasedRule::Zeros:
        if (!IsAllZero(sector)) Wrong(ProofFinding::Kind::NotZero, offset, sectorSize);
        break;
      case ErasedRule::Uniform: {
        const std::optional<std::uint8_t> byte = UniformByte(sector);
        if (byte && !proof_.uniformByte) proof_.uniformByte = byte;
        if (!byte || *byte != *proof_.uniformByte) Wrong(ProofFinding::Kind::NotUniform, offset, sectorSize);
        break;
      }
      case ErasedRule::Changed: {
        const auto print = std::lower_bound(before_.begin(), before_.end(), offset,
                                            [](const SectorFingerprint& f, std::int64_t at) { return f.offsetBytes < at; });
        if (print == before_.end() || print->offsetBytes != offset) break;
        ++proof_.sectorsCompared;
        if (Digest(sector) == print->digest) Wrong(ProofFinding::Kind::Unchanged, offset, sectorSize);
        break;
      }
    }
  }

  EraseProof Take() { return std::move(proof_); }

 private:
  void Wrong(ProofFinding::Kind kind, std::int64_t offset, std::int64_t length) {
    ++proof_.sectorsWrong;
    std::vector<ProofFinding>& findings = proof_.findings;
    if (!findings.empty() && findings.back().kind == kind &&
        findings.back().offsetBytes + findings.back().lengthBytes == offset) {
      findings.back().lengthBytes += length;
      return;
    }
    findings.push_back({kind, offset, length});
  }

  const std::vector<SectorFingerprint>& before_;
  EraseProof proof_;
};

}  // namespace

HandleSectorReader::HandleSectorReader(System& system, Handle drive)
    : system_(system), drive_(drive), buffer_(system, static_cast<std::size_t>(ProofBlockBytes)) {}

bool HandleSectorReader::Read(std::int64_t offsetBytes, std::span<std::uint8_t> bytes) {
  if (bytes.size() > static_cast<std::size_t>(ProofBlockBytes)) return false;
  std::uint32_t read = 0;
  const std::span<std::uint8_t> into(buffer_.get(), bytes.size());
  if (SeekDevice(system_, drive_, offsetBytes) != offsetBytes || !system_.ReadFile(drive_, into, read) ||
      read != bytes.size())
    return false;
  std::copy(into.begin(), into.end(), bytes.begin());
  return true;
}

ErasedRule ErasedRuleOf(EraseMethodId method) {
  for (const RuleRow& row : Rules)
    if (row.method == method) return row.rule;
  return ErasedRule::Zeros;  // the zero fill and the quick wipe
}

std::vector<ProofRange> SampleRanges(std::int64_t deviceBytes, std::int64_t sectorSize, std::size_t spread) {
  if (deviceBytes <= 2 * SampleEdgeBytes) return WholeDiskRanges(deviceBytes);
  const std::int64_t tail = deviceBytes - SampleEdgeBytes;
  std::vector<ProofRange> ranges{{0, SampleEdgeBytes}};
  const std::int64_t lastSector = deviceBytes / sectorSize - 1;
  const std::int64_t steps = static_cast<std::int64_t>(std::max<std::size_t>(spread, 2)) - 1;
  for (std::int64_t i = 0; i <= steps && spread > 0; ++i) {
    const std::int64_t offset = lastSector * i / steps * sectorSize;
    const ProofRange& last = ranges.back();
    if (offset < last.offsetBytes + last.lengthBytes || offset >= tail) continue;
    ranges.push_back({offset, sectorSize});
  }
  ranges.push_back({tail, SampleEdgeBytes});
  return ranges;
}

std::vector<ProofRange> WholeDiskRanges(std::int64_t deviceBytes) {
  if (deviceBytes <= 0) return {};
  return {{0, deviceBytes}};
}

std::vector<SectorFingerprint> TakeFingerprints(SectorReader& reader, const std::vector<ProofRange>& ranges,
                                                std::int64_t sectorSize) {
  std::vector<SectorFingerprint> prints;
  const auto visit = [&](std::int64_t offset, std::span<const std::uint8_t> sector) {
    if (sector.empty() || UniformByte(sector)) return;
    prints.push_back({offset, Digest(sector)});
  };
  ForEachSector(reader, ranges, sectorSize, visit, {});
  return prints;
}

EraseProof CheckErased(SectorReader& reader, ErasedRule rule, const std::vector<ProofRange>& ranges,
                       std::int64_t sectorSize, const std::vector<SectorFingerprint>& before,
                       const std::function<void(double)>& progress) {
  Judge judge(rule, before);
  const auto visit = [&](std::int64_t offset, std::span<const std::uint8_t> sector) {
    judge.Sector(offset, sectorSize, sector);
  };
  ForEachSector(reader, ranges, sectorSize, visit, progress);
  return judge.Take();
}

}  // namespace trelvane
