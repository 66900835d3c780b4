#include "report/run_summary.h"

#include "format/firmware_erase_text.h"
#include "format/run_clock.h"
#include "text/number_text.h"
#include "text/u16.h"

namespace trelvane {

namespace {

struct Verdict {
  const char* outcome;
  bool verified;
  const char16_t* text;
  SummaryTone tone;
};

// The report's outcome word, and for an erased drive whether a read-back confirmed it.
constexpr Verdict Verdicts[] = {
    {"erased", true, u"Стерто и проверено", SummaryTone::Good},
    {"erased", false, u"Стерто, без проверки чтением", SummaryTone::Caution},
    {"incomplete", false, u"Стерто не полностью", SummaryTone::Bad},
    {"stopped", false, u"Остановлено пользователем: диск стерт не полностью", SummaryTone::Caution},
    {"aborted", false, u"Прервано: устройство отключено или заменено", SummaryTone::Bad},
    {"failed", false, u"Не стерто: накопитель отклонил стирание или данные остались", SummaryTone::Bad},
};

}  // namespace

RunSummary SummarizeRun(const ErasureReport& report) {
  RunSummary summary{FromUtf8(report.outcome), SummaryTone::Bad, {}, {}};
  const bool verified = report.outcome == "erased" && report.verified;
  for (const Verdict& verdict : Verdicts) {
    if (report.outcome == verdict.outcome && verified == verdict.verified) {
      summary.verdict = verdict.text;
      summary.tone = verdict.tone;
    }
  }
  const std::int64_t deviceBytes = report.sectorSize * report.sectorCount;
  std::int64_t planned = 0;
  for (const WipeExtent& extent : report.extents) planned += extent.to - extent.from;
  if (report.firmwareErase) {
    summary.details = u"Стирание выполнил сам накопитель: " + report.firmwareErase->technique;
  } else {
    summary.details = u"Записано нулями: " + GroupDigits(report.bytesWritten) + u" из " + GroupDigits(deviceBytes) +
                      u" байт";
    if (planned < deviceBytes) summary.details += u" (только начало и конец диска)";
  }
  const std::int64_t ms = RunClockMilliseconds(report.ended) - RunClockMilliseconds(report.started);
  const std::size_t failed = report.failedWrites.size() + report.verificationRanges.size();
  summary.figures = u"Длительность: " + DurationText(ms < 0 ? 0 : ms) + u"   Сбойных участков: " +
                    GroupDigits(static_cast<std::int64_t>(failed));
  return summary;
}

}  // namespace trelvane
