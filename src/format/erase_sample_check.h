#pragma once
// The proof that a firmware erase did what the drive said: the drive is read back, as a sample or
// whole, and judged by what the method leaves behind. An overwrite with zeros leaves zeros; a block
// erase or a user data erase leaves one byte repeated over every sector (zeros, ones or a byte of
// the vendor's choosing); a cryptographic erase leaves whatever the old data decrypts to under a
// new key, so no sector may read back as it was before. For that last rule the sampled sectors are
// fingerprinted (SHA-256, in memory only) before the erase.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "format/aligned_block.h"
#include "format/firmware_erase_choice.h"
#include "os/system.h"

namespace trelvane {

// Where the proof reads: a fake in tests, the job's handle otherwise.
class SectorReader {
 public:
  virtual ~SectorReader() = default;
  // Reads bytes.size() bytes (whole sectors, at most ProofBlockBytes) at `offsetBytes`; false when
  // the device did not deliver them all.
  virtual bool Read(std::int64_t offsetBytes, std::span<std::uint8_t> bytes) = 0;
};

inline constexpr std::int64_t ProofBlockBytes = 1 << 20;

// Reads through an open drive handle, into memory fit for unbuffered reads.
class HandleSectorReader final : public SectorReader {
 public:
  HandleSectorReader(System& system, Handle drive);
  bool Read(std::int64_t offsetBytes, std::span<std::uint8_t> bytes) override;

 private:
  System& system_;
  Handle drive_;
  AlignedBlock buffer_;
};

enum class ErasedRule : std::uint8_t {
  Zeros,    // every byte zero
  Uniform,  // one byte value over every sector read
  Changed,  // no sector that held data before reads back as it was
};
// The rule of a firmware method. A normal security erase writes zeros; an enhanced one writes a
// pattern of the vendor's choosing or changes the key, so only "changed" holds for every drive.
ErasedRule ErasedRuleOf(EraseMethodId method);

struct ProofRange {
  std::int64_t offsetBytes = 0;
  std::int64_t lengthBytes = 0;
  friend bool operator==(const ProofRange&, const ProofRange&) = default;
};

inline constexpr std::int64_t SampleEdgeBytes = 1 << 20;
inline constexpr std::size_t SampleSpreadSectors = 4096;

// The sample: the first and the last MiB, and `spread` sectors spaced evenly from the first sector
// to the last; always the same for one size. A drive of two MiB or less is read whole. In
// increasing order, none overlapping.
std::vector<ProofRange> SampleRanges(std::int64_t deviceBytes, std::int64_t sectorSize,
                                     std::size_t spread = SampleSpreadSectors);
std::vector<ProofRange> WholeDiskRanges(std::int64_t deviceBytes);

// The fingerprints of the sectors that held data (were not one byte repeated) before a
// cryptographic erase, in increasing order of offset. Sectors that could not be read are left out.
struct SectorFingerprint {
  std::int64_t offsetBytes = 0;
  std::array<std::uint8_t, 32> digest{};
};
std::vector<SectorFingerprint> TakeFingerprints(SectorReader& reader, const std::vector<ProofRange>& ranges,
                                                std::int64_t sectorSize);

struct ProofFinding {
  enum class Kind : std::uint8_t {
    Unreadable,  // the device did not deliver the sector
    NotZero,     // the zeros rule, and a byte is not zero
    NotUniform,  // the uniform rule, and the sector holds another byte, or several
    Unchanged,   // the changed rule, and the sector reads back as before the erase
  };
  Kind kind = Kind::Unreadable;
  std::int64_t offsetBytes = 0;
  std::int64_t lengthBytes = 0;  // adjacent sectors of one kind are one finding
  friend bool operator==(const ProofFinding&, const ProofFinding&) = default;
};

struct EraseProof {
  ErasedRule rule = ErasedRule::Zeros;
  std::int64_t bytesChecked = 0;
  std::int64_t sectorsWrong = 0;
  // The uniform rule: the byte found over the sectors (00h zeros, FFh ones, or the vendor's).
  std::optional<std::uint8_t> uniformByte;
  // The changed rule: sectors compared with their fingerprint.
  std::size_t sectorsCompared = 0;
  std::vector<ProofFinding> findings;
  bool Passed() const { return sectorsWrong == 0; }
};

// Reads `ranges` and judges every sector by `rule`; `before` are the fingerprints for the changed
// rule (only the sectors with one are compared; the rest are read for readability). `progress`
// gets the share read, 0..1.
EraseProof CheckErased(SectorReader& reader, ErasedRule rule, const std::vector<ProofRange>& ranges,
                       std::int64_t sectorSize, const std::vector<SectorFingerprint>& before = {},
                       const std::function<void(double)>& progress = {});

}  // namespace trelvane
