// The erasure report's two renderings: JSON for programs (layout in docs/report.md) and plain Russian
// text for printing. Each ends with the SHA-256 digest of everything written before its digest line.

#include "common/product.h"
#include "report/erasure_report.h"
#include "format/firmware_erase_text.h"
#include "format/run_clock.h"
#include "text/json_writer.h"
#include "text/number_text.h"
#include "text/sha256.h"
#include "text/u16.h"

namespace trelvane {

namespace {

constexpr std::int64_t ReportVersion = 1;

std::int64_t DurationMs(const ErasureReport& report) {
  const std::int64_t ms = RunClockMilliseconds(report.ended) - RunClockMilliseconds(report.started);
  return ms > 0 ? ms : 0;
}

std::string U8(const std::u16string& text) { return ToUtf8(text); }

JsonValue RangesJson(const std::vector<ReportRange>& ranges) {
  JsonValue list = JsonValue::Array();
  for (const ReportRange& range : ranges) {
    JsonValue item = JsonValue::Object();
    item.Add("kind", range.kind);
    item.Add("offset", range.offset);
    item.Add("length", range.length);
    item.Add("code", static_cast<std::int64_t>(range.code));
    item.Add("text", U8(range.text));
    list.Push(std::move(item));
  }
  return list;
}

JsonValue DriveJson(const ErasureReport& report) {
  JsonValue drive = JsonValue::Object();
  drive.Add("number", report.driveNumber);
  drive.Add("node", report.node.empty() ? JsonValue() : JsonValue(U8(report.node)));
  drive.Add("bus", U8(report.bus));
  drive.Add("bus_code", report.busCode);
  drive.Add("model", U8(report.model));
  drive.Add("firmware", U8(report.firmware));
  drive.Add("serial", U8(report.serial));
  drive.Add("sector_size", report.sectorSize);
  drive.Add("sector_count", report.sectorCount);
  drive.Add("capacity_bytes", report.sectorSize * report.sectorCount);
  JsonValue& identify = drive.Add("identify", JsonValue());
  if (report.identify) {
    identify = JsonValue::Object();
    identify.Add("lba48", report.identify->lba48);
    JsonValue& security = identify.Add("security", JsonValue::Object());
    security.Add("supported", report.identify->securitySupported);
    security.Add("enabled", report.identify->securityEnabled);
    security.Add("locked", report.identify->securityLocked);
    security.Add("frozen", report.identify->securityFrozen);
    identify.Add("hpa_feature_set", report.identify->hpaFeatureSet);
  }
  JsonValue& smart = drive.Add("smart", JsonValue());
  if (report.smart) {
    smart = JsonValue::Object();
    for (const SmartRaw& value : *report.smart)
      smart.Add(std::to_string(value.id), value.raw ? JsonValue(static_cast<std::int64_t>(*value.raw)) : JsonValue());
  }
  JsonValue& health = drive.Add("nvme_health", JsonValue());
  if (report.nvmeHealth) {
    const NvmeHealthFacts& facts = *report.nvmeHealth;
    health = JsonValue::Object();
    health.Add("temperature_celsius", facts.temperatureCelsius ? JsonValue(*facts.temperatureCelsius) : JsonValue());
    health.Add("percentage_used", facts.percentageUsed);
    health.Add("media_errors", facts.mediaErrors);
    health.Add("power_on_hours", facts.powerOnHours);
  }
  return drive;
}

JsonValue VerificationJson(const ErasureReport& report) {
  if (!report.verification) return JsonValue();
  const VerificationOutcome& outcome = *report.verification;
  JsonValue verification = JsonValue::Object();
  verification.Add("result", outcome.stopped ? "stopped" : outcome.aborted ? "aborted" : outcome.Clean() ? "passed" : "failed");
  verification.Add("bytes_checked", outcome.bytesChecked);
  verification.Add("bytes_wrong", outcome.bytesWrong);
  verification.Add("ranges", RangesJson(report.verificationRanges));
  if (!report.firmwareErase || !report.firmwareErase->proof) {
    verification.Add("method", "read_back");
    return verification;
  }
  const EraseProof& proof = *report.firmwareErase->proof;
  static constexpr const char* Rules[] = {"zeros", "uniform", "changed"};
  static constexpr const char* Kinds[] = {"unreadable", "not_zero", "not_uniform", "unchanged"};
  verification.Add("method", report.firmwareErase->wholeDiskProof ? "whole_disk" : "sample");
  verification.Add("rule", Rules[static_cast<std::size_t>(proof.rule)]);
  verification.Add("sectors_wrong", proof.sectorsWrong);
  verification.Add("uniform_byte", proof.uniformByte ? JsonValue(std::int64_t{*proof.uniformByte}) : JsonValue());
  verification.Add("sectors_compared", static_cast<std::int64_t>(proof.sectorsCompared));
  JsonValue& findings = verification.Add("findings", JsonValue::Array());
  for (const ProofFinding& finding : proof.findings) {
    JsonValue item = JsonValue::Object();
    item.Add("kind", Kinds[static_cast<std::size_t>(finding.kind)]);
    item.Add("offset", finding.offsetBytes);
    item.Add("length", finding.lengthBytes);
    findings.Push(std::move(item));
  }
  return verification;
}

JsonValue FirmwareJson(const ErasureReport& report) {
  if (!report.firmwareErase) return JsonValue();
  const FirmwareEraseReport& f = *report.firmwareErase;
  static constexpr const char* Endings[] = {"completed", "failed", "refused"};
  JsonValue firmware = JsonValue::Object();
  firmware.Add("ending", f.ran ? JsonValue(Endings[static_cast<std::size_t>(f.run.ending)]) : JsonValue());
  firmware.Add("text", U8(f.run.text));
  firmware.Add("erase_started", f.run.eraseStarted);
  JsonValue& commands = firmware.Add("commands", JsonValue::Array());
  for (const FirmwareCommandRecord& record : f.run.commands) {
    JsonValue item = JsonValue::Object();
    item.Add("name", U8(record.name));
    item.Add("opcode", std::int64_t{record.opcode});
    item.Add("feature", std::int64_t{record.feature});
    item.Add("succeeded", record.succeeded);
    item.Add("status", std::int64_t{record.status});
    item.Add("text", U8(record.text));
    item.Add("elapsed_ms", record.elapsedMs);
    item.Add("count", std::int64_t{record.count});
    commands.Push(std::move(item));
  }
  firmware.Add("drive_estimate_ms", f.run.estimateMs ? JsonValue(*f.run.estimateMs) : JsonValue());
  firmware.Add("elapsed_ms", f.run.elapsedMs);
  JsonValue& notes = firmware.Add("notes", JsonValue::Array());
  for (const std::u16string& note : f.run.notes) notes.Push(JsonValue(U8(note)));
  return firmware;
}

JsonValue RunJson(const ErasureReport& report) {
  JsonValue run = JsonValue::Object();
  run.Add("method", report.method.key);
  JsonValue& extents = run.Add("extents", JsonValue::Array());
  for (const WipeExtent& extent : report.extents) {
    JsonValue item = JsonValue::Object();
    item.Add("offset", extent.from);
    item.Add("length", extent.to - extent.from);
    extents.Push(std::move(item));
  }
  run.Add("start", IsoTime(report.started, report.host.utcOffsetMinutes));
  run.Add("end", IsoTime(report.ended, report.host.utcOffsetMinutes));
  run.Add("duration_seconds", static_cast<double>(DurationMs(report)) / 1000.0);
  run.Add("average_speed_mb_s", report.megabytesPerSecond);
  run.Add("bytes_written", report.bytesWritten);
  run.Add("bytes_not_written", report.bytesNotWritten);
  run.Add("failed_ranges", RangesJson(report.failedWrites));
  run.Add("flush", report.flush);
  run.Add("verification", VerificationJson(report));
  run.Add("outcome", report.outcome);
  run.Add("scope", report.method.scope);
  run.Add("verified", report.verified);
  run.Add("nist_category", report.nistCategory);
  run.Add("technique", report.firmwareErase ? JsonValue(U8(report.firmwareErase->technique)) : JsonValue());
  run.Add("firmware", FirmwareJson(report));
  return run;
}

}  // namespace

std::string ErasureReportJson(const ErasureReport& report) {
  JsonValue document = JsonValue::Object();
  document.Add("format", "trelvane-erasure-report");
  document.Add("version", ReportVersion);
  JsonValue& program = document.Add("program", JsonValue::Object());
  const std::string product = U8(ProductLine);
  program.Add("name", product.substr(0, product.find(' ')));
  program.Add("version", product.substr(product.find(' ') + 1));
  JsonValue& host = document.Add("host", JsonValue::Object());
  host.Add("name", U8(report.host.computerName));
  host.Add("operating_system", U8(report.host.operatingSystem));
  host.Add("user", U8(report.host.userName));
  document.Add("drive", DriveJson(report));
  document.Add("run", RunJson(report));
  // The document without its closing brace, then the digest member over exactly those bytes.
  std::string text = document.Text();
  text.resize(text.size() - 2);
  text += ",\n";
  return text + "  \"sha256\": \"" + Sha256Hex(text) + "\"\n}\n";
}

}  // namespace trelvane
