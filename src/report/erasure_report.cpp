#include "report/erasure_report.h"

#include <array>
#include <cstdio>

#include "ata/ata_transport.h"
#include "ata/identify_data.h"
#include "ata/smart_report.h"
#include "common/product.h"
#include "common/system_error_text.h"
#include "device/probe.h"
#include "format/run_clock.h"
#include "format/write_errors.h"
#include "nvme/nvme_transport.h"
#include "os/bytes.h"
#include "os/win_constants.h"
#include "text/u16.h"

namespace trelvane {

namespace {

// IDENTIFY word 128, the security status: bit 0 supported, 1 enabled, 2 locked, 3 frozen.
std::optional<IdentifyFacts> ReadIdentifyFacts(System& system, const ProgramState& state) {
  const TIdentifyDeviceData& drive = state.SelectedEntry().IdentifyData;
  std::array<std::uint8_t, 512> data{};
  if (!IdentifyDevice(system, state.DriveHandle.Get(), drive.IsIDESlave, data)) return std::nullopt;
  const T_IDE_PASSPORT passport = DecodeIdentifyData(data, system.GetACP());
  const std::uint16_t security = Word(data, 128);
  return IdentifyFacts{passport.lba48support, passport.securitysupport, Bit(security, 1), Bit(security, 2),
                       Bit(security, 3),      passport.hpasupport};
}

// SMART READ DATA: 30 records of 12 bytes from byte 2; id at 0, the 6-byte raw value at 5.
std::optional<std::vector<SmartRaw>> ReadSmartFacts(System& system, const ProgramState& state) {
  std::array<std::uint8_t, 512> data{};
  if (!ReadDriveSmartData(system, state, data)) return std::nullopt;
  std::vector<SmartRaw> values;
  for (const std::uint8_t id : ReportedSmartAttributes) {
    SmartRaw value{id, std::nullopt};
    for (std::size_t record = 2; record + 12 <= 2 + 30 * 12; record += 12) {
      if (data[record] != id) continue;
      value.raw = ReadU64LE(data, record + 3) >> 16;  // bytes 5-10 of the record
      break;
    }
    values.push_back(value);
  }
  return values;
}

// SMART / Health Information log: Composite Temperature (u16, kelvin) at 1, Percentage Used at 5,
// Power On Hours at 128 and Media and Data Integrity Errors at 160 (u128 each).
std::int64_t CappedCounter(std::span<const std::uint8_t> log, std::size_t offset) {
  constexpr std::uint64_t Largest = 0x7FFF'FFFF'FFFF'FFFFu;
  const std::uint64_t low = ReadU64LE(log, offset);
  return ReadU64LE(log, offset + 8) != 0 || low > Largest ? static_cast<std::int64_t>(Largest)
                                                          : static_cast<std::int64_t>(low);
}

std::optional<NvmeHealthFacts> ReadNvmeHealthFacts(System& system, const ProgramState& state) {
  std::array<std::uint8_t, 512> log{};
  if (!ReadNvmeHealthLog(system, state.DriveHandle.Get(), log)) return std::nullopt;
  NvmeHealthFacts facts;
  const std::uint16_t kelvin = ReadU16LE(log, 1);
  if (kelvin != 0 && kelvin != 0xFFFF) facts.temperatureCelsius = std::int64_t{kelvin} - 273;
  facts.percentageUsed = log[5];
  facts.powerOnHours = CappedCounter(log, 128);
  facts.mediaErrors = CappedCounter(log, 160);
  return facts;
}

std::vector<ReportRange> VerificationRanges(System& system, const VerificationOutcome& verification) {
  static constexpr const char* Kinds[] = {"not_zero", "unreadable", "wrapped", "lost_write"};
  std::vector<ReportRange> ranges;
  for (const WrongRange& range : verification.ranges) {
    const std::u16string text = range.code != 0 ? SystemErrorText(system, range.code) : u"";
    ranges.push_back({Kinds[static_cast<int>(range.kind)], range.from, range.to - range.from, range.code, text});
  }
  return ranges;
}

std::u16string Trimmed(const std::u16string& text) {
  const std::size_t first = text.find_first_not_of(u' ');
  if (first == std::u16string::npos) return {};
  return text.substr(first, text.find_last_not_of(u' ') - first + 1);
}

std::string OutcomeWord(const FormatCommandOutcome& run) {
  using Ending = EraseRunOutcome::Ending;
  if (const FirmwareEraseReport* firmware = run.method->Firmware()) {
    if (firmware->ran && !firmware->run.Completed()) return "failed";
    if (firmware->proof && !firmware->proof->Passed()) return "failed";
  }
  if (run.Succeeded()) return "erased";
  if (run.run.ending == Ending::Stopped || (run.verification && run.verification->stopped)) return "stopped";
  if (run.run.ending == Ending::Aborted || (run.verification && run.verification->aborted)) return "aborted";
  return "incomplete";
}

}  // namespace

std::string NistCategoryWord(NistCategory category) {
  if (category == NistCategory::Purge) return "purge";
  if (category == NistCategory::Clear) return "clear";
  return "none";
}

ErasureReport CollectErasureReport(System& system, const ProgramState& state, const FormatCommandOutcome& run) {
  const TDeviceTable& entry = state.SelectedEntry();
  const TIdentifyDeviceData& drive = entry.IdentifyData;
  ErasureReport report;
  report.host = system.GetHostFacts();
  report.driveNumber = entry.DeviceNumber;
  report.node = system.DriveNodeName(entry.DeviceNumber);
  report.bus = BusTypeName(drive.BusType);
  report.busCode = drive.BusType;
  report.model = Trimmed(drive.Model);
  report.firmware = Trimmed(drive.FW);
  report.serial = Trimmed(drive.SN);
  report.sectorSize = drive.SectorSize;
  report.sectorCount = drive.LBA;
  report.identify = ReadIdentifyFacts(system, state);
  // An NVMe drive is asked for its health log and sent no ATA SMART command while it answers.
  if (drive.BusType == BusTypeNvme) report.nvmeHealth = ReadNvmeHealthFacts(system, state);
  if (!report.nvmeHealth) report.smart = ReadSmartFacts(system, state);
  report.method = run.method->Names();
  report.extents = run.method->Extents(drive.LBA * drive.SectorSize);
  report.started = run.started;
  report.ended = run.ended;
  report.bytesWritten = run.run.bytesWritten;
  report.megabytesPerSecond = run.run.megabytesPerSecond;
  report.bytesNotWritten = run.run.bytesNotWritten;
  for (const FailedWrite& failed : run.run.failedWrites)
    report.failedWrites.push_back({"write_error", failed.offset, failed.length, failed.code, WriteErrorText(failed.code)});
  const bool completed = run.run.ending == EraseRunOutcome::Ending::Completed;
  report.flush = !completed ? "not_reached" : run.run.flushed ? "ok" : "failed";
  report.verification = run.verification;
  if (run.verification) report.verificationRanges = VerificationRanges(system, *run.verification);
  if (const FirmwareEraseReport* firmware = run.method->Firmware()) {
    report.firmwareErase = *firmware;
    report.nistCategory = NistCategoryWord(firmware->category);
  } else {
    report.nistCategory = run.method == &QuickWipe() ? "none" : "clear";
  }
  report.outcome = OutcomeWord(run);
  report.verified = run.verification && !run.verification->stopped && !run.verification->aborted &&
                    run.verification->Clean();
  return report;
}

std::string IsoTime(const SystemTime& time, int utcOffsetMinutes) {
  const int offset = utcOffsetMinutes < 0 ? -utcOffsetMinutes : utcOffsetMinutes;
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d%c%02d:%02d", time.year, time.month, time.day,
                time.hour, time.minute, time.second, utcOffsetMinutes < 0 ? '-' : '+', offset / 60, offset % 60);
  return text;
}

std::string ErasureReportName(const ErasureReport& report) {
  std::string serial;
  for (const char c : ToUtf8(report.serial)) {
    const bool plain = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '-' || c == '.';
    serial += plain ? c : '_';
  }
  const std::size_t first = serial.find_first_not_of("_.");
  serial = first == std::string::npos ? "unknown" : serial.substr(first);
  char stamp[24];
  const SystemTime& t = report.started;
  std::snprintf(stamp, sizeof stamp, "_%04d%02d%02d-%02d%02d%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
  return serial + stamp;
}

}  // namespace trelvane
