// The erasure report's two renderings: JSON for programs (layout in docs/report.md) and plain Russian
// text for printing. Each ends with the SHA-256 digest of everything written before its digest line.

#include "common/product.h"
#include "report/erasure_report.h"
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
  return verification;
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
