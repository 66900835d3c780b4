#pragma once
// The erasure report: what was erased, where, by whom, how and with what result, for the user to file.
// Built once after a format run that touched the drive, then rendered as JSON (layout in
// docs/report.md) and as plain Russian text, each closing with a SHA-256 digest of its own content.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/program_state.h"
#include "format/erase_method.h"
#include "format/firmware_erase_report.h"
#include "format/format_command.h"
#include "format/wipe_extents.h"
#include "os/system.h"

namespace trelvane {

// From the drive's IDENTIFY data, where it answers.
struct IdentifyFacts {
  bool lba48 = false;
  bool securitySupported = false;
  bool securityEnabled = false;
  bool securityLocked = false;
  bool securityFrozen = false;
  bool hpaFeatureSet = false;
};

// The raw values of the SMART attributes a reader of the report checks first.
inline constexpr std::array<std::uint8_t, 5> ReportedSmartAttributes = {5, 9, 194, 197, 198};
struct SmartRaw {
  std::uint8_t id = 0;
  std::optional<std::uint64_t> raw;  // nothing when the drive has no such attribute
};

// The few fields of an NVMe drive's SMART / Health Information log a reader of the report checks
// first. The log's 128-bit counters are capped at 2^63 - 1.
struct NvmeHealthFacts {
  std::optional<std::int64_t> temperatureCelsius;  // nothing for 0 K and 65,535 K, which are no reading
  std::int64_t percentageUsed = 0;                 // may pass 100
  std::int64_t mediaErrors = 0;
  std::int64_t powerOnHours = 0;
};

struct ReportRange {
  std::string kind;  // "write_error", "not_zero", "unreadable", "wrapped", "lost_write"
  std::int64_t offset = 0;
  std::int64_t length = 0;
  std::uint32_t code = 0;
  std::u16string text;  // the system's text of `code`, empty without a code
};

struct ErasureReport {
  HostFacts host;
  std::int64_t driveNumber = 0;
  std::u16string node;  // the operating system's name of the drive ("/dev/sdb"); empty where it has none
  std::u16string bus;
  std::int64_t busCode = 0;
  std::u16string model, firmware, serial;
  std::int64_t sectorSize = 0;
  std::int64_t sectorCount = 0;
  std::optional<IdentifyFacts> identify;
  std::optional<std::vector<SmartRaw>> smart;
  std::optional<NvmeHealthFacts> nvmeHealth;  // an NVMe drive that answered for its health log
  EraseMethodNames method = WholeDiskZeroFill().Names();
  std::vector<WipeExtent> extents;
  SystemTime started{};
  SystemTime ended{};
  std::int64_t bytesWritten = 0;
  double megabytesPerSecond = 0;  // of the zero fill alone
  std::int64_t bytesNotWritten = 0;
  std::vector<ReportRange> failedWrites;
  std::string flush;  // "ok", "failed", "not_reached"
  std::optional<VerificationOutcome> verification;
  std::vector<ReportRange> verificationRanges;
  // What the method counts as under NIST SP 800-88: "clear", "purge", "none".
  std::string nistCategory;
  // A firmware erase: the technique, every command sent, the drive's estimate and the proof.
  std::optional<FirmwareEraseReport> firmwareErase;
  // "erased", "incomplete", "stopped", "aborted", or "failed": the drive refused or failed a firmware
  // erase, or still held data afterwards.
  std::string outcome;
  // A verification read the run's whole extent back and found it right.
  bool verified = false;
};

// Gathers the report of `run` on the selected drive; asks the drive for IDENTIFY and SMART data.
ErasureReport CollectErasureReport(System& system, const ProgramState& state, const FormatCommandOutcome& run);

// "clear", "purge", "none": the JSON report's "nist_category".
std::string NistCategoryWord(NistCategory category);

// The reports' texts (UTF-8), each ending with its digest line; see docs/report.md.
std::string ErasureReportJson(const ErasureReport& report);
std::string ErasureReportText(const ErasureReport& report);

// "<serial>_<YYYYMMDD-HHMMSS>": the serial's letters, digits, '-' and '.' kept, the rest '_'.
std::string ErasureReportName(const ErasureReport& report);

// ISO 8601 with the UTC offset: "2026-12-07T10:15:30+03:00".
std::string IsoTime(const SystemTime& time, int utcOffsetMinutes);

}  // namespace trelvane
